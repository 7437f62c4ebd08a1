#!/usr/bin/env bash
# Tells whether this machine can run the 32-bit program under 32-bit Wine:
# exits 0 when it can, else 1 and prints the reason. It tries to start the
# 32-bit Wine loader, a 32-bit Linux program, since some kernels run no
# 32-bit program at all whatever is installed.
#
# QUIPMARK_NO_32BIT=1 answers no, so that what a machine without 32-bit
# programs does can be tried on any machine.
if [ "${QUIPMARK_NO_32BIT:-0}" = 1 ]; then
    echo "switched off by QUIPMARK_NO_32BIT=1"
    exit 1
fi
loader=/usr/lib/wine/wine
if [ ! -x "$loader" ]; then
    echo "32-bit Wine ($loader) is not installed"
    exit 1
fi
if ! "$loader" --version >/dev/null 2>&1; then
    echo "this machine runs no 32-bit programs"
    exit 1
fi
exit 0
