#!/usr/bin/env bash
# Lays out the release: dist/setup.exe, dist/TOVRADE.EXE and dist/cd/, a CD image of the sample
# book ready to copy. When SETUP.INI says FilesCompressed=YES, every file of the section folders is
# SZDD-compressed in place (same name), as the installer expands them with the system's LZ library.
# Usage: make-dist.sh <windows-build-dir> <dist-dir> [cd-source-dir]
set -euo pipefail
build=$1
dist=$2
source=${3:-examples/sample-cd}
for f in "$build/setup.exe" "$build/TOVRADE.EXE"; do
    [ -f "$f" ] || { echo "make-dist: $f is missing; build the Windows preset first" >&2; exit 1; }
done
rm -rf "$dist"
mkdir -p "$dist/cd"
cp "$build/setup.exe" "$build/TOVRADE.EXE" "$dist/"
# The debug information stays in the build; users get the programs without it.
i686-w64-mingw32-strip "$dist/setup.exe" "$dist/TOVRADE.EXE"
cp -r "$source/." "$dist/cd/"
cp "$dist/setup.exe" "$dist/TOVRADE.EXE" "$dist/cd/"

ini="$dist/cd/SETUP.INI"
value() { tr -d '\r' <"$ini" | sed -n "s/^$1=//Ip" | head -n 1; }
if [ "$(value FilesCompressed | tr '[:lower:]' '[:upper:]')" = YES ]; then
    tr -d '\r' <"$ini" | sed -n 's/^CodeDir=//Ip' | while IFS= read -r codedir; do
        folder="$dist/cd/${codedir//\\//}"
        [ -d "$folder" ] || continue
        find "$folder" -type f -print0 | while IFS= read -r -d '' file; do
            mscompress "$file" && mv -f "${file}_" "$file"
        done
    done
fi
echo "dist: $(cd "$dist" && pwd)"
