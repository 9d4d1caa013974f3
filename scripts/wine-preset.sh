#!/usr/bin/env bash
# Prints the build preset whose programs Wine runs on this machine: "windows" (the shipped 32-bit
# programs) where 32-bit code runs, "windows64" (the same sources built for 64 bits) on a machine whose
# kernel runs no 32-bit code, where only 64-bit Wine works. SETUP_WINDOWS_PRESET overrides.
set -euo pipefail
if [ -n "${SETUP_WINDOWS_PRESET:-}" ]; then
    echo "$SETUP_WINDOWS_PRESET"
elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo windows
else
    echo windows64
fi
