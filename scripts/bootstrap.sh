#!/usr/bin/env bash
# Installs what is missing from Debian's packages, then configures and builds in ./build.
# With --packages-only it stops after the packages.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    cmake g++ make ccache pkg-config libicu-dev libpcre2-dev
    qt6-base-dev qt6-webengine-dev qt6-svg-dev libqt6webenginecore6-bin qt6-translations-l10n
    libgl1-mesa-dev libgl1-mesa-dri libbenchmark-dev libtidy-dev
    fonts-ipafont-gothic xvfb xauth xdotool
    desktop-file-utils appstream dpkg-dev file
    openbox x11-utils xclip python3-xlib
    clang-14 libclang-rt-14-dev
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

[ "${1:-}" = "--packages-only" ] && exit 0

# ccache hits across clones of the tree, wherever they lie.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAGLOOM_BUILD_BENCH=ON >/dev/null
cmake --build build -j"$(nproc)"
