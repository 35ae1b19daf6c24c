#!/usr/bin/env python3
"""Damages copies of a disc image at random and runs `velloric-cli list` on each, then, when it lists, a dry
run of the direct engine (which opens the image in its own process): every run must end with exit 0, 1 or 2
(done, or refused with a message) within the time limit.

    mutate-images.py CLI COUNT IMAGE... [--seed N] [--keep DIR]

The damage falls where a reader takes its bearings: the volume's descriptors (ISO 9660 and UDF), the UDF
anchor, the file entries and folders, the information files; or the image is cut, or a UDF folder is made
to hold itself. Prints the figures: cases tried, exits by code, crashes, hangs. A failing case is kept under
--keep.
"""
import os, random, shutil, subprocess, sys, tempfile

TIME_LIMIT = 30
SECTOR = 2048


def metadata_sectors(data):
    """The sectors a reader walks before any video: everything up to the first information file's end."""
    last = 300
    for magic in (b"DVDVIDEO-VMG", b"DVDVIDEO-VTS"):
        at = data.find(magic)
        while at >= 0:
            last = max(last, at // SECTOR + 4)
            at = data.find(magic, at + 1)
    return min(last, len(data) // SECTOR)


def folder_loop(rng, data):
    """Points a UDF folder's entry (a file identifier with the folder bit) at the folder that holds it."""
    ids = [at for at in range(0, metadata_sectors(data) * SECTOR - 38, 4)
           if data[at] == 1 and data[at + 1] == 1 and data[at + 18] & 0x02]
    if len(ids) < 2:
        return False
    parent, child = rng.sample(ids, 2)
    data[child + 20 : child + 28] = data[parent + 20 : parent + 28]
    return True


def damage(rng, data):
    kind = rng.choice(["cut", "cut-sector", "zero-descriptors", "zero-anchor", "block", "bytes", "loop",
                       "zero-sector"])
    meta = metadata_sectors(data)
    if kind == "cut":
        del data[rng.randrange(len(data)) :]
    elif kind == "cut-sector":
        del data[rng.randrange(16, meta + 1) * SECTOR :]
    elif kind == "zero-descriptors":
        start = rng.choice([16, 17, 18, 32, 64])
        end = (start + rng.randint(1, 16)) * SECTOR
        data[start * SECTOR : end] = bytes(len(data[start * SECTOR : end]))
    elif kind == "zero-anchor":
        data[256 * SECTOR : 257 * SECTOR] = bytes(SECTOR)
    elif kind == "block":
        at = rng.randrange(meta * SECTOR)
        length = rng.choice([16, 256, SECTOR])
        data[at : at + length] = bytes([rng.choice([0, 0xFF, rng.randrange(256)])]) * len(data[at : at + length])
    elif kind == "bytes":
        for _ in range(rng.randint(1, 64)):
            data[rng.randrange(meta * SECTOR)] = rng.randrange(256)
    elif kind == "loop":
        if not folder_loop(rng, data):
            kind = "loop (none found)"
    elif kind == "zero-sector":
        s = rng.randrange(meta)
        data[s * SECTOR : (s + 1) * SECTOR] = bytes(SECTOR)
    return kind


def run(cmd):
    try:
        r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=TIME_LIMIT)
        return r.returncode, r.stdout, r.stderr
    except subprocess.TimeoutExpired:
        return None, b"", b""


def main():
    args = sys.argv[1:]
    seed, keep = 1, None
    if "--seed" in args:
        i = args.index("--seed"); seed = int(args[i + 1]); del args[i : i + 2]
    if "--keep" in args:
        i = args.index("--keep"); keep = args[i + 1]; del args[i : i + 2]
    cli, count, images = args[0], int(args[1]), args[2:]
    rng = random.Random(seed)
    originals = {path: open(path, "rb").read() for path in images}
    figures = {"tried": 0, "listed": 0, "refused": 0, "dry runs": 0, "dry runs refused": 0, "crashes": 0,
               "hangs": 0}
    kinds = {}
    with tempfile.TemporaryDirectory(prefix="velloric-mutate-image-") as root:
        for n in range(count):
            base = rng.choice(images)
            data = bytearray(originals[base])
            kind = damage(rng, data)
            kinds[kind] = kinds.get(kind, 0) + 1
            image = os.path.join(root, "disc.iso")
            with open(image, "wb") as f:
                f.write(data)
            figures["tried"] += 1
            code, out, err = run([cli, "list", image])
            bad = None
            if code is None:
                bad = "hangs"
            elif code == 0:
                figures["listed"] += 1
                out_dir = os.path.join(root, "out")
                os.makedirs(out_dir, exist_ok=True)
                code, out, err = run([cli, "convert", image, "--engine", "direct", "--dry-run", "--output",
                                      out_dir, "--work-dir", out_dir, "--overwrite", "overwrite"])
                figures["dry runs"] += 1
                if code is None:
                    bad = "hangs"
                elif code == 1 or code == 2:
                    figures["dry runs refused"] += 1
                elif code != 0:
                    bad = "crashes"
            elif code == 2:
                figures["refused"] += 1
            else:
                bad = "crashes"
            if bad:
                figures[bad] += 1
                print(f"case {n} ({kind}): {bad}, exit {code}: {err.decode(errors='replace')[-300:]}",
                      file=sys.stderr)
                if keep:
                    os.makedirs(keep, exist_ok=True)
                    shutil.copy(image, os.path.join(keep, f"case{n}.iso"))
    print(", ".join(f"{k}: {v}" for k, v in figures.items()))
    print("damage: " + ", ".join(f"{k} {v}" for k, v in sorted(kinds.items())))
    return 0 if figures["crashes"] == 0 and figures["hangs"] == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
