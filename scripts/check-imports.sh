#!/usr/bin/env bash
# Fails when a Windows program imports a DLL that Windows itself does not
# ship: Quipmark is linked statically so that its exe runs from anywhere.
# It also fails when the exe imports by name a comctl32 function that older
# versions export only by ordinal (the window subclassing ones).
#
#   scripts/check-imports.sh [EXE...]    default build/win32/quipmark.exe and
#                                        build/win64/quipmark.exe
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -gt 0 ] || set -- "$root/build/win32/quipmark.exe" "$root/build/win64/quipmark.exe"
allowed='KERNEL32 USER32 GDI32 COMCTL32 SHELL32 OLE32 OLEAUT32 ADVAPI32 MSVCRT'

bad=0
for exe in "$@"; do
    # The 64-bit objdump reads the import tables of both kinds of program.
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r')
    [ -n "$dlls" ] || { echo "check-imports: no import table in $exe" >&2; bad=1; continue; }
    ok=1
    for dll in $dlls; do
        name=$(echo "${dll%.*}" | tr '[:lower:]' '[:upper:]')
        case " $allowed " in
            *" $name "*) ;;
            *) echo "check-imports: $exe needs $dll, which is not part of Windows" >&2; ok=0; bad=1 ;;
        esac
    done
    by_ordinal_only=$(x86_64-w64-mingw32-objdump -p "$exe" |
        grep -Eo '\b(Set|Get|Remove)WindowSubclass\b|\bDefSubclassProc\b' | sort -u | tr '\n' ' ' || true)
    if [ -n "$by_ordinal_only" ]; then
        echo "check-imports: $exe imports by name $by_ordinal_only(older comctl32 exports them by ordinal only)" >&2
        ok=0; bad=1
    fi
    [ "$ok" = 0 ] || echo "check-imports: ${exe#"$root"/} needs only Windows' own DLLs:" $dlls
done
exit "$bad"
