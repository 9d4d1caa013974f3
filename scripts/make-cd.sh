#!/usr/bin/env bash
# Lays out a book's CD from the author's source folder and builds its image:
#   - copies everything of the source folder (SETUP.INI, SETUP.TXT, scripts, section folders);
#   - in the section folders (CodeDir), with UseUnderscores=YES, gives names with blanks underscores,
#     and with FilesCompressed=YES SZDD-compresses every file in place under its own name, each one
#     checked by expanding it (scripts/szdd.py; a file that is compressed already stays as it is, so
#     a laid-out CD can be laid out again);
#   - puts setup.exe and TOVRADE.EXE, without their debug information, into the root, and with
#     SIGN=cert.pfx signs them (scripts/sign.sh: SIGN_PASSWORD_FILE or SIGN_PASSWORD, SIGN_TIMESTAMP);
#   - runs cdcheck on the result and stops on findings (KEEP_GOING=1: reports them and goes on);
#   - builds the image (ISO 9660 with Joliet names, labelled with VolumeName), unless NO_IMAGE=1.
# Usage: make-cd.sh SRC OUT [IMAGE]         (IMAGE defaults to OUT.iso)
# PROGRAMS: the folder of setup.exe and TOVRADE.EXE (default build/windows); CDCHECK: the checker
# (default build/native/src/cdcheck/cdcheck).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
src=${1:?usage: make-cd.sh SRC OUT [IMAGE]}
out=${2:?usage: make-cd.sh SRC OUT [IMAGE]}
out=${out%/}
image=${3:-$out.iso}
programs=${PROGRAMS:-$repo/build/windows}
cdcheck=${CDCHECK:-$repo/build/native/src/cdcheck/cdcheck}
fail() { echo "make-cd: $*" >&2; exit 1; }

[ -d "$src" ] || fail "$src is not a folder"
[ -n "$out" ] && [ "$(realpath -m "$out")" != / ] || fail "refusing to lay out the CD in '$out'"
case "$(realpath -m "$out")/" in "$(realpath "$src")"/*) fail "$out lies inside the source folder $src" ;; esac
[ "$(realpath "$src")" != "$(realpath -m "$out")" ] || fail "the source and the CD folder are the same"
for f in setup.exe TOVRADE.EXE; do
    [ -f "$programs/$f" ] || fail "$programs/$f is missing; build the Windows preset first"
done
[ -x "$cdcheck" ] || fail "$cdcheck is missing; build it with: cmake --build --preset native --target cdcheck"

rm -rf "$out"
mkdir -p "$out"
cp -r "$src/." "$out/"
# The programs of the release, whatever the source folder holds under these names in any case.
find "$out" -maxdepth 1 -type f \( -iname setup.exe -o -iname tovrade.exe \) -delete
cp "$programs/setup.exe" "$programs/TOVRADE.EXE" "$out/"
chmod u+w "$out/setup.exe" "$out/TOVRADE.EXE"
bash "$repo/scripts/strip-programs.sh" "$out/setup.exe" "$out/TOVRADE.EXE"
# Signed after the strip, which would remove the signatures. A CD whose signing failed keeps no programs
# and no image, so nothing unsigned passes for the signed release.
if [ -n "${SIGN:-}" ]; then
    bash "$repo/scripts/sign.sh" "$SIGN" "$out/setup.exe" "$out/TOVRADE.EXE" || {
        rm -f "$out/setup.exe" "$out/TOVRADE.EXE" "$image"
        fail "signing with $SIGN failed; $out has no programs"
    }
fi

value() { "$cdcheck" --value "$1" "$2" "$out"; }
upper() { tr '[:lower:]' '[:upper:]'; }

# A CodeDir as a folder of the CD, found without regard to case as the CD's file system does.
resolve() {
    local path=$out part match
    local IFS='\'
    for part in $1; do
        [ -n "$part" ] || continue
        match=$(find "$path" -mindepth 1 -maxdepth 1 -iname "$part" -print -quit 2>/dev/null)
        [ -n "$match" ] || return 1
        path=$match
    done
    printf '%s\n' "$path"
}

compressed=$(value Setup FilesCompressed | upper)
underscores=$(value Setup UseUnderscores | upper)
count=$(value Setup NumberOfSections)
[[ $count =~ ^[0-9]+$ ]] || count=0
[ "$count" -le 50 ] || count=50
declare -A done_folders=()
for ((n = 1; n <= count; n++)); do
    codedir=$(value "Section$n" CodeDir)
    [ "$codedir" != Error ] && [ -n "$codedir" ] || continue
    folder=$(resolve "$codedir") || continue
    [ -d "$folder" ] && [ -z "${done_folders[$folder]:-}" ] || continue
    done_folders[$folder]=1
    if [ "$underscores" = YES ]; then
        # Deepest names first, so that a folder is renamed after everything in it.
        find "$folder" -mindepth 1 -depth -name '* *' -print0 | while IFS= read -r -d '' path; do
            name=$(basename "$path")
            target="$(dirname "$path")/${name// /_}"
            [ ! -e "$target" ] || fail "'$path' and '$target' would both be named ${name// /_} on the CD"
            mv "$path" "$target"
        done
    fi
    if [ "$compressed" = YES ]; then
        find "$folder" -type f -print0 | xargs -0 -r python3 "$repo/scripts/szdd.py"
    fi
done

set +e
"$cdcheck" "$out"
status=$?
set -e
case $status in
0) ;;
1) [ -n "${KEEP_GOING:-}" ] || fail "cdcheck found the problems above in $out; fix them in $src (KEEP_GOING=1 goes on anyway)" ;;
*) fail "cdcheck could not read $out" ;;
esac

if [ -z "${NO_IMAGE:-}" ]; then
    label=$(value Setup VolumeName)
    [ "$label" != Error ] && [ -n "$label" ] || label=CDROM
    if [ ${#label} -gt 32 ]; then
        echo "make-cd: VolumeName '$label' is cut to 32 characters for the image's label" >&2
        label=${label:0:32}
    fi
    rm -f "$image"
    # xorriso greets on stderr even when quiet: its output is shown only when it fails.
    xorriso -as mkisofs -quiet -r -J -joliet-long -V "$label" -o "$image" "$out" 2>"$out.xorriso.log" ||
        { cat "$out.xorriso.log" >&2; rm -f "$out.xorriso.log"; fail "xorriso could not build $image"; }
    rm -f "$out.xorriso.log"
    echo "make-cd: $(realpath "$out") and the image $(realpath "$image") (label $label)"
else
    echo "make-cd: $(realpath "$out")"
fi
