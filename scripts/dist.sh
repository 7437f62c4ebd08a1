#!/usr/bin/env bash
# Builds what Windows users download, into build/dist/:
#   quipmark-VERSION.zip             the portable 32-bit program: quipmark.exe,
#                                    README.txt, LICENSE.txt
#   quipmark-VERSION-setup.exe       its per-user installer (installer/quipmark.nsi)
#   quipmark-VERSION-x64.zip         the same for the 64-bit program
#   quipmark-VERSION-x64-setup.exe
# from build/win32/quipmark.exe and build/win64/quipmark.exe. The version is
# the one in the program's version resource (res/quipmark.rc), so it is
# written down only there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/dist
rc=$root/res/quipmark.rc

version=$(sed -n 's/^ *VALUE "ProductVersion", "\([^"]*\)".*/\1/p' "$rc")
version4=$(sed -n 's/^ *FILEVERSION *\([0-9]*\),\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1.\2.\3.\4/p' "$rc")
if [ -z "$version" ] || [ -z "$version4" ]; then
    echo "dist: no ProductVersion or FILEVERSION in $rc" >&2
    exit 1
fi

rm -rf "$out"
mkdir -p "$out"

# pack BUILD TOOL_PREFIX NSIS_TARGET NAME_SUFFIX
pack() {
    local exe=$root/build/$1/quipmark.exe
    [ -f "$exe" ] || { echo "dist: $exe is missing; run make build first" >&2; exit 1; }
    local stage=$out/stage-$1
    mkdir -p "$stage"
    "$2-strip" -o "$stage/quipmark.exe" "$exe"
    # Windows' own text tools expect CRLF line ends.
    sed -e "s/@VERSION@/$version/g" -e "s/@SUFFIX@/$4/g" -e 's/$/\r/' "$root/docs/README-users.txt" >"$stage/README.txt"
    sed -e 's/$/\r/' "$root/LICENSE" >"$stage/LICENSE.txt"
    touch -r "$exe" "$stage"/*

    local zip=$out/quipmark-$version$4.zip
    (cd "$stage" && zip -q -X -9 "$zip" quipmark.exe README.txt LICENSE.txt)
    echo "dist: $zip"

    local setup=$out/quipmark-$version$4-setup.exe
    makensis -V2 -NOCD \
        "-DVERSION=$version" "-DVERSION4=$version4" "-DSTAGE=$stage" "-DTARGET=$3" \
        "-DICON=$root/res/quipmark.ico" "-DOUTFILE=$setup" \
        "$root/installer/quipmark.nsi"
    echo "dist: $setup"
    rm -rf "$stage"
}

pack win32 i686-w64-mingw32 x86-unicode ""
pack win64 x86_64-w64-mingw32 amd64-unicode -x64
