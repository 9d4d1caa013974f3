#!/usr/bin/env bash
# Fails, naming each file, when a C++ file of the repository differs from what clang-format makes of it.
# Fix with: git ls-files '*.cpp' '*.h' | xargs clang-format -i
set -euo pipefail
cd "$(dirname "$0")/.."
bad=()
while IFS= read -r file; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || bad+=("$file")
done < <(git ls-files '*.cpp' '*.h')
if [ ${#bad[@]} -gt 0 ]; then
    printf 'not formatted (clang-format -i FILE): %s\n' "${bad[@]}" >&2
    exit 1
fi
echo "check-format: every C++ file is formatted"
