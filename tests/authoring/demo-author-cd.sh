#!/usr/bin/env bash
# `make demo CD=folder` on an author's CD made here: compressed files (one shorter than 16 bytes),
# names with blanks, one section. The demo must lay it out, install it headless and show the files under their long names,
# the shortcut and the uninstall entry.
# Usage: demo-author-cd.sh <work-dir>     (from the repository root)
set -euo pipefail
work=$(realpath -m "${1:?work folder}")
rm -rf "$work"
src=$work/garden
mkdir -p "$src/NOTES/Seed Lists"
cp examples/sample-cd/SETUP.TXT "$src/"
printf '%s\r\n' '[Setup]' 'MainProdName=Garden Notes' 'FilesCompressed=YES' 'UseUnderscores=YES' \
    'NumberOfSections=1' 'ChangeFolderButton=TRUE' 'VolumeName=GARDEN' '[Section1]' 'CodeDir=NOTES' \
    'DestDir=C:\Garden Notes' 'ProductName=Garden Notes' 'ShortcutLocation=Desktop' 'ShortcutName=Garden Notes' \
    'FileSize=6000' 'InstallByDefault=TRUE' 'Uninstall=TRUE' 'CommandFile=' >"$src/SETUP.INI"
printf 'Sow the peas in March.\r\n' >"$src/NOTES/Spring Planting.txt"
printf 'Peas, beans, chard.\r\n' >"$src/NOTES/Seed Lists/VEGETABLES.TXT"
# Shorter than 16 bytes: mscompress alone gets such a file wrong.
printf 'Dandelions.\r\n' >"$src/NOTES/WEEDS.TXT"

DEMO_HEADLESS=1 DEMO_OUTPUT="$work/output" CD="$src" bash scripts/demo.sh >"$work/demo.txt" 2>&1 || {
    cat "$work/demo.txt"
    exit 1
}
cat "$work/demo.txt"
failures=0
expect() {
    grep -qF -- "$1" "$work/demo.txt" || { echo "FAIL: the demo did not show: $1"; failures=$((failures + 1)); }
}
# The files as the reader gets them: expanded, with blanks for the underscores the CD has.
expect 'Garden Notes\Spring Planting.txt'
expect 'Garden Notes\Seed Lists\Vegetables.txt'
expect 'Garden Notes.Lnk'
expect 'Uninstall\Garden Notes'
ls "$work/output/demo/shots/"*.png >/dev/null 2>&1 || { echo "FAIL: no screenshots"; failures=$((failures + 1)); }
# The CD it laid out holds the compressed files under their underscore names.
[ "$(head -c 4 "$PWD/build/demo-cd/NOTES/Spring_Planting.txt")" = SZDD ] ||
    { echo "FAIL: build/demo-cd/NOTES/Spring_Planting.txt is not compressed"; failures=$((failures + 1)); }
# Every file on it expands to the author's own, the short one too.
for file in "Spring Planting.txt" "Seed Lists/VEGETABLES.TXT" WEEDS.TXT; do
    msexpand <"$PWD/build/demo-cd/NOTES/${file// /_}" 2>/dev/null | cmp -s - "$src/NOTES/$file" ||
        { echo "FAIL: build/demo-cd/NOTES/${file// /_} does not expand to $file"; failures=$((failures + 1)); }
done
exit $((failures > 0))
