#!/usr/bin/env bash
# Signs Windows programs in place (Authenticode, SHA-256) with the code-signing certificate and key of a
# PFX file, and verifies each signature before the signed program replaces the unsigned one. Sign last:
# any later change of a program, stripping above all, breaks its signature.
# Usage: sign.sh CERT.pfx FILE...
# The PFX's password is read from the file SIGN_PASSWORD_FILE, or else taken from the environment variable
# SIGN_PASSWORD (neither: a PFX without a password). It never goes on a command line, which every user of
# the machine can read in the process list. SIGN_TIMESTAMP=URL has that time-stamping server (RFC 3161)
# countersign each signature, so that it stays valid after the certificate expires.
# The signatures are verified against the certificates the PFX holds (the signer and its chain). When
# anything fails, the exit status is 1 and no file has changed.
set -euo pipefail
pfx=${1:?usage: sign.sh CERT.pfx FILE...}
shift
[ $# -gt 0 ] || { echo "usage: sign.sh CERT.pfx FILE..." >&2; exit 2; }
fail() { echo "sign: $*" >&2; exit 1; }
[ -f "$pfx" ] || fail "no certificate file $pfx"
for file; do [ -f "$file" ] || fail "no program $file to sign"; done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -n "${SIGN_PASSWORD_FILE:-}" ]; then
    [ -r "$SIGN_PASSWORD_FILE" ] || fail "cannot read the password file $SIGN_PASSWORD_FILE"
    passfile=$SIGN_PASSWORD_FILE
elif [ -n "${SIGN_PASSWORD+set}" ]; then
    passfile=$work/password
    (umask 077 && printf '%s' "$SIGN_PASSWORD" >"$passfile")
else
    passfile=$work/password
    : >"$passfile"
fi
pass=(-readpass "$passfile")
timestamp=()
[ -z "${SIGN_TIMESTAMP:-}" ] || timestamp=(-ts "$SIGN_TIMESTAMP")

openssl pkcs12 -in "$pfx" -passin "file:$passfile" -nokeys -out "$work/certificates.pem" 2>"$work/openssl.log" ||
    { cat "$work/openssl.log" >&2; fail "cannot open $pfx: wrong password or not a PFX file"; }

# Everything is signed and verified beside the work folder first, then renamed into place together.
n=0
for file; do
    n=$((n + 1))
    osslsigncode sign -pkcs12 "$pfx" "${pass[@]}" -h sha256 "${timestamp[@]}" -in "$file" -out "$work/$n" \
        >"$work/sign.log" 2>&1 || { cat "$work/sign.log" >&2; fail "could not sign $file"; }
    osslsigncode verify -CAfile "$work/certificates.pem" -in "$work/$n" >"$work/verify.log" 2>&1 ||
        { cat "$work/verify.log" >&2; fail "the signature of $file does not verify"; }
done
n=0
for file; do
    n=$((n + 1))
    cp "$work/$n" "$file.signed" && mv -f "$file.signed" "$file"
    echo "sign: $file signed$([ ${#timestamp[@]} -eq 0 ] || echo " and time-stamped")"
done
