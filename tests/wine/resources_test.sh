#!/bin/bash
# Every payload of the shipped executable, read back under Wine through FindResourceA/LoadResource/
# LockResource, is byte for byte its file, of type "RC_DATA" and language Chinese (PRC).
# Usage: resources_test.sh EXE_DIR SHIPPED_EXE PAYLOAD_DIR (EXE_DIR's guihelper may be 64-bit).
source "$(dirname "$0")/lib.sh"
payloads=$3

setup_prefix
mkdir "$WORK/out"
list=$(cd "$WORK/out" && gh resources "$(kh_windows_path "$2")") || fail "guihelper cannot load $2"
# Every file the build's resource script embeds (its lines come from payloads/catalogue.def).
expected=
while read -r id file; do
    expected+="$id 2052"$'\n'
    cmp -s "$WORK/out/$id.bin" "$file" && pass "$id ${file##*/}" || fail "$id is not $file"
done < <(sed -n 's/^\([0-9]*\) RC_DATA "\(.*\)"$/\1 \2/p' "$payloads/resources.rc")
expect "the RC_DATA resources and their languages" "$(sort -n <<<"$list")" "${expected%$'\n'}"

finish
