#!/bin/bash
# The drive list under Wine: removable drives from C: on, in letter order,
# the first selected; A: (a floppy as well) never; fixed drives never. A
# device-change event rebuilds the list instead of adding to it.
source "$(dirname "$0")/lib.sh"

setup_prefix
for letter in a g k; do
    mkdir -p "$WORK/drive-$letter"
    kh_map_drive "$letter" "$WORK/drive-$letter" floppy
done
mkdir -p "$WORK/drive-h"
kh_map_drive h "$WORK/drive-h" hd
kh_apply_drive_types || fail "could not set the drive types"

# items: the drive list's entries as "selected=N A: B: ..."
items() {
    local out
    out=$(gh combo 106) || return 1
    printf 'selected=%s' "$(field selected "$out")"
    sed -n 's/^item .* text=/ /p' <<<"$out" | tr -d '\n'
}

start_app
expect "removable G: and K: listed, G: selected" "$(items)" "selected=0 G: K:"

gh devicechange arrival >/dev/null || fail "WM_DEVICECHANGE not delivered"
expect "the list after a device arrival" "$(items)" "selected=0 G: K:"
gh devicechange removal >/dev/null || fail "WM_DEVICECHANGE not delivered"
expect "the list after a device removal" "$(items)" "selected=0 G: K:"
expect "the list stays disabled in hard-disk mode" \
    "$(field enabled "$(gh control 106)")" 0

stop_app
finish
