#!/usr/bin/env bash
# Installs what building, running and testing Quipmark needs on Debian 12.
# Quick when everything is already there: it only asks apt for missing packages.
#
# 32-bit Wine (wine32:i386) is installed where it installs; a machine that
# runs no 32-bit programs tests the 64-bit build alone (scripts/test-windows.sh).
set -euo pipefail

have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

pkgs=(cmake make g++ googletest nsis zip
      g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
      wine wine64 xvfb xclip xdotool x11-utils x11-xkb-utils xauth openbox imagemagick python3 locales
      clang libclang-rt-14-dev)
need=()
for p in "${pkgs[@]}"; do have_pkg "$p" || need+=("$p"); done
need32=0
have_pkg wine32:i386 || need32=1

[ ${#need[@]} -eq 0 ] && [ "$need32" = 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    [ ${#need[@]} -eq 0 ] && exit 0   # only 32-bit Wine is missing: not required
    echo "install-deps: missing packages ${need[*]}; run as root to install them" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
# A mirror caught mid-sync fails the update now and then ("File has unexpected
# size"); it is asked again, and the lists it did get serve if it never settles.
for try in 1 2 3 4 5; do
    apt-get update -qq && break
    echo "install-deps: apt-get update failed (try $try of 5)" >&2
    [ "$try" = 5 ] || sleep 20
done
if [ ${#need[@]} -gt 0 ]; then
    echo "install-deps: installing ${need[*]}"
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
if [ "$need32" = 1 ]; then
    echo "install-deps: installing wine32:i386"
    apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null ||
        echo "install-deps: wine32:i386 did not install; only the 64-bit build can be tested here"
fi
