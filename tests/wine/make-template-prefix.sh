#!/usr/bin/env bash
# Creates the Wine prefix that every Win32 test and every scenario copies: 32-bit, no Mono or Gecko,
# no window manager integration (closed dialogs cost no time), no crash dialog, and the user folders
# as real folders inside the prefix so that nothing a test does reaches the real home folder.
# Usage: make-template-prefix.sh <prefix-dir>
set -euo pipefail
prefix=$(realpath -m "$1")
source "$(dirname "$0")/wine-env.sh"
stamp="$prefix/.template-ready"
[ -f "$stamp" ] && exit 0
rm -rf "$prefix"
mkdir -p "$prefix"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
wineboot --init >/dev/null 2>&1
wineserver -w
reg_add() { wine reg add "$@" /f >/dev/null 2>&1; }
reg_add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N
reg_add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
reg_add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /t REG_SZ /d ''
wineserver -w
# User shell folders are symbolic links to $HOME in a new prefix: make them real folders.
for link in "$prefix"/drive_c/users/*/*; do
    if [ -L "$link" ]; then
        rm -f "$link"
        mkdir -p "$link"
    fi
done
touch "$stamp"
