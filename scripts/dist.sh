#!/usr/bin/env bash
# Builds what Windows users download, into build/dist/:
#   quipmark-VERSION.zip         the portable program: quipmark.exe, README.txt, LICENSE.txt
#   quipmark-VERSION-setup.exe   the per-user installer (installer/quipmark.nsi)
# from build/win32/quipmark.exe. The version is the one in the program's
# version resource (res/quipmark.rc), so it is written down only there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$root/build/win32/quipmark.exe
out=$root/build/dist
rc=$root/res/quipmark.rc

[ -f "$exe" ] || { echo "dist: $exe is missing; run make build first" >&2; exit 1; }

version=$(sed -n 's/^ *VALUE "ProductVersion", "\([^"]*\)".*/\1/p' "$rc")
version4=$(sed -n 's/^ *FILEVERSION *\([0-9]*\),\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1.\2.\3.\4/p' "$rc")
if [ -z "$version" ] || [ -z "$version4" ]; then
    echo "dist: no ProductVersion or FILEVERSION in $rc" >&2
    exit 1
fi

rm -rf "$out"
stage=$out/stage
mkdir -p "$stage"
i686-w64-mingw32-strip -o "$stage/quipmark.exe" "$exe"
# Windows' own text tools expect CRLF line ends.
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$root/docs/README-users.txt" >"$stage/README.txt"
sed -e 's/$/\r/' "$root/LICENSE" >"$stage/LICENSE.txt"
touch -r "$exe" "$stage"/*

zip=$out/quipmark-$version.zip
(cd "$stage" && zip -q -X -9 "$zip" quipmark.exe README.txt LICENSE.txt)
echo "dist: $zip"

setup=$out/quipmark-$version-setup.exe
makensis -V2 -NOCD \
    "-DVERSION=$version" "-DVERSION4=$version4" "-DSTAGE=$stage" \
    "-DICON=$root/res/quipmark.ico" "-DOUTFILE=$setup" \
    "$root/installer/quipmark.nsi"
echo "dist: $setup"
rm -rf "$stage"
