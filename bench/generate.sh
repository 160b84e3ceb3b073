#!/usr/bin/env bash
# sudoku-batch --generate side by side with a peer generator, qqwing (Debian
# package qqwing), in one run. Each command runs whole, its output kept,
# RUNS times; the figures are medians of its CPU time (user + system), taken
# to the millisecond by the shell's `time`, and of its peak resident memory,
# from /usr/bin/time.
#
#   a. rate: sudoku-batch --generate=N --jobs=1 (any depth, minimal) against
#      qqwing --generate=Q --difficulty=simple --one-line, counting only
#      qqwing's puzzles that sudoku-batch's own solve finishes ("le sudoku
#      est trouve"); the ratio is of puzzles per CPU second;
#   b. depth: sudoku-batch --generate --jobs=1 --iterations=K for K = 1 to 8
#      (fewer puzzles the deeper), puzzles per CPU second; with DEEP=1 also
#      9 (three puzzles) and 10 (one; minutes), once each whatever RUNS;
#   c. memory: peak resident memory of --generate=1000 and --generate=100000.
#
# Under load the figures are noisy: compare ratios from one run, not figures
# across runs. The search's cost in solves per puzzle, which load does not
# change, comes from build/release/bench/generate_bench. Nothing is written
# into the checkout.
#
# Usage: bench/generate.sh [BATCH [RUNS]]  (paths from the checkout's top folder)
#   BATCH  default build/release/sudoku-batch
#   RUNS   default 3
# Environment: N (default 20000), Q (qqwing's puzzles, default 50), DEEP.
set -euo pipefail
cd "$(dirname "$0")/.."

batch=${1:-build/release/sudoku-batch}
runs=${2:-3}
n=${N:-20000}
q=${Q:-50}

if [[ ! -x /usr/bin/time ]]; then
  echo "generate.sh: /usr/bin/time is missing (Debian package: time)" >&2
  exit 2
fi
if [[ ! -x $batch ]]; then
  echo "generate.sh: no program at $batch" >&2
  exit 2
fi
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "generate.sh: RUNS must be a positive whole number, not '$runs'" >&2
  exit 2
fi
qqwing=$(command -v qqwing || true)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
rate() { awk -v n="$1" -v t="$2" 'BEGIN { if (t > 0) printf "%.1f", n / t; else print "n/a" }'; }

# cpu NAME COMMAND...: runs COMMAND RUNS times, output to $work/NAME.out;
# prints the median CPU seconds. A failing run stops the script.
cpu() {
  local name=$1
  shift
  local results=$work/$name.times TIMEFORMAT='%3U %3S'
  : >"$results"
  for ((r = 0; r < runs; r++)); do
    if ! { time "$@" </dev/null >"$work/$name.out" 2>"$work/err.txt"; } 2>"$work/time.txt"; then
      echo "generate.sh: '$*' failed:" >&2
      cat "$work/err.txt" >&2
      exit 1
    fi
    awk '{ printf "%.3f\n", $1 + $2 }' "$work/time.txt" >>"$results"
  done
  median <"$results"
}

# peak COMMAND...: the median peak resident memory in KiB.
peak() {
  local results=$work/peak.txt
  : >"$results"
  for ((r = 0; r < runs; r++)); do
    /usr/bin/time -f '%M' -o "$work/time.txt" "$@" </dev/null >/dev/null 2>"$work/err.txt"
    tail -n 1 "$work/time.txt" >>"$results"
  done
  median <"$results"
}

echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)"
echo "$runs runs per command, medians of CPU time"
echo

ours=$(cpu ours "$batch" --generate="$n" --jobs=1 --seed=1)
made=$(wc -l <"$work/ours.out")
echo "a. rate, any depth, minimal (puzzles per CPU second)"
echo "   sudoku-batch --generate=$n --jobs=1      $ours s  $(rate "$made" "$ours")/s"
if [[ -n $qqwing ]]; then
  peer=$(cpu peer "$qqwing" --generate "$q" --difficulty simple --one-line)
  "$batch" --format=line --jobs=1 "$work/peer.out" >"$work/peer.solved"
  passed=$(grep -c $'\tle sudoku est trouve\t' "$work/peer.solved" || true)
  echo "   qqwing --generate $q --difficulty simple $peer s  $(rate "$passed" "$peer")/s" \
    "($passed of $q finished by the forced placements)"
  awk -v a="$made" -v ta="$ours" -v b="$passed" -v tb="$peer" \
    'BEGIN { if (b > 0 && ta > 0) printf "   ratio sudoku-batch / qqwing             %.0f\n", (a / ta) / (b / tb); else print "   ratio n/a" }'
else
  echo "   qqwing: not installed (Debian package qqwing)"
fi
echo

echo "b. depth on request, minimal (puzzles per CPU second)"
depths=(1 2 3 4 5 6 7 8)
counts=(2000 2000 2000 2000 1000 100 20 5)
if [[ -n ${DEEP:-} ]]; then
  depths+=(9 10)
  counts+=(3 1)
fi
for ((k = 0; k < ${#depths[@]}; k++)); do
  d=${depths[k]}
  c=${counts[k]}
  if ((d >= 9)); then
    t=$(runs=1 cpu "depth$d" "$batch" --generate="$c" --iterations="$d" --jobs=1 --seed=1)
  else
    t=$(cpu "depth$d" "$batch" --generate="$c" --iterations="$d" --jobs=1 --seed=1)
  fi
  printf '   --iterations=%-2s %6s puzzles %9s s  %s/s  %s s each\n' "$d" "$c" "$t" \
    "$(rate "$c" "$t")" "$(awk -v n="$c" -v t="$t" 'BEGIN { printf "%.3f", t / n }')"
done
echo

small=$(peak "$batch" --generate=1000 --jobs=1 --seed=1)
large=$(peak "$batch" --generate=100000 --jobs=1 --seed=1)
echo "c. peak resident memory"
echo "   --generate=1000                         $small KiB"
echo "   --generate=100000                       $large KiB"
awk -v a="$large" -v b="$small" \
  'BEGIN { printf "   100000 / 1000                           %.3f (%+.1f%%)\n", a / b, (a / b - 1) * 100 }'
