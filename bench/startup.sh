#!/usr/bin/env bash
# Start-up cost of the program next to the smallest C++ program that writes
# one byte (bench/minimal.cc, target minimal_program, same flags).
#
# The program's run meets the end of its input at once: standard input is
# /dev/null and standard output a file (the redirected arrangement), so it
# writes the first prompt, reports error 6501 on standard error and ends with
# status 1. The minimal program writes one byte to the same file.
#
# CPU time: `perf stat -r RUNS -e task-clock` for each program, in ROUNDS
# alternating rounds; the median of the rounds' means is reported. Where perf
# cannot count task-clock, /usr/bin/time over a loop of RUNS runs is used
# instead (coarser: it adds the loop's own shell to both programs).
# Peak memory: /usr/bin/time -f %M over RUNS runs each, median.
#
# Usage: bench/startup.sh [BUILD_DIR [RUNS [ROUNDS]]]  (paths from the checkout's top folder)
#   BUILD_DIR  default build/release (holds sudoku and bench/minimal_program)
#   RUNS       default 200
#   ROUNDS     default 5
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/release}
runs=${2:-200}
rounds=${3:-5}
program=$build/sudoku
minimal=$build/bench/minimal_program
if [[ ! -x $program || ! -x $minimal ]]; then
  echo "startup.sh: build $program and $minimal first" >&2
  exit 2
fi
if [[ ! -x /usr/bin/time ]]; then
  echo "startup.sh: /usr/bin/time is missing (Debian package: time)" >&2
  exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

use_perf=0
if command -v perf >/dev/null && perf stat -x, -e task-clock -o "$work/probe.txt" -- true &&
  awk -F, '/task-clock/ { exit ($1 ~ /^[0-9.]+$/) ? 0 : 1 }' "$work/probe.txt"; then
  use_perf=1
fi

# Mean CPU milliseconds of one run of $1 (any exit status), over RUNS runs.
cpu_ms() {
  local binary=$1
  if ((use_perf)); then
    perf stat -r "$runs" -x, -e task-clock -o "$work/stat.txt" -- \
      "$binary" </dev/null >"$work/out.txt" 2>/dev/null || true
    awk -F, '/task-clock/ { print $1 }' "$work/stat.txt"
  else
    # The loop's text is for the inner shell, which gets its values as $1..$3.
    # shellcheck disable=SC2016
    /usr/bin/time -f '%U %S' -o "$work/time.txt" bash -c \
      'for ((n = 0; n < $2; n++)); do "$1" </dev/null >"$3" 2>/dev/null; done; exit 0' \
      loop "$binary" "$runs" "$work/out.txt"
    awk -v runs="$runs" '{ print ($1 + $2) * 1000 / runs }' "$work/time.txt"
  fi
}

# Peak resident memory (KiB) of one run of $1, median over RUNS runs.
rss_kib() {
  local binary=$1
  for ((n = 0; n < runs; n++)); do
    /usr/bin/time -f '%M' -o "$work/time.txt" "$binary" </dev/null >"$work/out.txt" \
      2>/dev/null || true
    tail -n 1 "$work/time.txt"
  done | median
}

: >"$work/program.txt"
: >"$work/minimal.txt"
for ((r = 0; r < rounds; r++)); do
  cpu_ms "$program" >>"$work/program.txt"
  cpu_ms "$minimal" >>"$work/minimal.txt"
done
cpu_program=$(median <"$work/program.txt")
cpu_minimal=$(median <"$work/minimal.txt")
rss_program=$(rss_kib "$program")
rss_minimal=$(rss_kib "$minimal")

awk -v tool="$( ((use_perf)) && echo 'perf stat task-clock' || echo '/usr/bin/time loop')" \
  -v runs="$runs" -v rounds="$rounds" -v cp="$cpu_program" -v cm="$cpu_minimal" \
  -v rp="$rss_program" -v rm="$rss_minimal" 'BEGIN {
    printf "cpu time per run (%s, %d rounds of %d runs, median of means)\n", tool, rounds, runs
    printf "  program                  %.3f ms\n", cp
    printf "  minimal program          %.3f ms\n", cm
    printf "  ratio                    %.2f\n", cp / cm
    printf "peak RSS (median of %d runs)\n", runs
    printf "  program                  %d KiB\n", rp
    printf "  minimal program          %d KiB\n", rm
    printf "  difference               %+d KiB (%.2f MiB)\n", rp - rm, (rp - rm) / 1024
  }'
