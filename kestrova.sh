#!/usr/bin/env bash
# Sets up what is missing, builds, then starts Kestrova ("run") or runs every test ("test").
set -euo pipefail
cd "$(dirname "$0")"

# xvfb (with xauth for xvfb-run) gives a real window to runs without a display;
# the tests read PDF reports back with poppler's pdftotext, set in DejaVu fonts.
packages=(cmake g++ make pkg-config qtbase5-dev libqt5sql5-sqlite libsqlite3-dev libbotan-2-dev xvfb xauth
          poppler-utils fonts-dejavu-core)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

build() {
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j "$(nproc)"
}

case "${1:-}" in
    run)
        install_missing
        build
        exec ./build/kestrova
        ;;
    test)
        install_missing
        build
        cd build
        exec ctest --output-on-failure -j "$(nproc)"
        ;;
    *)
        echo "usage: $0 run|test" >&2
        exit 2
        ;;
esac
