#!/usr/bin/env bash
# Tarvo.exe is a 64-bit GUI program whose imports are all DLLs that ship with
# Windows 10: the MinGW runtime, libstdc++ and libgcc are linked in, and nothing of
# winpthreads (the toolchain's win32 thread model needs none).
set -euo pipefail
exe=${1:?Tarvo.exe}
headers=$(x86_64-w64-mingw32-objdump -p "$exe")
grep -q 'file format pei-x86-64' <<<"$headers" || { echo "not a PE32+ x86-64 image" >&2; exit 1; }
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$headers" || { echo "not the GUI subsystem" >&2; exit 1; }
status=0
while read -r dll; do
    case "${dll,,}" in
    kernel32.dll | user32.dll | gdi32.dll | ole32.dll | comdlg32.dll | d2d1.dll | dwrite.dll | msvcrt.dll | \
        windowscodecs.dll | advapi32.dll | shell32.dll | oleaut32.dll | oleacc.dll) echo "imports $dll" ;;
    *) echo "imports $dll, which Windows 10 does not ship" >&2; status=1 ;;
    esac
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
if grep -qai 'winpthread' "$exe"; then
    echo "winpthreads is linked into the exe" >&2
    status=1
fi
exit $status
