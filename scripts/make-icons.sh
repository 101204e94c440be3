#!/usr/bin/env bash
# Redraws resources/image/start.jpg, stop.jpg and the desktop icon
# resources/quorvane.png with tools/icons/make_icons.cpp.
# Only needed to change the icons; the images are committed.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

g++ -std=c++17 -fPIC -Wall -Wextra -o "$work/make_icons" "$here/tools/icons/make_icons.cpp" \
    $(pkg-config --cflags --libs Qt5Gui)
mkdir -p "$here/resources/image"
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work" "$work/make_icons" "$here/resources"
echo "Wrote resources/image/start.jpg, resources/image/stop.jpg and resources/quorvane.png"
