#!/usr/bin/env bash
# sudoku-batch side by side with a peer solver, qqwing (Debian package
# qqwing), on the same puzzle files in one run. Each command runs whole, its
# output to /dev/null, RUNS times; the figures are medians of its CPU time
# and wall time, and of its peak resident memory, from /usr/bin/time. The CPU
# time is the command's own, from `perf stat -e task-clock` (from the
# command's start to its end, threads included) where perf may count, else
# user + system to the millisecond from the shell's `time`, which also
# counts the shell's fork before each command: several milliseconds on some
# machines. Wall time is the shell's. sudoku-batch's count of the first
# 5,000 puzzles, which lasts about a hundredth of a second, is timed ten runs
# at a time.
#
#   a. solve: sudoku-batch --format=line --jobs 1 against qqwing --solve
#      --one-line, over the whole 17-clue collection;
#   b. count: sudoku-batch --format=line --count --jobs 1 against qqwing
#      --solve --count-solutions --one-line, over the first 5,000 puzzles of
#      the 17-clue collection, over top95 repeated TOP95_COPIES times (default
#      100) and over tdoku's unique-solution puzzles repeated TDOKU_COPIES
#      times (default 200), so that each run of sudoku-batch lasts long
#      enough that the few milliseconds any process takes to start (about 3
#      for /bin/true on a small virtual machine) do not count for the
#      puzzles;
#   c. jobs:  sudoku-batch --format=line --jobs 2 against --jobs 1, wall
#      clock from the shell's time (no perf around them), over the whole
#      collection; and, as the machine's own ceiling for that speed-up, two
#      --jobs 1 runs started together: twice the time of one run alone over
#      the time of the pair. Two processors that slow each other down (two
#      threads of one core, or a busy host) give less than 2 there, and
#      --jobs 2 cannot do better;
#   d. memory: peak resident memory of sudoku-batch --format=line over the
#      first 5,000 puzzles and over the whole collection.
#
# The ratios in a and b are qqwing's CPU time over sudoku-batch's: 30 means
# sudoku-batch needs thirty times less. A last table sets them beside the
# targets. When qqwing is not installed, a and b are skipped with a message;
# a set whose file is missing from DATA is skipped too. Nothing is written
# into the checkout.
#
# Usage: bench/peer.sh [BATCH [DATA [RUNS]]]  (paths from the checkout's top folder)
#   BATCH  default build/release/sudoku-batch
#   DATA   default data (the folder holding sudoku17.txt)
#   RUNS   default 3
set -euo pipefail
cd "$(dirname "$0")/.."

batch=${1:-build/release/sudoku-batch}
data=${2:-data}
runs=${3:-3}
puzzles=$data/sudoku17.txt

if [[ ! -x /usr/bin/time ]]; then
  echo "peer.sh: /usr/bin/time is missing (Debian package: time)" >&2
  exit 2
fi
if [[ ! -x $batch ]]; then
  echo "peer.sh: no program at $batch" >&2
  exit 2
fi
if [[ ! -r $puzzles ]]; then
  echo "peer.sh: no puzzles at $puzzles" >&2
  exit 2
fi
if ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "peer.sh: RUNS must be a positive whole number, not '$runs'" >&2
  exit 2
fi
qqwing=$(command -v qqwing || true)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -n 5000 "$puzzles" >"$work/first5000.txt"
all=$(wc -l <"$puzzles")

# repeat FILE COPIES OUT: OUT holds FILE COPIES times; prints its line count,
# or nothing when FILE is missing.
repeat() {
  [[ -r $1 ]] || return 0
  for ((n = 0; n < $2; n++)); do cat "$1"; done >"$3"
  wc -l <"$3"
}
top95_lines=$(repeat "$data/top95.txt" "${TOP95_COPIES:-100}" "$work/top95.txt")
tdoku_lines=$(repeat "$data/tdoku_unique18.txt" "${TDOKU_COPIES:-200}" "$work/tdoku.txt")

declare -A cpu wall rss
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Whether perf may count this user's processes here.
clock=shell
if command -v perf >/dev/null && perf stat -x, -e task-clock -o /dev/null true 2>/dev/null; then
  clock=perf
fi

# measure NAME INPUT COMMAND...: runs COMMAND RUNS times with standard input
# INPUT and standard output /dev/null; a failing run stops the script. Sets
# cpu[NAME] and wall[NAME] to the medians, in seconds. With `repeat` set to
# K, each timed run is K runs of COMMAND in a row, and its times are divided
# by K: the shell times to the millisecond, too coarse for a run of ten.
repeat=1
runs_of() {
  local input=$1 k
  shift
  for ((k = 0; k < repeat; k++)); do
    if [[ $clock == perf ]]; then
      perf stat -x, -e task-clock --append -o "$work/clock.txt" -- "$@" <"$input" >/dev/null \
        2>"$work/err.txt" || return 1
    else
      "$@" <"$input" >/dev/null 2>"$work/err.txt" || return 1
    fi
  done
}
measure() {
  local name=$1 input=$2
  shift 2
  local results=$work/$name.txt TIMEFORMAT='%3R %3U %3S'
  : >"$results"
  for ((n = 0; n < runs; n++)); do
    : >"$work/clock.txt"
    if ! { time runs_of "$input" "$@"; } 2>"$work/time.txt"; then
      echo "peer.sh: '$*' failed:" >&2
      cat "$work/err.txt" >&2
      exit 1
    fi
    # perf's lines: milliseconds,msec,task-clock,...
    awk -F, '$3 == "task-clock" { ms += $1; n++ } END { print n + 0, ms / 1000 }' \
      "$work/clock.txt" >"$work/perf.txt"
    awk -v k="$repeat" -v f="$([[ $repeat == 1 ]] && echo %.3f || echo %.4f)" -v clock="$clock" \
      'NR == FNR { counted = $1; seconds = $2; next }
       { cpu = clock == "perf" && counted == k ? seconds : $2 + $3
         printf f " " f "\n", $1 / k, cpu / k }' "$work/perf.txt" "$work/time.txt" >>"$results"
  done
  wall[$name]=$(awk '{ print $1 }' "$results" | median)
  cpu[$name]=$(awk '{ print $2 }' "$results" | median)
}

# peak NAME COMMAND...: like measure, standard input empty; sets rss[NAME] to
# the median peak resident memory in KiB.
peak() {
  local name=$1
  shift
  local results=$work/$name.txt
  : >"$results"
  for ((n = 0; n < runs; n++)); do
    if ! /usr/bin/time -f '%M' -o "$work/time.txt" "$@" </dev/null >/dev/null 2>"$work/err.txt"; then
      echo "peer.sh: '$*' failed:" >&2
      cat "$work/err.txt" >&2
      exit 1
    fi
    tail -n 1 "$work/time.txt" >>"$results"
  done
  rss[$name]=$(median <"$results")
}

# check N COMMAND...: one untimed run whose output must have N lines, one
# record per puzzle, so that a run that does nothing is not timed as fast.
check() {
  local expected=$1
  shift
  if ! "$@" </dev/null >"$work/out.txt" 2>"$work/err.txt"; then
    echo "peer.sh: '$*' failed:" >&2
    cat "$work/err.txt" >&2
    exit 1
  fi
  local got
  got=$(wc -l <"$work/out.txt")
  if ((got != expected)); then
    echo "peer.sh: '$*' wrote $got lines for $expected puzzles" >&2
    exit 1
  fi
}

# ratio A B: A / B with one decimal, or "n/a" when B is 0.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.1f", a / b; else print "n/a" }'; }

rate() { awk -v n="$1" -v t="$2" 'BEGIN { if (t > 0) printf "%.0f", n / t; else print "n/a" }'; }

check "$all" "$batch" --format=line --jobs 1 "$puzzles"
check 5000 "$batch" --format=line --count --jobs 1 "$work/first5000.txt"
if [[ -n $top95_lines ]]; then
  check "$top95_lines" "$batch" --format=line --count --jobs 1 "$work/top95.txt"
fi
if [[ -n $tdoku_lines ]]; then
  check "$tdoku_lines" "$batch" --format=line --count --jobs 1 "$work/tdoku.txt"
fi
check "$all" "$batch" --format=line --jobs 2 "$puzzles"

echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)"
# The counter version sudoku-batch picks here, from the processor's flags, as
# solver/compteur_choix.cc does (for a build with the wider versions).
flags=" $(awk -F': ' '/^flags/ { print $2; exit }' /proc/cpuinfo) "
has() { for f in "$@"; do [[ $flags == *" $f "* ]] || return 1; done; }
version=portable
if has avx2 bmi1 bmi2 popcnt; then
  version=avx2
  if has avx512f avx512bw avx512dq avx512vl; then
    version=avx512
  fi
fi
echo "solution counter version for this processor: $version"
echo "puzzles: $puzzles ($all lines); $runs runs per command, medians"
if [[ $clock == perf ]]; then
  echo "CPU time: each command's own, from perf stat -e task-clock"
else
  echo "CPU time: user + system from the shell's time (perf cannot count here), with its forks"
fi
echo

if [[ -n $qqwing ]]; then
  measure batch_solve /dev/null "$batch" --format=line --jobs 1 "$puzzles"
  measure peer_solve "$puzzles" "$qqwing" --solve --one-line
  echo "a. solve, whole collection (CPU seconds, puzzles per CPU second)"
  echo "   sudoku-batch --format=line --jobs 1     ${cpu[batch_solve]} s  $(rate "$all" "${cpu[batch_solve]}")/s"
  echo "   qqwing --solve --one-line               ${cpu[peer_solve]} s  $(rate "$all" "${cpu[peer_solve]}")/s"
  echo "   ratio qqwing / sudoku-batch             $(ratio "${cpu[peer_solve]}" "${cpu[batch_solve]}")"
  echo

  # count NAME FILE LINES TITLE REPEAT: the count of one set, both programs,
  # sudoku-batch's runs timed REPEAT at a time.
  count() {
    repeat=$5
    measure "batch_$1" /dev/null "$batch" --format=line --count --jobs 1 "$2"
    repeat=1
    measure "peer_$1" "$2" "$qqwing" --solve --count-solutions --one-line
    echo "b. count, $4 (CPU seconds, puzzles per CPU second)"
    echo "   sudoku-batch --format=line --count      ${cpu[batch_$1]} s  $(rate "$3" "${cpu[batch_$1]}")/s"
    echo "   qqwing --solve --count-solutions        ${cpu[peer_$1]} s  $(rate "$3" "${cpu[peer_$1]}")/s"
    echo "   ratio qqwing / sudoku-batch             $(ratio "${cpu[peer_$1]}" "${cpu[batch_$1]}")"
    echo
  }
  # The first 5000 take sudoku-batch about a hundredth of a second: ten runs
  # in a row are timed as one.
  count count "$work/first5000.txt" 5000 "first 5000 puzzles" 10
  if [[ -n $top95_lines ]]; then
    count top95 "$work/top95.txt" "$top95_lines" "top95 repeated, $top95_lines puzzles" 1
  fi
  if [[ -n $tdoku_lines ]]; then
    count tdoku "$work/tdoku.txt" "$tdoku_lines" "tdoku_unique18 repeated, $tdoku_lines puzzles" 1
  fi
else
  echo "a, b. skipped: qqwing is not installed (Debian package qqwing)"
  echo
  measure batch_solve /dev/null "$batch" --format=line --jobs 1 "$puzzles"
fi

# Wall clock without perf around the program (its own start-up would count).
clock=shell measure batch_jobs1 /dev/null "$batch" --format=line --jobs 1 "$puzzles"
clock=shell measure batch_jobs2 /dev/null "$batch" --format=line --jobs 2 "$puzzles"
# pair COMMAND...: two COMMANDs started together; fails when either fails.
pair() {
  "$@" &
  local first=$!
  "$@" || return 1
  wait "$first"
}
clock=shell measure batch_pair /dev/null pair "$batch" --format=line --jobs 1 "$puzzles"
ceiling=$(awk -v one="${wall[batch_jobs1]}" -v two="${wall[batch_pair]}" \
  'BEGIN { if (two > 0) printf "%.1f", 2 * one / two; else print "n/a" }')
echo "c. jobs, whole collection (wall seconds)"
echo "   --jobs 1                                ${wall[batch_jobs1]} s  (CPU ${cpu[batch_jobs1]} s)"
echo "   --jobs 2                                ${wall[batch_jobs2]} s  (CPU ${cpu[batch_jobs2]} s)"
echo "   wall-clock speed-up                     $(ratio "${wall[batch_jobs1]}" "${wall[batch_jobs2]}")"
echo "   two --jobs 1 runs started together      ${wall[batch_pair]} s  (CPU ${cpu[batch_pair]} s)"
echo "   the machine's ceiling (2 x one / pair)  $ceiling"
echo

peak batch_5000 "$batch" --format=line "$work/first5000.txt"
peak batch_all "$batch" --format=line "$puzzles"
echo "d. peak resident memory of sudoku-batch --format=line"
echo "   first 5000 puzzles                      ${rss[batch_5000]} KiB"
printf '   %-40s%s KiB\n' "all $all puzzles" "${rss[batch_all]}"
awk -v a="${rss[batch_all]}" -v b="${rss[batch_5000]}" \
  'BEGIN { printf "   all / first 5000                        %.3f (%+.1f%%)\n", a / b, (a / b - 1) * 100 }'

if [[ -n $qqwing ]]; then
  # target NAME TARGET TITLE: one line of the table, qqwing / sudoku-batch.
  target() {
    local r
    r=$(ratio "${cpu[peer_$1]}" "${cpu[batch_$1]}")
    printf '   %-44s %8s %8s  %s\n' "$3" "$r" "$2" \
      "$(awk -v r="$r" -v t="$2" 'BEGIN { print (r != "n/a" && r + 0 >= t) ? "yes" : "no" }')"
  }
  echo
  echo "targets (CPU time of qqwing / sudoku-batch, --jobs 1)"
  printf '   %-44s %8s %8s  %s\n' "" measured target met
  target solve 50 "solve, whole 17-clue collection"
  target count 60 "count, 17-clue collection, first 5000"
  if [[ -n $top95_lines ]]; then
    target top95 115 "count, top95 repeated"
  fi
  if [[ -n $tdoku_lines ]]; then
    target tdoku 210 "count, tdoku_unique18 repeated"
  fi
  printf '   %-44s %8s %8s\n' "--jobs 2 wall-clock speed-up" \
    "$(ratio "${wall[batch_jobs1]}" "${wall[batch_jobs2]}")" "~1.9"
  printf '   %-44s %8s\n' "  this machine's ceiling for it" "$ceiling"
  printf '   %-44s %8s %8s\n' "peak memory, all / first 5000" \
    "$(awk -v a="${rss[batch_all]}" -v b="${rss[batch_5000]}" 'BEGIN { printf "%.3f", a / b }')" "~1"
fi
