#!/usr/bin/env bash
# Builds the Debian package quorvane_<version>_<arch>.deb into build/ from a
# release build of everything the package holds, and checks it with lintian
# when that is installed. Prints the package's path as the last line.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORVANE_PACKAGE_BUILD_DIR:-$here/build}
"$here/scripts/install-deps.sh" >&2
cmake -S "$here" -B "$build" >&2
cmake --build "$build" -j"$(nproc)" >&2
(cd "$build" && cpack -G DEB >&2)

deb=$(ls -t "$build"/quorvane_*.deb | head -n 1)
if command -v lintian >/dev/null; then
    lintian --fail-on error "$deb" >&2
fi
echo "$deb"
