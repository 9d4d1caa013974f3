#!/usr/bin/env bash
# Two builds of the same sources, in two folders of different names and lengths, each configured on its
# own with the shipped 32-bit preset, give the same setup.exe and TOVRADE.EXE byte for byte: as linked
# (debug information included) and as stripped for the CD. Each build is stripped right after it, so a
# strip that writes the time into the header shows too. No program names the folder it was built in.
# Usage: reproducible.sh <work-dir>     (from the repository root; builds only the two programs, -j 1)
set -euo pipefail
work=$(realpath -m "${1:?work folder}")
rm -rf "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for copy in one/src second-build-folder/src; do
    mkdir -p "$work/$copy"
    tar --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -xf - -C "$work/$copy"
    (cd "$work/$copy" && cmake --preset windows -DBUILD_TESTING=OFF >/dev/null &&
        cmake --build --preset windows -j 1 --target setup tovrade >"$work/$copy.log" 2>&1) ||
        { tail -20 "$work/$copy.log"; echo "FAIL: the build in $work/$copy failed"; exit 1; }
    for f in setup.exe TOVRADE.EXE; do
        cp "$work/$copy/build/windows/$f" "$work/$copy/$f.stripped"
        bash scripts/strip-programs.sh "$work/$copy/$f.stripped"
        ! grep -q -a -F "$work" "$work/$copy/build/windows/$f" || fail "$f built in $copy names the folder $work"
    done
done
for f in setup.exe TOVRADE.EXE; do
    cmp "$work/one/src/build/windows/$f" "$work/second-build-folder/src/build/windows/$f" || fail "the two $f differ"
    cmp "$work/one/src/$f.stripped" "$work/second-build-folder/src/$f.stripped" || fail "the two stripped $f differ"
done
exit $((failures > 0))
