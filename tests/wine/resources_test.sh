#!/bin/bash
# Every payload of the real executable, read back under Wine through
# FindResourceA/LoadResource/LockResource, is byte for byte the file it was
# built from, of type "RC_DATA" and language Chinese (PRC).
#
# RESDUMP may be of the other architecture than EXE: it loads EXE as data only.
#
# Usage: resources_test.sh RESDUMP EXE PAYLOAD_DIR
set -uo pipefail

[ $# -eq 3 ] || {
    echo "usage: $0 RESDUMP EXE PAYLOAD_DIR" >&2
    exit 2
}
resdump=$(realpath "$1")
exe=$(realpath "$2")
payloads=$(cd "$3" && pwd)
source "$(dirname "$0")/../../scripts/wine-env.sh"
unset DISPLAY

work=$(mktemp -d "${TMPDIR:-/tmp}/kh-res.XXXXXX")
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
kh_fresh_prefix "$work/prefix" || exit 1
kh_warm
mkdir "$work/out"

wine "$resdump" "$(kh_windows_path "$exe")" \
    "$(kh_windows_path "$work/out")" >"$work/list.txt" 2>"$work/err.txt" </dev/null
status=$?
tr -d '\r' <"$work/list.txt" >"$work/resources.txt"
cat "$work/resources.txt"

failures=0
check() {
    local id=$1 file=$2 line
    line=$(grep "^$id " "$work/resources.txt")
    if [ -z "$line" ]; then
        echo "FAIL: resource $id ($file) missing"
        failures=$((failures + 1))
    elif [ "$(echo "$line" | cut -d' ' -f2)" != 2052 ]; then
        echo "FAIL: resource $id is not in Chinese (PRC): $line"
        failures=$((failures + 1))
    elif ! cmp -s "$work/out/$id.bin" "$payloads/$file"; then
        echo "FAIL: resource $id differs from $file"
        failures=$((failures + 1))
    else
        echo "ok: $id $file"
    fi
}

[ "$status" -eq 0 ] || { echo "FAIL: resdump exit $status"; failures=$((failures + 1)); }
# Every catalogue entry this build embeds; g2ldr comes only with the grldr built here.
catalogue="$(dirname "$0")/../../payloads/catalogue.def"
expected=0
while read -r id file when; do
    [ "$when" = builtGrldr ] && [ ! -f "$payloads/$file" ] && continue
    check "$id" "$file"
    expected=$((expected + 1))
done < <(sed -n 's/^KH_PAYLOAD(\([0-9]*\), *[A-Za-z0-9]*, *"\([^"]*\)", *\([A-Za-z]*\)).*/\1 \2 \3/p' "$catalogue")
count=$(wc -l <"$work/resources.txt")
[ "$count" -eq "$expected" ] || {
    echo "FAIL: $count RC_DATA resources, expected $expected"
    failures=$((failures + 1))
}
[ "$failures" -eq 0 ] && echo "all checks passed"
exit $((failures != 0))
