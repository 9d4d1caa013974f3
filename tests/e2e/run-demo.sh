#!/usr/bin/env bash
# Runs setup.exe from the sample CD under Wine with the driver taking the default answers, and leaves
# a screenshot of every dialog and a text summary (windows, texts, installed files, uninstall entry).
# Usage: run-demo.sh <windows-build-dir> <output-dir> [demo | demo-uninstall | scenario.json]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:?windows build folder}")
output=$(realpath -m "${2:?output folder}")
export SETUP_WINE_TEMPLATE="${SETUP_WINE_TEMPLATE:-$build/wine-template}"
scenario=${3:-demo}
scenario_file=$here/$scenario.json
if [ -f "$scenario" ]; then
    scenario_file=$scenario
    scenario=$(basename "$scenario" .json)
fi
python3 "$here/run_scenario.py" "$scenario_file" --demo \
    --setup "$build/setup.exe" --uninstaller "$build/TOVRADE.EXE" --driver "$build/tests/e2e/driver.exe" \
    --output "$output"
echo "screenshots: $output/$scenario/shots  summary: $output/$scenario/summary.txt"
