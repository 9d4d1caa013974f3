#!/usr/bin/env bash
# `make cd SIGN=`: with a self-signed code-signing certificate made here (a PFX whose password is in a
# 0600 file, then in SIGN_PASSWORD), both programs on the CD carry a signature that verifies against that
# certificate, made over the stripped program; no password file is left behind. A wrong password fails
# with a message and leaves the CD without programs and without an image, and sign.sh alone leaves the
# file untouched.
# Usage: signing.sh <windows-build-dir> <work-dir>     (from the repository root)
set -euo pipefail
build=$(realpath "${1:?windows build folder}")
work=$(realpath -m "${2:?work folder}")
rm -rf "$work"
mkdir -p "$work/tmp"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

(umask 077 && printf 'pfx secret %s' "$$" >"$work/password")
subject="/CN=Book Setup test signer $$"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
    -subj "$subject" -addext extendedKeyUsage=codeSigning 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.pfx" \
    -passout "file:$work/password"
serial=$(openssl x509 -in "$work/cert.pem" -noout -serial | sed 's/^serial=//')

# What the CD's programs must be once their signatures are taken off: the build's, stripped.
for f in setup.exe TOVRADE.EXE; do cp "$build/$f" "$work/$f.stripped"; done
bash scripts/strip-programs.sh "$work/setup.exe.stripped" "$work/TOVRADE.EXE.stripped"

same_program() { # file, stripped program: equal but for the PE checksum and padding after the end
    local size header
    size=$(stat -c %s "$2")
    header=$(od -An -tu4 -j 60 -N 4 "$2" | tr -d ' ')
    head -c "$size" "$1" >"$1.cut"
    cp "$2" "$2.cut"
    printf '\0\0\0\0' | dd of="$1.cut" bs=1 seek=$((header + 88)) conv=notrunc status=none
    printf '\0\0\0\0' | dd of="$2.cut" bs=1 seek=$((header + 88)) conv=notrunc status=none
    cmp -s "$1.cut" "$2.cut" && [ -z "$(tail -c +$((size + 1)) "$1" | tr -d '\0')" ]
}

check_signed() { # CD folder, how it was signed
    local f
    for f in setup.exe TOVRADE.EXE; do
        if ! osslsigncode verify -CAfile "$work/cert.pem" -in "$1/$f" >"$work/verify.txt" 2>&1; then
            fail "$2: $f does not verify: $(tail -3 "$work/verify.txt")"
            continue
        fi
        grep -q "Subject: $subject\$" "$work/verify.txt" && grep -qi "Serial : $serial\$" "$work/verify.txt" ||
            fail "$2: $f is not signed by the test certificate"
        # Signing pads the program to 8 bytes and sets the header's checksum: both are left out.
        osslsigncode remove-signature -in "$1/$f" -out "$work/$f.unsigned" >/dev/null
        same_program "$work/$f.unsigned" "$work/$f.stripped" || fail "$2: the signed $f is not the stripped program"
        rm -f "$work/$f.unsigned"
    done
}

TMPDIR=$work/tmp PROGRAMS=$build SIGN=$work/cert.pfx SIGN_PASSWORD_FILE=$work/password NO_IMAGE=1 \
    bash scripts/make-cd.sh examples/sample-cd "$work/cd" >/dev/null || fail "make-cd with SIGN_PASSWORD_FILE failed"
check_signed "$work/cd" SIGN_PASSWORD_FILE
TMPDIR=$work/tmp PROGRAMS=$build SIGN=$work/cert.pfx SIGN_PASSWORD=$(cat "$work/password") \
    bash scripts/make-cd.sh examples/sample-cd "$work/cd" >/dev/null || fail "make-cd with SIGN_PASSWORD failed"
check_signed "$work/cd" SIGN_PASSWORD
[ -f "$work/cd.iso" ] || fail "make-cd built no image"
[ -z "$(ls -A "$work/tmp")" ] || fail "signing left files in the temporary folder: $(ls -A "$work/tmp")"

# A wrong password, over the CD and image of the run before.
if TMPDIR=$work/tmp PROGRAMS=$build SIGN=$work/cert.pfx SIGN_PASSWORD=wrong \
    bash scripts/make-cd.sh examples/sample-cd "$work/cd" >/dev/null 2>"$work/wrong.txt"; then
    fail "make-cd with a wrong password succeeded"
fi
grep -q "wrong password" "$work/wrong.txt" && grep -q "^make-cd: signing with .* failed" "$work/wrong.txt" ||
    fail "a wrong password said: $(cat "$work/wrong.txt")"
for f in setup.exe TOVRADE.EXE; do [ ! -e "$work/cd/$f" ] || fail "the failed signing left $f on the CD"; done
[ ! -e "$work/cd.iso" ] || fail "the failed signing left the image"
cp "$work/setup.exe.stripped" "$work/setup.exe"
SIGN_PASSWORD=wrong bash scripts/sign.sh "$work/cert.pfx" "$work/setup.exe" 2>/dev/null && fail "sign.sh with a wrong password succeeded"
cmp -s "$work/setup.exe" "$work/setup.exe.stripped" || fail "sign.sh with a wrong password changed the program"
exit $((failures > 0))
