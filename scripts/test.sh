#!/usr/bin/env bash
# Builds everything and runs the whole test suite (unit, UI, scenario and
# end-to-end tests). Usage: scripts/test.sh [preset]   (default: "default")
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
