#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Quorvane
# needs. Safe to run again: packages already present are left alone.
set -euo pipefail

packages=(
    # build
    build-essential cmake pkg-config ccache
    qtbase5-dev libqt5serialport5-dev libqt5sql5-psql libqt5sql5-sqlite libqt5svg5-dev
    qttools5-dev-tools qttools5-dev libqwt-qt5-dev libxlsxwriter-dev
    # the panel asks for Arial; Liberation Sans has its metrics
    fonts-liberation
    # the Chinese translation needs a font with its characters
    fonts-wqy-microhei
    # the reading store and its tests
    postgresql postgresql-client
    # the TLS certificates of the service-file test
    openssl
    # help file compiler; Qt's own Chinese texts for file dialogs and buttons
    fp-utils qttranslations5-l10n
    # opens an exported workbook with the desktop's program for it
    xdg-utils
    # the Debian package: shared-library dependencies, checks, manual pages
    dpkg-dev lintian appstream man-db
    # fuzzing the frame decoder
    clang libclang-rt-14-dev
    # export and print tests
    python3-openpyxl cups cups-client cups-bsd printer-driver-cups-pdf poppler-utils
    # the start-up test runs the program on a private X server
    xvfb x11-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
