#!/usr/bin/env bash
# Builds the installer package, as the build runs it:
#   build-package.sh SOURCE_DIR STAGING_DIR TOOL OUTPUT
# wixl turns PYRN.wxs (with the payload in STAGING_DIR) into a package; msibuild imports the
# table sources that wixl cannot write (tables/*.idt) and applies Corrections.sql; TOOL writes
# the cabinet again with the files' modes. wixl and msibuild report dropped rows and failed
# edits only as warnings, so anything either prints fails the build.
set -euo pipefail

source_dir=$1 staging=$2 tool=$3 output=$4
wixl=${WIXL:-wixl} msibuild=${MSIBUILD:-msibuild} msiinfo=${MSIINFO:-msiinfo}
work=$output.work
rm -rf "$work"
mkdir -p "$work"

fail() {
    printf 'build-package: %s\n' "$@" >&2
    exit 1
}

# Runs a command that must succeed without a word.
quiet() {
    local out
    if ! out=$("$@" 2>&1) || [[ -n $out ]]; then
        fail "$* failed" "$out"
    fi
}

(cd "$staging" && quiet "$wixl" -o "$work/wixl.msi" "$source_dir/PYRN.wxs")

edits=()
for table in "$source_dir"/tables/*.idt; do
    edits+=(-i "$table")
done
while IFS= read -r line; do
    [[ -z $line || $line == --* ]] && continue
    edits+=(-q "$line")
done <"$source_dir/Corrections.sql"

cp "$work/wixl.msi" "$work/package.msi"
if ! out=$("$msibuild" "$work/package.msi" "${edits[@]}" 2>&1) || [[ -n $out ]]; then
    # msibuild stops at the first failing edit without naming it: find it on a fresh copy.
    cp "$work/wixl.msi" "$work/probe.msi"
    for ((i = 0; i < ${#edits[@]}; i += 2)); do
        if ! probe=$("$msibuild" "$work/probe.msi" "${edits[i]}" "${edits[i + 1]}" 2>&1) ||
            [[ -n $probe ]]; then
            fail "msibuild ${edits[i]} ${edits[i + 1]}" "$probe"
        fi
    done
    fail "msibuild failed" "$out"
fi

"$msiinfo" extract "$work/package.msi" media.cab >"$work/media.cab" ||
    fail "no cabinet in the package"
quiet "$tool" cabinet-modes "$work/package.msi" "$staging" "$work/media.cab" "$work/modes.cab"
quiet "$msibuild" "$work/package.msi" -a media.cab "$work/modes.cab"

mv "$work/package.msi" "$output"
rm -rf "$work"
