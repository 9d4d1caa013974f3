#!/usr/bin/env bash
# Copies the template prefix for one test case. The large, never-written system libraries are
# hard-linked; every other file (registry, ini files, user folders) is a real copy, so nothing a
# case writes can reach the template or another case.
# Usage: clone-prefix.sh <template-dir> <new-prefix-dir>
set -euo pipefail
template=$(realpath "$1")
dest=$(realpath -m "$2")
rm -rf "$dest"
cp -al "$template" "$dest"
find "$dest" -type f -links +1 \
    ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.drv' -o -iname '*.sys' -o -iname '*.acm' \
         -o -iname '*.ocx' -o -iname '*.cpl' -o -iname '*.nls' -o -iname '*.ttf' -o -iname '*.fon' \
         -o -iname '*.tlb' -o -iname '*.ax' -o -iname '*.ds' -o -iname '*.com' -o -iname '*.mui' \) \
    -print0 | while IFS= read -r -d '' f; do
        cp -p "$f" "$f.tmp-copy" && mv -f "$f.tmp-copy" "$f"
    done
# wineserver refuses a prefix that is not owned by the current user; keep it ours.
rm -f "$dest/.template-ready"
