#!/usr/bin/env bash
# `make cd` on the sample: the laid-out CD passes cdcheck with no finding (exit 0; the source folder
# gives 1, a missing folder 2), and the image read back with xorriso (its Joliet names) holds exactly
# the CD's files with the same contents, labelled with VolumeName. The section files are compressed
# on the CD and expand to the sample's files.
# Usage: cd-image.sh <windows-build-dir> <work-dir>     (from the repository root)
set -euo pipefail
build=$(realpath "${1:?windows build folder}")
work=$(realpath -m "${2:?work folder}")
cdcheck=${CDCHECK:-build/native/src/cdcheck/cdcheck}
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

PROGRAMS=$build bash scripts/make-cd.sh examples/sample-cd "$work/cd" "$work/cd.iso"
output=$("$cdcheck" "$work/cd") && status=0 || status=$?
[ "$status" = 0 ] && [ -z "$output" ] || fail "cdcheck on the sample CD: exit $status: $output"
# Its other two exit statuses: 1 with findings (the source folder has no programs), 2 for no folder.
"$cdcheck" examples/sample-cd >"$work/source.txt" && status=0 || status=$?
[ "$status" = 1 ] && grep -qx "examples/sample-cd/setup.exe: missing from the CD's root folder: the reader has no installer to start" \
    "$work/source.txt" || fail "cdcheck on the sample's source: exit $status: $(cat "$work/source.txt")"
"$cdcheck" "$work/no-such-folder" 2>/dev/null && status=0 || status=$?
[ "$status" = 2 ] || fail "cdcheck on a missing folder: exit $status"

# File lists: the CD folder and the image's Joliet tree.
(cd "$work/cd" && find . -type f | sed 's|^\./|/|' | LC_ALL=C sort) >"$work/folder.txt"
xorriso -read_fs norock -indev "$work/cd.iso" -find / -type f 2>/dev/null | tr -d "'" | LC_ALL=C sort >"$work/image.txt"
diff "$work/folder.txt" "$work/image.txt" || fail "the image's files differ from the CD folder's"
grep -qx /SAMPLES/Chapter_2/WIDGET_PARTS.TXT "$work/image.txt" || fail "the image lacks its long Joliet names"
for f in /setup.exe /TOVRADE.EXE /SETUP.INI /SETUP.TXT /SAMPLES.SCR; do
    grep -qx "$f" "$work/image.txt" || fail "the image has no $f"
done

# Contents: everything extracted from the image equals the CD folder byte for byte.
xorriso -read_fs norock -osirrox on -indev "$work/cd.iso" -extract / "$work/extracted" >/dev/null 2>&1
diff -r "$work/cd" "$work/extracted" || fail "the image's contents differ from the CD folder's"
cmp -s examples/sample-cd/SETUP.INI "$work/extracted/SETUP.INI" || fail "SETUP.INI changed on its way to the image"

label=$(xorriso -indev "$work/cd.iso" -pvd_info 2>/dev/null | sed -n "s/^Volume Id *: *//p")
[ "$label" = WIDGETS2 ] || fail "the image's label is '$label', not the VolumeName WIDGETS2"

# The section files are SZDD-compressed and expand to the sample's own.
readme=$work/extracted/SAMPLES/README.TXT
[ "$(head -c 4 "$readme")" = SZDD ] || fail "SAMPLES/README.TXT is not compressed on the CD"
msexpand <"$readme" >"$work/README.TXT" 2>/dev/null
cmp -s "$work/README.TXT" examples/sample-cd/SAMPLES/README.TXT || fail "SAMPLES/README.TXT does not expand to the sample's"
exit $((failures > 0))
