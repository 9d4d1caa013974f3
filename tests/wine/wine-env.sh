# Sourced by the Wine scripts: the Wine of the build under test. SETUP_WINE_ARCH is win32 (the shipped
# 32-bit programs) or win64 (the 64-bit test build of a machine that cannot run 32-bit code); see
# scripts/wine-preset.sh.
export WINEARCH=${SETUP_WINE_ARCH:-win32}
if [ "$WINEARCH" = win64 ]; then
    PATH="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64-bin:$PATH"
    export PATH
fi
