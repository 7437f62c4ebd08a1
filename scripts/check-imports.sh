#!/usr/bin/env bash
# Fails when a Windows program imports a DLL that Windows itself does not
# ship: Quipmark is linked statically so that its exe runs from anywhere.
#
#   scripts/check-imports.sh [EXE]       default build/win32/quipmark.exe
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-$root/build/win32/quipmark.exe}
allowed='KERNEL32 USER32 GDI32 COMCTL32 SHELL32 OLE32 OLEAUT32 ADVAPI32 MSVCRT'

dlls=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r')
[ -n "$dlls" ] || { echo "check-imports: no import table in $exe" >&2; exit 1; }
bad=0
for dll in $dlls; do
    name=$(echo "${dll%.*}" | tr '[:lower:]' '[:upper:]')
    case " $allowed " in
        *" $name "*) ;;
        *) echo "check-imports: $exe needs $dll, which is not part of Windows" >&2; bad=1 ;;
    esac
done
[ "$bad" = 0 ] && echo "check-imports: $(basename "$exe") needs only Windows' own DLLs:" $dlls
exit "$bad"
