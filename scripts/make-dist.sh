#!/usr/bin/env bash
# Lays out the release: dist/setup.exe, dist/TOVRADE.EXE, dist/cdcheck.exe (the CD checker for
# authors, a console program), and the sample book's CD as dist/cd/ with its image dist/cd.iso, laid
# out by make-cd.sh.
# Usage: make-dist.sh <windows-build-dir> <dist-dir> [cd-source-dir]
set -euo pipefail
build=$1
dist=$2
source=${3:-examples/sample-cd}
for f in "$build/setup.exe" "$build/TOVRADE.EXE" "$build/src/cdcheck/cdcheck.exe"; do
    [ -f "$f" ] || { echo "make-dist: $f is missing; build the Windows preset first" >&2; exit 1; }
done
rm -rf "$dist"
mkdir -p "$dist"
cp "$build/setup.exe" "$build/TOVRADE.EXE" "$build/src/cdcheck/cdcheck.exe" "$dist/"
# The debug information stays in the build; users get the programs without it.
i686-w64-mingw32-strip "$dist/setup.exe" "$dist/TOVRADE.EXE" "$dist/cdcheck.exe"
PROGRAMS=$dist bash "$(dirname "$0")/make-cd.sh" "$source" "$dist/cd" "$dist/cd.iso" >/dev/null
echo "dist: $(cd "$dist" && pwd)"
