#!/usr/bin/env bash
# The project's test command: installs what is missing, builds, and runs the
# whole test suite (CTest, then a bounded fuzz run of the frame decoder).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVANE_BUILD:-$here/build}
jobs=$(nproc)

bash "$here/scripts/install-deps.sh"

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

cmake -S "$here" -B "$build" "${launcher[@]}"
cmake --build "$build" -j "$jobs"
(cd "$build" && ctest --output-on-failure --timeout 900)

if [ -x "$here/scripts/fuzz.sh" ]; then
    bash "$here/scripts/fuzz.sh"
fi
