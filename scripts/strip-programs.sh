#!/usr/bin/env bash
# Strips the debug information from Windows programs in place, each with the strip of its own
# architecture (the shipped 32-bit programs, or the 64-bit build that Wine runs on some machines).
# strip writes the current time into the PE header unless SOURCE_DATE_EPOCH is set; 0 keeps the header
# as the linker left it (no time, -Wl,--no-insert-timestamp), so the same program strips to the same bytes.
# Strip before signing: it would remove a signature.
# Usage: strip-programs.sh FILE...
set -euo pipefail
for file; do
    # The PE header's offset is at 0x3c; its machine field follows the "PE\0\0" signature.
    header=$(od -An -tu4 -j 60 -N 4 "$file" 2>/dev/null | tr -d ' ')
    signature=$(od -An -tx1 -j "${header:-0}" -N 6 "$file" 2>/dev/null | tr -d ' \n')
    case $signature in
    504500004c01) strip=i686-w64-mingw32-strip ;;
    504500006486) strip=x86_64-w64-mingw32-strip ;;
    *) echo "strip-programs: $file is not a 32- or 64-bit x86 Windows program" >&2; exit 1 ;;
    esac
    SOURCE_DATE_EPOCH=0 "$strip" "$file"
done
