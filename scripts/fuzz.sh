#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given number of seconds (default 20),
# starting from the seeds in fuzz/corpus/<target>; fails on the first crash or sanitizer report.
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
status=0
for exe in "$build"/bin/fuzz_*; do
  name=$(basename "$exe"); name=${name#fuzz_}
  work="$build/corpus/$name"
  mkdir -p "$work" "$build/artifacts/$name"
  log="$build/$name.log"
  # New inputs go to the build's corpus; the committed seeds are only read.
  if "$exe" -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$build/artifacts/$name/" "$work" "fuzz/corpus/$name" >"$log" 2>&1; then
    runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo '?')
    echo "fuzz $name: $runs executions in ${seconds} s, no failure"
  else
    echo "fuzz $name: FAILED (see $log)"; tail -30 "$log"; status=1
  fi
done
exit $status
