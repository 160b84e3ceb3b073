#!/usr/bin/env bash
# Runs every fuzz target for SECONDS (default 60) each, starting from a copy
# of its seed corpus, after `cmake --workflow --preset fuzz`. Any finding
# stops the script with a non-zero status and leaves the crashing input in
# the folder named by FUZZ_ARTIFACTS (default: a temporary folder, printed).
#
#   fuzz/run.sh 1800        # half an hour per target
#   FUZZ_CORPUS=keep/ fuzz/run.sh 600   # grow a corpus kept across runs
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD:-$root/build/fuzz}
work=$(mktemp -d)
corpus=${FUZZ_CORPUS:-$work/corpus}
artifacts=${FUZZ_ARTIFACTS:-$work/artifacts}
mkdir -p "$artifacts"
echo "fuzz: ${seconds}s per target; findings go to $artifacts"

for target in program_fuzz read_fuzz template_fuzz engine_fuzz counter_fuzz reader_fuzz; do
  mkdir -p "$corpus/$target"
  cp -n "$root/fuzz/corpus/$target"/* "$corpus/$target/"
  echo "== $target"
  # The counters' exhaustive searches can take seconds on a grid with no
  # solution under the sanitizers, more on a loaded machine.
  timeout=10
  if [ "$target" = counter_fuzz ]; then
    timeout=60
  fi
  "$build/fuzz/$target" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$corpus/$target" \
    >"$work/$target.log" 2>&1 || { tail -n 60 "$work/$target.log"; exit 1; }
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)|^#[0-9]+.*DONE' "$work/$target.log" || true
  echo "corpus: $(ls "$corpus/$target" | wc -l) inputs"
done
if [ -z "${FUZZ_ARTIFACTS:-}" ] && [ -z "${FUZZ_CORPUS:-}" ]; then
  rm -rf "$work"
fi
