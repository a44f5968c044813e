#!/usr/bin/env bash
# Builds everything and runs the whole test suite (unit, UI, scenario and
# end-to-end tests). Usage: scripts/test.sh [preset]   (default: "default")
# TAVRIN_WERROR=ON makes every compiler warning of the project's own code an
# error (CI); the default is OFF.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
cmake --preset "$preset" -DTAVRIN_WERROR="${TAVRIN_WERROR:-OFF}" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
