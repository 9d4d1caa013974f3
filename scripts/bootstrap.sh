#!/usr/bin/env bash
# Installs, only when missing, every Debian package the build, the tests and the demo need.
# Safe to run again: when everything is present it returns within a second.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# command -> package
check() { have_cmd "$1" || need+=("$2"); }
check i686-w64-mingw32-g++-posix g++-mingw-w64-i686-posix
check i686-w64-mingw32-windres binutils-mingw-w64-i686
check cmake cmake
check ninja ninja-build
check g++ g++
check clang clang
check clang-format clang-format  # `make check-format`, which CI runs
check xvfb-run xvfb
check xauth xauth
check msexpand mscompress
check mscompress mscompress
check make make
check python3 python3  # the end-to-end scenario runner
check xorriso xorriso  # the CD image of `make cd`
check osslsigncode osslsigncode  # signing the programs (`make cd SIGN=`) and its test
check openssl openssl
have_pkg googletest || need+=(googletest)
have_pkg libclang-rt-14-dev || need+=(libclang-rt-14-dev)
# The real ImageMagick (some images ship a stand-in `convert`).
have_pkg imagemagick || need+=(imagemagick)
have_pkg wine32:i386 || need+=(wine wine32:i386)
have_pkg wine || need+=(wine)
# A kernel that runs no 32-bit code (some virtual machines) cannot start the 32-bit Wine loader: the
# tests then run the same sources built for 64 bits under 64-bit Wine (scripts/wine-preset.sh). Known
# only once the 32-bit Wine is there, so a first install runs this script again.
if have_pkg wine32:i386 && ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    have_pkg wine64 || need+=(wine64)
    check x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
    check x86_64-w64-mingw32-windres binutils-mingw-w64-x86-64
fi

# Wine run as root ignores read-only files and folder rights, so the scenarios about them run Wine under
# this ordinary account (tests/e2e/run_scenario.py keeps its prefixes in the account's home). Only root
# can switch accounts; run as anyone else, those scenarios run as that user, who is ordinary already.
e2e_user=setup-e2e
if [ "$(id -u)" -eq 0 ] && ! getent passwd "$e2e_user" >/dev/null; then
    useradd --system --create-home --home-dir "/var/lib/$e2e_user" --shell /usr/sbin/nologin \
        --comment "end-to-end scenarios without root" "$e2e_user"
    echo "bootstrap: created the account $e2e_user"
fi

# Wine takes the ANSI code page from the Unix locale of each process: the scenarios with Japanese file
# names run under ja_JP.UTF-8 (code page 932), which a minimal Debian does not have. It is listed in
# /etc/locale.gen as well, so that a later locale-gen (an upgrade of `locales`) keeps it.
have_pkg locales || need+=(locales)
if have_pkg locales && ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
    if [ "$(id -u)" -eq 0 ]; then
        if grep -q '^# *ja_JP\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
            sed -i 's/^# *\(ja_JP\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        elif ! grep -q '^ja_JP\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
            echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
        fi
        locale-gen >/dev/null
        echo "bootstrap: generated the locale ja_JP.UTF-8"
    else
        # Only the scenarios that need it fail then, each saying so.
        echo "bootstrap: the locale ja_JP.UTF-8 is missing; run this script as root" >&2
    fi
fi

if [ ${#need[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "bootstrap: missing packages: ${need[*]}; run this script as root" >&2
    exit 1
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
echo "bootstrap: installed ${need[*]}"
[ -n "${SETUP_BOOTSTRAP_AGAIN:-}" ] || SETUP_BOOTSTRAP_AGAIN=1 exec bash "$0"
