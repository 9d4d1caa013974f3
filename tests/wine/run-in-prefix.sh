#!/usr/bin/env bash
# Runs one Windows program under Wine in a fresh copy of the build's template prefix, under Xvfb
# when there is no display. Used as CMAKE_CROSSCOMPILING_EMULATOR and by the scenario runner.
# Usage: run-in-prefix.sh <program.exe> [args...]     (SETUP_WINE_TEMPLATE names the template)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
template=${SETUP_WINE_TEMPLATE:?SETUP_WINE_TEMPLATE must name the template prefix}
"$here/make-template-prefix.sh" "$template"
work=$(mktemp -d "${TMPDIR:-/tmp}/setup-wine.XXXXXX")
"$here/clone-prefix.sh" "$template" "$work/prefix"
mkdir -p "$work/home"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" HOME="$work/home"
cleanup() {
    wineserver -k >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1024x768x24" wine "$@"
else
    wine "$@"
fi
