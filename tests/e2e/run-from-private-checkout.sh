#!/usr/bin/env bash
# The scenarios that run Wine under the ordinary account, run from a copy of the checkout in a folder
# that only its owner can enter (mode 0700, as root's home or a mktemp -d folder): the account must
# get all it needs without any right of that folder being changed.
# Usage: run-from-private-checkout.sh OUTPUT-DIR run_scenario.py-options...   (from the repository root)
set -euo pipefail
output=$(realpath -m "${1:?output folder}")
shift
private=$(mktemp -d)
trap 'rm -rf "$private"' EXIT
[ "$(stat -c %a "$private")" = 700 ] || { echo "mktemp -d made a folder that others may enter" >&2; exit 2; }
cp -a tests examples scripts "$private/"
failures=0
for scenario in $(grep -l '"user": *"unprivileged"' "$private"/tests/e2e/scenarios/*.json); do
    echo "== $(basename "$scenario") from $private"
    python3 "$private/tests/e2e/run_scenario.py" "$scenario" --output "$output" "$@" || failures=$((failures + 1))
done
[ "$(stat -c %a "$private")" = 700 ] || { echo "the private folder's rights were changed" >&2; exit 1; }
exit $((failures > 0))
