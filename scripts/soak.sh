#!/usr/bin/env bash
# Soak run: the program offscreen against the meter simulator at full rate
# with noise for MINUTES (default 10), storing into a throwaway PostgreSQL.
# Prints samples taken, rows stored and missing (must be 0) and the RSS every
# minute; fails when the RSS grows by more than 2 MiB after the first five
# minutes. Not part of the test suite.
#
#   scripts/soak.sh [MINUTES]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVANE_BUILD:-$here/build}
minutes=${1:-10}

bash "$here/scripts/install-deps.sh"
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target soak_app quorvane-metersim

QT_QPA_PLATFORM=offscreen QUORVANE_BUILD_DIR="$build" "$build/tests/app/soak_app" "$minutes"
