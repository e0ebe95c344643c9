#!/usr/bin/env bash
# Installs every Debian package Tavilo needs to build, run and test. Safe to run again: packages that
# are already present are left alone and nothing is downloaded when everything is installed.
set -euo pipefail

packages=(
    # toolchain
    build-essential cmake pkg-config ccache clang libclang-rt-14-dev
    # JUCE as packaged by Debian (modules, CMake config, juceaide) and what its modules link
    juce-modules-source juce-tools
    libasound2-dev libjack-jackd2-dev libfreetype-dev libfontconfig1-dev libcurl4-openssl-dev
    libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev libxext-dev libgl-dev
    # engine and package dependencies
    libfftw3-dev picojson-dev
    # model training (PNG artwork; the tests read it back with libpng)
    zlib1g-dev libpng-dev
    # audio server without a sound card
    jackd2
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev sptk sox liblo-tools xvfb xdotool x11-utils
    # assets and fonts
    librsvg2-bin fonts-noto-cjk
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: everything is installed"
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
else
    SUDO=
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# jackd2 asks whether to enable real-time priority; answer once so the install never blocks.
echo "jackd2 jackd/tweak_rt_limits boolean false" | $SUDO debconf-set-selections
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
