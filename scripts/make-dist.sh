#!/usr/bin/env bash
# Lays out the release: dist/setup.exe, dist/TOVRADE.EXE, dist/cdcheck.exe (the CD checker for
# authors, a console program), and the sample book's CD as dist/cd/ with its image dist/cd.iso, laid
# out by make-cd.sh. With SIGN=cert.pfx all three programs are signed (see make-cd.sh and sign.sh).
# Usage: make-dist.sh <windows-build-dir> <dist-dir> [cd-source-dir]
set -euo pipefail
scripts=$(dirname "$0")
build=$1
dist=$2
source=${3:-examples/sample-cd}
for f in "$build/setup.exe" "$build/TOVRADE.EXE" "$build/src/cdcheck/cdcheck.exe"; do
    [ -f "$f" ] || { echo "make-dist: $f is missing; build the Windows preset first" >&2; exit 1; }
done
rm -rf "$dist"
mkdir -p "$dist"
# make-cd.sh strips and signs setup.exe and TOVRADE.EXE; the release has the CD's copies. The debug
# information stays in the build.
PROGRAMS=$build bash "$scripts/make-cd.sh" "$source" "$dist/cd" "$dist/cd.iso" >/dev/null
cp "$dist/cd/setup.exe" "$dist/cd/TOVRADE.EXE" "$build/src/cdcheck/cdcheck.exe" "$dist/"
bash "$scripts/strip-programs.sh" "$dist/cdcheck.exe"
if [ -n "${SIGN:-}" ]; then
    bash "$scripts/sign.sh" "$SIGN" "$dist/cdcheck.exe" >/dev/null ||
        { rm -f "$dist/cdcheck.exe"; echo "make-dist: signing cdcheck.exe failed" >&2; exit 1; }
fi
echo "dist: $(cd "$dist" && pwd)"
