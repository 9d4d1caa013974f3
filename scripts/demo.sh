#!/usr/bin/env bash
# Installs the sample CD under Wine and shows what happened.
# With a display: setup.exe runs in a window of its own Wine prefix (build/demo-prefix), started from
# the CD image of `make dist` mapped as drive D:, and you answer the dialogs yourself.
# Without one: it runs under Xvfb with the driver taking the default answer to every dialog, then
# prints the dialogs it saw, the installed files and the uninstall entry, and where the screenshots are.
# UNINSTALL=1 (`make demo UNINSTALL=1`) then runs the uninstaller through the command line setup
# registered and shows what it removed.
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
    # The entries setup registered: every UninstallString that runs the uninstaller.
    mapfile -t commands < <(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s \
                                2>/dev/null | tr -d '\r' | sed -n 's/^ *UninstallString *REG_SZ *\(.*TOVRADE.*\)/\1/p')
    [ ${#commands[@]} -gt 0 ] || echo "No uninstall entry was registered."
    for command in "${commands[@]}"; do
        echo "Uninstall entry: $command"
        if [ -n "${UNINSTALL:-}" ]; then
            # Wine joins the words with blanks again; the uninstaller parses its own command line.
            read -r -a words <<<"$command"
            wine "${words[@]}"
            wineserver -w
        fi
    done
    exit 0
fi

rm -rf "$output"
scenario=demo
[ -n "${UNINSTALL:-}" ] && scenario=demo-uninstall
bash tests/e2e/run-demo.sh "$build" "$output" "$scenario" >/dev/null
summary="$output/$scenario/summary.txt"
echo "== What setup.exe showed and what it left on the PC =="
cat "$summary"
echo
echo "Screenshots of every dialog: $(cd "$output/$scenario/shots" && pwd)"
[ -n "${UNINSTALL:-}" ] || echo "To see the uninstaller remove the section again: make demo UNINSTALL=1"
