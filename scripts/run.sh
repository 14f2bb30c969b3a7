#!/usr/bin/env bash
# Starts Tarvella from the build tree; without a display, prints the default chart's report.
set -euo pipefail
build=${1:-build}
if [[ -x "$build/bin/tarvella" && -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  exec "$build/bin/tarvella"
fi
if [[ -x "$build/bin/tarvella" ]]; then
  echo "No display found: here is the default chart's report. On a desktop, 'make run' starts Tarvella."
  exec "$build/bin/tarvella-cli" report
fi
exec "$build/bin/tarvella-cli" report
