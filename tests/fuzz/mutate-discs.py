#!/usr/bin/env python3
"""Damages copies of real disc folders at random and runs `velloric-cli list` on each: every run must end
with exit 0 (listed) or 2 (refused with a message), within the time limit.

    mutate-discs.py CLI COUNT DISC_FOLDER... [--seed N] [--keep DIR] [--only N]

--only N makes the mutations of the same seed but runs and keeps case N alone (to look at a reported case).

Prints the figures: mutations tried, exits 0 and 2 (and how many of those the DVD library failed on in its
child process), crashes, hangs. A failing case is kept under --keep.
"""
import os, random, shutil, subprocess, sys, tempfile

TIME_LIMIT = 20


def info_files(folder):
    return sorted(n for n in os.listdir(folder) if n.upper().endswith((".IFO", ".BUP")))


def damage(rng, path):
    data = bytearray(open(path, "rb").read())
    kind = rng.choice(["truncate", "block", "bytes", "fields", "zero", "swap-sector"])
    if kind == "truncate" and data:
        data = data[: rng.randrange(len(data))]
    elif kind == "block" and data:
        at, length = rng.randrange(len(data)), rng.choice([16, 256, 2048])
        data[at : at + length] = bytes([rng.choice([0, 0xFF, rng.randrange(256)])]) * len(data[at : at + length])
    elif kind == "bytes" and data:
        for _ in range(rng.randint(1, 32)):
            data[rng.randrange(len(data))] = rng.randrange(256)
    elif kind == "fields" and len(data) >= 0x100:
        # the header's table sectors and counts, where the library takes its offsets from
        for _ in range(rng.randint(1, 4)):
            at = rng.choice(range(0xC0, 0xE8, 4)) + rng.randrange(4)
            data[at] = rng.choice([0, 1, 2, 0x7F, 0xFF])
    elif kind == "zero":
        data = bytearray(len(data))
    elif kind == "swap-sector" and len(data) >= 4096:
        a, b = rng.randrange(len(data) // 2048), rng.randrange(len(data) // 2048)
        sa, sb = data[a * 2048 : a * 2048 + 2048], data[b * 2048 : b * 2048 + 2048]
        data[a * 2048 : a * 2048 + 2048], data[b * 2048 : b * 2048 + 2048] = sb, sa
    open(path, "wb").write(data)
    return kind


def main():
    args = sys.argv[1:]
    seed, keep, only = 1, None, None
    if "--seed" in args:
        i = args.index("--seed"); seed = int(args[i + 1]); del args[i : i + 2]
    if "--only" in args:
        i = args.index("--only"); only = int(args[i + 1]); del args[i : i + 2]
    if "--keep" in args:
        i = args.index("--keep"); keep = args[i + 1]; del args[i : i + 2]
    cli, count, discs = args[0], int(args[1]), args[2:]
    rng = random.Random(seed)
    figures = {"tried": 0, "exit 0": 0, "exit 2": 0, "library crashes contained": 0, "crashes": 0, "hangs": 0}
    for n in range(count):
        base = rng.choice(discs)
        src = os.path.join(base, "VIDEO_TS") if os.path.isdir(os.path.join(base, "VIDEO_TS")) else base
        with tempfile.TemporaryDirectory(prefix="velloric-mutate-") as root:
            dst = os.path.join(root, "VIDEO_TS")
            os.mkdir(dst)
            for name in os.listdir(src):
                if name.upper().endswith(".VOB"):
                    os.symlink(os.path.join(os.path.abspath(src), name), os.path.join(dst, name))
                else:
                    shutil.copy(os.path.join(src, name), os.path.join(dst, name))
            files = info_files(dst)
            # a disc may hold fewer information files than are picked (one title set, no backups)
            for name in rng.sample(files, min(rng.choice([1, 1, 1, 2, 3]), len(files))):
                damage(rng, os.path.join(dst, name))
            if only is not None:
                if n == only and keep:
                    shutil.copytree(dst, os.path.join(keep, f"case{n}", "VIDEO_TS"), symlinks=True)
                continue
            figures["tried"] += 1
            try:
                r = subprocess.run([cli, "list", root], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                   timeout=TIME_LIMIT)
                outcome = {0: "exit 0", 2: "exit 2"}.get(r.returncode, "crashes")
                # exit 2 after the library crashed or hung in its child process: the fault was contained
                if outcome == "exit 2" and (b"crashed reading" in r.stderr or b"did not finish" in r.stderr):
                    figures["library crashes contained"] += 1
                if outcome == "exit 2" and b"the DVD library" in r.stderr:
                    print(f"case {n}: {r.stderr.decode(errors='replace').strip()}", file=sys.stderr)
            except subprocess.TimeoutExpired:
                outcome = "hangs"
            figures[outcome] += 1
            if outcome in ("crashes", "hangs"):
                print(f"case {n}: {outcome} ({base})", file=sys.stderr)
                if keep:
                    shutil.copytree(dst, os.path.join(keep, f"case{n}", "VIDEO_TS"), symlinks=True)
    print(", ".join(f"{k}: {v}" for k, v in figures.items()))
    return 0 if figures["crashes"] == 0 and figures["hangs"] == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
