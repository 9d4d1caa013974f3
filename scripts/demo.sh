#!/usr/bin/env bash
# Installs the sample CD, or with CD=folder (`make demo CD=folder`) the author's own CD, under Wine
# and shows what happened. The author's CD is laid out first as `make cd` does (into build/demo-cd,
# without an image), and what cdcheck finds is shown but does not stop the demo.
# With a display: setup.exe runs in a window of its own Wine prefix (build/demo-prefix), started from
# the CD folder mapped as drive D:, and you answer the dialogs yourself.
# Without one: it runs under Xvfb with the driver taking the default answer to every dialog, then
# prints the dialogs it saw, the installed files and the uninstall entry, and where the screenshots are.
# UNINSTALL=1 (`make demo UNINSTALL=1`) then runs the uninstaller through the command line setup
# registered, shows what it removed, and last what the install made that is still on the PC, compared
# with a snapshot of the prefix taken before the install (scripts/prefix-snapshot.py): "nothing" when
# the removal is complete.
set -euo pipefail
cd "$(dirname "$0")/.."
# The programs that Wine runs on this machine (the 64-bit test build where no 32-bit code runs).
preset=$(bash scripts/wine-preset.sh)
build=build/$preset
[ "$preset" = windows64 ] && export SETUP_WINE_ARCH=win64
source tests/wine/wine-env.sh
output=${DEMO_OUTPUT:-demo-output}
export WINEDEBUG=-all

cd_folder=$PWD/dist/cd
if [ -n "${CD:-}" ]; then
    cd_folder=$PWD/build/demo-cd
    KEEP_GOING=1 NO_IMAGE=1 PROGRAMS=$build bash scripts/make-cd.sh "$CD" "$cd_folder"
fi

if [ -n "${DISPLAY:-}" ] && [ -z "${DEMO_HEADLESS:-}" ]; then
    if [ -z "${CD:-}" ] && [ "$preset" != windows ]; then
        # dist/cd holds the 32-bit programs, which this machine cannot run.
        cd_folder=$PWD/build/demo-cd
        KEEP_GOING=1 NO_IMAGE=1 PROGRAMS=$build bash scripts/make-cd.sh examples/sample-cd "$cd_folder"
    fi
    prefix=$PWD/build/demo-prefix
    tests/wine/make-template-prefix.sh "$build/wine-template"
    tests/wine/clone-prefix.sh "$build/wine-template" "$prefix"
    ln -sfn "$cd_folder" "$prefix/dosdevices/d:"
    export WINEPREFIX=$prefix
    wine reg add 'HKLM\Software\Wine\Drives' /v 'd:' /t REG_SZ /d cdrom /f >/dev/null 2>&1
    # The PC before the install, to show afterwards what the removal left (the server writes the registry
    # files when it ends).
    wineserver -w
    python3 scripts/prefix-snapshot.py take "$prefix" build/demo-before-install.json
    (cd "$cd_folder" && wine 'D:\setup.exe')
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
    if [ -n "${UNINSTALL:-}" ]; then
        # The uninstaller cannot delete itself while it runs: the system does at the next start.
        wineboot -r
        wineserver -w
        python3 scripts/prefix-snapshot.py compare "$prefix" build/demo-before-install.json
    fi
    exit 0
fi

rm -rf "$output"
scenario=demo
[ -n "${UNINSTALL:-}" ] && scenario=demo-uninstall
scenario_file=$scenario
if [ -n "${CD:-}" ]; then
    # The sample's demo scenario, on the CD laid out above just as it is.
    mkdir -p build/demo-cd-scenario
    scenario_file=$PWD/build/demo-cd-scenario/$scenario.json
    # The uninstaller removes the first section that registers itself for removal.
    value() { build/native/src/cdcheck/cdcheck --value "$1" "$2" "$cd_folder"; }
    product=
    count=$(value Setup NumberOfSections)
    [[ $count =~ ^[0-9]+$ ]] || count=0
    for ((n = 1; n <= count && n <= 50; n++)); do
        if [ "$(value "Section$n" Uninstall | tr '[:lower:]' '[:upper:]')" = TRUE ]; then
            product=$(value "Section$n" ProductName)
            break
        fi
    done
    python3 - "tests/e2e/$scenario.json" "$cd_folder" "$scenario_file" "$product" <<'PY'
import json, sys
scenario = json.load(open(sys.argv[1]))
scenario.update({"description": "The author's CD installed with the default answer to every dialog",
                 "cd": sys.argv[2], "copy_programs": False})
scenario.pop("compress", None)
steps = [s for s in scenario["steps"] if s.get("run") != "uninstall" or sys.argv[4]]
for step in steps:
    if step.get("run") == "uninstall":
        step["key"] = sys.argv[4]
scenario["steps"] = steps
json.dump(scenario, open(sys.argv[3], "w"), indent=1)
PY
fi
bash tests/e2e/run-demo.sh "$build" "$output" "$scenario_file" >/dev/null
summary="$output/$scenario/summary.txt"
echo "== What setup.exe showed and what it left on the PC =="
cat "$summary"
echo
echo "Screenshots of every dialog: $(cd "$output/$scenario/shots" && pwd)"
[ -n "${UNINSTALL:-}" ] ||
    echo "To see the uninstaller remove the section again: make demo${CD:+ CD=$CD} UNINSTALL=1"
