#!/usr/bin/env bash
# Installs the sample CD under Wine and shows what happened.
# With a display: setup.exe runs in a window of its own Wine prefix (build/demo-prefix), started from
# the CD image of `make dist` mapped as drive D:, and you answer the dialogs yourself.
# Without one: it runs under Xvfb with the driver taking the default answer to every dialog, then
# prints the dialogs it saw, the installed files and the uninstall entry, and where the screenshots are.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/windows
output=demo-output
export WINEDEBUG=-all

if [ -n "${DISPLAY:-}" ] && [ -z "${DEMO_HEADLESS:-}" ]; then
    prefix=$PWD/build/demo-prefix
    tests/wine/make-template-prefix.sh "$build/wine-template"
    tests/wine/clone-prefix.sh "$build/wine-template" "$prefix"
    ln -sfn "$PWD/dist/cd" "$prefix/dosdevices/d:"
    export WINEPREFIX=$prefix
    wine reg add 'HKLM\Software\Wine\Drives' /v 'd:' /t REG_SZ /d cdrom /f >/dev/null 2>&1
    (cd dist/cd && wine 'D:\setup.exe')
    wineserver -w
    echo "Installed into the Wine prefix $prefix (drive C: is $prefix/drive_c)."
    exit 0
fi

rm -rf "$output"
bash tests/e2e/run-demo.sh "$build" "$output" >/dev/null
summary="$output/demo/summary.txt"
echo "== What setup.exe showed and what it left on the PC =="
cat "$summary"
echo
echo "Screenshots of every dialog: $(cd "$output/demo/shots" && pwd)"
