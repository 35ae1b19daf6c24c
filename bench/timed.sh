# Sourced by the benchmarks. timed NAME COMMAND...: runs COMMAND, appends "wall cpu" to $work/NAME.times;
# a failing command ends the benchmark with its last lines.
timed() {
  local name=$1; shift
  /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" >/dev/null 2>"$work/$name.log" ||
    { echo "$name failed:" >&2; tail -5 "$work/$name.log" >&2; exit 1; }
  awk '{printf "%s %.2f\n", $1, $2 + $3}' "$work/time" >>"$work/$name.times"
}
