#!/usr/bin/env bash
# Prepares (setup) or removes (cleanup) folders in which saving must fail:
# "locked" cannot be written at all (immutable), "full" is a 64 KiB file
# system. The GUI tests skip their cases when a folder could not be made.
set -u
dir=$2
case $1 in
setup)
    "$0" cleanup "$dir"
    mkdir -p "$dir/locked" "$dir/full"
    chattr +i "$dir/locked" 2>/dev/null || rmdir "$dir/locked"
    mount -t tmpfs -o size=64k quipmark-full "$dir/full" 2>/dev/null || rmdir "$dir/full"
    ;;
cleanup)
    [ -d "$dir/locked" ] && chattr -i "$dir/locked" 2>/dev/null
    mountpoint -q "$dir/full" 2>/dev/null && umount "$dir/full"
    rm -rf "$dir"
    ;;
esac
exit 0
