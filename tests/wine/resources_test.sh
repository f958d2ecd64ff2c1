#!/bin/bash
# Every payload of the shipped executable, read back under Wine through FindResourceA/LoadResource/
# LockResource, is byte for byte its file, of type "RC_DATA" and language Chinese (PRC).
# Usage: resources_test.sh EXE_DIR SHIPPED_EXE PAYLOAD_DIR (EXE_DIR's guihelper may be 64-bit).
source "$(dirname "$0")/lib.sh"
payloads=$3

setup_prefix
mkdir "$WORK/out"
list=$(cd "$WORK/out" && gh resources "$(kh_windows_path "$2")") || fail "guihelper cannot load $2"
# Every catalogue entry this build embeds; g2ldr comes only with the grldr built here.
expected=
while read -r id file when; do
    [ "$when" = builtGrldr ] && [ ! -f "$payloads/$file" ] && continue
    expected+="$id 2052"$'\n'
    cmp -s "$WORK/out/$id.bin" "$payloads/$file" && pass "$id $file" || fail "$id is not $file"
done < <(sed -n 's/^KH_PAYLOAD(\([0-9]*\), *\w*, *"\([^"]*\)", *\(\w*\)).*/\1 \2 \3/p' \
    "$(dirname "$0")/../../payloads/catalogue.def")
expect "the RC_DATA resources and their languages" "$(sort -n <<<"$list")" "${expected%$'\n'}"

finish
