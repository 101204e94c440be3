#!/usr/bin/env bash
# The one-command run: installs what is missing, builds the program, makes
# the database it expects reachable, and starts it from build/bin, where its
# relative paths ("language/", "./plugins", "help.chm") resolve.
#
#   scripts/run.sh                          the program alone, for a real meter
#   scripts/run.sh --simulator [OPTIONS]    also a simulated meter on a
#                                           pseudo-terminal (OPTIONS go to
#                                           quorvane-metersim, e.g. --scenario tour)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVANE_BUILD:-$here/build}
bin=$build/bin

simulate=0
sim_args=()
if [ $# -gt 0 ] && [ "$1" = "--simulator" ]; then
    simulate=1
    shift
    sim_args=("$@")
elif [ $# -gt 0 ]; then
    echo "usage: $0 [--simulator [quorvane-metersim options]]" >&2
    exit 2
fi

bash "$here/scripts/install-deps.sh"

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" "${launcher[@]}" >/dev/null
targets=(quorvane)
if [ $simulate -eq 1 ]; then
    targets+=(quorvane-metersim)
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

# The program works without its store too: it then shows readings without
# keeping them.
if ! bash "$here/scripts/db-setup.sh"; then
    echo "Starting without the database: readings are shown but not stored." >&2
fi

sim_pid=
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT

if [ $simulate -eq 1 ]; then
    # The simulator prints its pseudo-terminal's path as its first line.
    sim_out=$(mktemp)
    "$bin/quorvane-metersim" "${sim_args[@]}" >"$sim_out" &
    sim_pid=$!
    device=
    for _ in $(seq 50); do
        device=$(head -n 1 "$sim_out")
        [ -n "$device" ] && break
        if ! kill -0 "$sim_pid" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    rm -f "$sim_out"
    if [ -z "$device" ]; then
        echo "The meter simulator did not start." >&2
        exit 1
    fi
    echo
    echo "Simulated meter on: $device"
    echo "In Quorvane choose Set > Serial port, type $device into the box, press OK, then Start."
    echo
fi

cd "$bin"
./quorvane
