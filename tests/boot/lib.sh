# Shared by the boot test scripts (sourced).
set -euo pipefail
export LC_ALL=C

BOOT_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
KH_SKIP=77

log() { echo "${0##*/}: $*" >&2; }
die() {
    log "error: $*"
    exit 1
}
skip() {
    echo "SKIP: $*"
    exit $KH_SKIP
}

# Tools without which no disk image can be built; QEMU itself is checked by run_qemu.py.
require_tools() {
    local missing=""
    for tool in "$@"; do command -v "$tool" >/dev/null || missing="$missing $tool"; done
    [ -z "$missing" ] || die "missing tools:$missing (run scripts/setup)"
}

# Copies FILE from the ISO to DEST.
iso_extract() {
    xorriso -osirrox on -indev "$1" -extract "$2" "$3" >/dev/null 2>&1 || die "cannot extract $2 from $1"
}

# Formats the partition of IMAGE at START (sectors) with SECTORS sectors as FAT32 labelled LABEL.
format_fat32() {
    local image=$1 start=$2 sectors=$3 label=$4
    local output
    # mkfs.fat warns that the file is larger than the partition; that is intended.
    output=$(mkfs.fat -F 32 -s 1 -h "$start" -n "$label" --offset "$start" "$image" \
        $((sectors / 2)) 2>&1) || die "mkfs.fat failed at sector $start: $output"
}

# The QEMU command both boot routes share: software emulation, 512 MiB, screen kept for dumps.
qemu_command() {
    echo qemu-system-x86_64 -accel tcg -m 512 -display none -vga std -nodefaults
}
