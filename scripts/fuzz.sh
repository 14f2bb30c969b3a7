#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given number of seconds (default 20),
# two at a time, starting from the seeds in fuzz/corpus/<target>; fails on any crash or sanitizer
# report.
set -euo pipefail
seconds=${1:-20}
build=${2:-build-fuzz}
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
if [[ ! -f $build/CMakeCache.txt ]]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVELLA_FUZZ=ON >/dev/null
fi
if ! cmake --build "$build" -j "$(nproc)" >"$build/build.log" 2>&1; then
  tail -40 "$build/build.log"; exit 1
fi
# Two targets at a time, each on its own core, so that more targets take no longer.
run_target() {
  local name=$1 exe="$build/bin/fuzz_$1"
  local work="$build/corpus/$name" log="$build/$name.log" runs dict=()
  mkdir -p "$work" "$build/artifacts/$name"
  if [[ -f fuzz/dict/$name.dict ]]; then dict=(-dict="fuzz/dict/$name.dict"); fi
  # New inputs go to the build's corpus; the committed seeds are only read.
  if "$exe" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -print_final_stats=1 "${dict[@]}" \
       -artifact_prefix="$build/artifacts/$name/" "$work" "fuzz/corpus/$name" >"$log" 2>&1; then
    runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo '?')
    echo "fuzz $name: $runs executions in ${seconds} s, no failure" >"$build/$name.result"
  else
    { echo "fuzz $name: FAILED (see $log)"; tail -30 "$log"; } >"$build/$name.result"
  fi
}
names=()
for exe in "$build"/bin/fuzz_*; do
  name=$(basename "$exe"); names+=("${name#fuzz_}")
done
for name in "${names[@]}"; do
  while (($(jobs -rp | wc -l) >= 2)); do wait -n || true; done
  run_target "$name" &
done
wait
status=0
for name in "${names[@]}"; do
  cat "$build/$name.result"
  if grep -q '^fuzz [a-z_]*: FAILED' "$build/$name.result"; then status=1; fi
done
exit $status
