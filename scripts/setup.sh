#!/usr/bin/env bash
# Installs every Debian package the project needs, when missing. Run as root
# (or with sudo available). Safe to run again.
set -euo pipefail
PACKAGES=(
    wine wine64 g++-mingw-w64-x86-64-posix cmake ninja-build googletest
    cups cups-client printer-driver-cups-pdf ghostscript poppler-utils
    clang libwine-dev   # the Windows build check (scripts/msvc-check.sh)
)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
# A system cupsd started by the package is not used; the tests run their own.
