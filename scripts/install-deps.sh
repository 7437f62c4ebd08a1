#!/usr/bin/env bash
# Installs what building, running and testing Quipmark needs on Debian 12.
# Quick when everything is already there: it only asks apt for missing packages.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

pkgs=(cmake make g++ g++-mingw-w64-i686 binutils-mingw-w64-i686 googletest nsis zip
      wine wine32:i386 xvfb xclip xdotool x11-utils x11-xkb-utils xauth openbox imagemagick python3
      clang libclang-rt-14-dev)
for p in "${pkgs[@]}"; do have_pkg "$p" || need+=("$p"); done

[ ${#need[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: missing packages ${need[*]}; run as root to install them" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
echo "install-deps: installing ${need[*]}"
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
