#!/usr/bin/env bash
# Fuzzing to depth: every fuzz target for FUZZ_LONG_SECONDS (default 600), at most FUZZ_LONG_JOBS
# (default 2) at a time, from the committed seeds in fuzz/corpus/<target> and the dictionary
# fuzz/dict/<target>.dict where there is one. What a run finds is kept in a working corpus outside
# the repository (FUZZ_LONG_CORPUS, default ~/.cache/tarvella-fuzz/<target>), so the next run goes
# on from there; FUZZ_LONG_MERGE=1 merges into fuzz/corpus/<target> only the inputs that add
# coverage. A crash, hang or memory blow-up is kept under the build's fuzz-long/ folder and the
# target goes on fuzzing for the rest of its time. Ends with a table per target; fails when
# anything was found.
set -euo pipefail
seconds=${FUZZ_LONG_SECONDS:-600}
jobs=${FUZZ_LONG_JOBS:-2}
build=${1:-build-fuzz}
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
corpus=${FUZZ_LONG_CORPUS:-${XDG_CACHE_HOME:-$HOME/.cache}/tarvella-fuzz}
out="$build/fuzz-long"
if [[ ! -f $build/CMakeCache.txt ]]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVELLA_FUZZ=ON >/dev/null
fi
if ! cmake --build "$build" -j "$(nproc)" >"$build/build.log" 2>&1; then
  tail -40 "$build/build.log"; exit 1
fi
rm -rf "$out"
mkdir -p "$out"

# One target for the whole time, started again after each failure (the failing input is not in
# the corpus, so the next run does not begin with it). Writes "executions seconds crashes
# failures": the crashes are the distinct inputs kept (a crash found twice is one file), the
# failures the runs that did not end well, with or without an input.
run_target() {
  local name=$1 exe="$build/bin/fuzz_$1"
  local work="$corpus/$name" artifacts="$out/$name" log dict=()
  mkdir -p "$work" "$artifacts"
  if [[ -f fuzz/dict/$name.dict ]]; then dict=(-dict="fuzz/dict/$name.dict"); fi
  local start end=$(($(date +%s) + seconds)) runs=0 failures=0 round=0 left
  start=$(date +%s)
  while left=$((end - $(date +%s))); ((left > 0)); do
    round=$((round + 1))
    log="$out/$name.$round.log"
    if ! "$exe" -max_total_time="$left" -timeout=5 -rss_limit_mb=2048 -print_final_stats=1 "${dict[@]}" \
         -artifact_prefix="$artifacts/" "$work" "fuzz/corpus/$name" >"$log" 2>&1; then
      failures=$((failures + 1))
      sleep 1  # a target that fails at once would spin
    fi
    runs=$((runs + $(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo 0)))
  done
  echo "$runs $(($(date +%s) - start)) $(find "$artifacts" -type f | wc -l) $failures" >"$out/$name.result"
  if [[ ${FUZZ_LONG_MERGE:-0} == 1 ]]; then
    "$exe" -merge=1 "fuzz/corpus/$name" "$work" >"$out/$name.merge.log" 2>&1 || true
  fi
}

names=()
for exe in "$build"/bin/fuzz_*; do
  name=$(basename "$exe"); names+=("${name#fuzz_}")
done
echo "fuzz-long: ${#names[@]} targets, ${seconds} s each, $jobs at a time; corpus in $corpus"
for name in "${names[@]}"; do
  while (($(jobs -rp | wc -l) >= jobs)); do wait -n || true; done
  run_target "$name" &
done
wait

status=0
printf '%-16s %14s %10s %9s\n' target executions exec/s crashes
for name in "${names[@]}"; do
  read -r runs took crashes failures <"$out/$name.result"
  printf '%-16s %14s %10s %9s\n' "$name" "$runs" "$((runs / (took > 0 ? took : 1)))" "$crashes"
  if ((crashes > 0 || failures > 0)); then
    status=1
    ls "$out/$name"/* 2>/dev/null | sed 's/^/    /'
    echo "    $failures runs failed; logs in $out/$name.*.log"
  fi
done
if [[ ${FUZZ_LONG_MERGE:-0} == 1 ]]; then echo "merged new coverage into fuzz/corpus/"; fi
exit $status
