#!/usr/bin/env bash
# Installs what Ravlo needs to build, run and test on Debian 12, only when something is missing.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qtbase5-dev qtbase5-dev-tools
    libqt5websockets5-dev libqt5serialport5-dev libqt5sql5-sqlite
    rapidjson-dev
    qttools5-dev qttools5-dev-tools
    xvfb xauth fonts-dejavu-core openssl desktop-file-utils
    python3  # the tests read exported CSV files back with Python's csv module
)
if [ "${RAVLO_WITH_BENCH:-0}" = 1 ]; then
    packages+=(libbenchmark-dev)
fi
# The sanitized build and the fuzz targets use clang 14 with its sanitizer and libFuzzer
# runtimes (libclang-rt-14-dev) and its symbolizer (llvm-14) for readable reports.
if [ "${RAVLO_WITH_SANITIZE:-0}" = 1 ] || [ "${RAVLO_WITH_FUZZ:-0}" = 1 ]; then
    packages+=(clang-14 libclang-rt-14-dev llvm-14)
fi
if [ "${RAVLO_WITH_CCACHE:-0}" = 1 ]; then
    packages+=(ccache)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -q
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
