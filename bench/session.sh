#!/usr/bin/env bash
# One scripted session that solves every puzzle of a collection through the
# real program, with standard input a file and standard output /dev/null (or a
# file, to count the writes), and the same session for the collection's first
# puzzle alone, to compare peak memory.
#
# The typed answers are those of tests/collections_test.cc: the first puzzle
# is typed whole (a count, then one "i j value" line per given, then 0 to
# confirm); each later puzzle follows menu answer 2 and types only the cells
# that differ from the grid before it (an emptied cell gets the value 0); the
# session ends with menu answer 1.
#
# It reports, as medians over RUNS runs of /usr/bin/time -v:
#   - wall and CPU (user + system) time, and puzzles per second for each;
#   - peak resident memory of the whole session and of the one-puzzle session;
# and, from one more run whose output goes to a file:
#   - write(2) calls, counted with `perf stat -e syscalls:sys_enter_write`
#     (filtered on descriptor 1) where perf can read that tracepoint, else
#     with `strace -f -c -e trace=write` (COUNT_WITH=perf|strace forces one);
#   - records: every record, empty ones included, ends up as one line of the
#     output ending in CR LF (the first record has none in front, and the
#     stop writes the last one's), so records = LF bytes in the output;
#     empty records are the lines holding only CR.
#
# Usage: bench/session.sh [PROGRAM [PUZZLES [RUNS]]]  (paths from the checkout's top folder)
#   PROGRAM  default build/release/sudoku
#   PUZZLES  default data/sudoku17.txt (81 characters a line, '.' empty)
#   RUNS     default 3
# Environment: COUNT_WITH=perf|strace, SESSION_DIR=folder (see below).
set -euo pipefail
cd "$(dirname "$0")/.."

program=${1:-build/release/sudoku}
puzzles=${2:-data/sudoku17.txt}
runs=${3:-3}

for tool in /usr/bin/time awk; do
  if ! command -v "$tool" >/dev/null; then
    echo "session.sh: $tool is missing (Debian package: time, mawk)" >&2
    exit 2
  fi
done
if [[ ! -x $program || ! -r $puzzles ]]; then
  echo "session.sh: no program at $program or no puzzles at $puzzles" >&2
  exit 2
fi

# SESSION_DIR keeps the typed input (all.in, one.in) and the counted run's
# output (out.txt) there; otherwise they go to a temporary folder.
if [[ -n ${SESSION_DIR:-} ]]; then
  work=$SESSION_DIR
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi

# The typed answers for the puzzles read on standard input.
make_script() {
  awk '
    BEGIN { for (k = 0; k < 81; k++) typed[k] = "." }
    length($0) >= 81 {
      if (count++ > 0) print "2"
      n = 0
      cells = ""
      for (j = 1; j <= 9; j++) {
        for (i = 1; i <= 9; i++) {
          k = (j - 1) * 9 + (i - 1)
          c = substr($0, k + 1, 1)
          if (c == "0") c = "."
          if (c != typed[k]) {
            cells = cells i " " j " " (c == "." ? 0 : c) "\n"
            n++
            typed[k] = c
          }
        }
      }
      printf "%d\n%s0\n", n, cells
    }
    END { print "1" }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Runs the program RUNS times on input $1 with output /dev/null; leaves one
# line "wall cpu rss_kib" per run in $2.
measure() {
  local input=$1 results=$2
  : >"$results"
  for ((n = 0; n < runs; n++)); do
    if ! /usr/bin/time -v -o "$work/time.txt" "$program" <"$input" >/dev/null 2>"$work/err.txt" ||
      [[ -s $work/err.txt ]]; then
      echo "session.sh: the program reported an error:" >&2
      cat "$work/err.txt" >&2
      exit 1
    fi
    awk -F': ' '
      /User time/ { cpu += $2 }
      /System time/ { cpu += $2 }
      /Elapsed \(wall clock\)/ {
        t = 0
        m = split($2, part, ":")
        for (p = 1; p <= m; p++) t = t * 60 + part[p]
        wall = t
      }
      /Maximum resident set size/ { rss = $2 }
      END { printf "%.2f %.2f %d\n", wall, cpu, rss }' "$work/time.txt" >>"$results"
  done
}

make_script <"$puzzles" >"$work/all.in"
head -n 1 "$puzzles" | make_script >"$work/one.in"
count=$(awk 'length($0) >= 81' "$puzzles" | wc -l)

measure "$work/all.in" "$work/all.txt"
measure "$work/one.in" "$work/one.txt"

wall=$(awk '{ print $1 }' "$work/all.txt" | median)
cpu=$(awk '{ print $2 }' "$work/all.txt" | median)
rss_all=$(awk '{ print $3 }' "$work/all.txt" | median)
rss_one=$(awk '{ print $3 }' "$work/one.txt" | median)

# The write count, on a run whose output is a file.
count_with=${COUNT_WITH:-}
if [[ -z $count_with ]]; then
  if command -v perf >/dev/null &&
    perf stat -e syscalls:sys_enter_write -o /dev/null -- true 2>/dev/null; then
    count_with=perf
  else
    count_with=strace
  fi
fi
out=$work/out.txt
status=0
if [[ $count_with == perf ]]; then
  perf stat -x, -e syscalls:sys_enter_write --filter 'fd == 1' -o "$work/count.txt" -- \
    "$program" <"$work/all.in" >"$out" 2>"$work/err.txt" || status=$?
  writes=$(awk -F, '/syscalls:sys_enter_write/ { print $1 }' "$work/count.txt")
else
  # strace counts the writes to every descriptor; a clean run writes nothing
  # to standard error (checked below), so they are all to standard output.
  strace -f -c -e trace=write -o "$work/count.txt" \
    "$program" <"$work/all.in" >"$out" 2>"$work/err.txt" || status=$?
  writes=$(awk '$NF == "write" { print $4 }' "$work/count.txt")
fi
if ((status != 0)) || [[ -s $work/err.txt ]]; then
  echo "session.sh: the program reported an error:" >&2
  cat "$work/err.txt" >&2
  exit 1
fi
records=$(tr -cd '\n' <"$out" | wc -c)
empty=$(grep -c $'^\r$' "$out" || true)
menus=$(grep -c '^tapez 1 pour finir' "$out" || true)
if [[ $menus != "$count" ]]; then
  echo "session.sh: $menus menus for $count puzzles" >&2
  exit 1
fi

awk -v n="$count" -v runs="$runs" -v wall="$wall" -v cpu="$cpu" -v rss_all="$rss_all" \
  -v rss_one="$rss_one" -v writes="$writes" -v records="$records" -v empty="$empty" \
  -v input_bytes="$(wc -c <"$work/all.in")" -v tool="$count_with" 'BEGIN {
    text = records - empty
    printf "puzzles                    %d (input %d bytes)\n", n, input_bytes
    printf "runs                       %d, medians below\n", runs
    printf "wall time                  %.2f s   %.0f puzzles/s\n", wall, n / wall
    printf "cpu time (user + system)   %.2f s   %.0f puzzles/s\n", cpu, n / cpu
    printf "peak RSS, whole session    %d KiB\n", rss_all
    printf "peak RSS, one puzzle       %d KiB\n", rss_one
    printf "peak RSS ratio             %.3f (%+.1f%%)\n", rss_all / rss_one, (rss_all / rss_one - 1) * 100
    printf "write(2) calls on stdout   %d (%s)\n", writes, tool
    printf "records                    %d (%d with text, %d empty)\n", records, text, empty
    printf "writes per record          %.3f\n", writes / records
    printf "2 x text + empty           %d (%s the write count: two writes per text record, one per empty record)\n",
      2 * text + empty, (2 * text + empty == writes ? "equals" : "differs from")
  }'
