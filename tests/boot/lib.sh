# Shared by the boot test scripts (sourced).
set -euo pipefail
export LC_ALL=C
BOOT_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
MIB=2048 # sectors

die() {
    echo "${0##*/}: error: $*" >&2
    exit 1
}

# The arguments both boot scripts start with; the caller shifts them away. Needs the payload files
# named after USAGE's own arguments.
boot_args() {
    [ $# -eq $((4 + $(wc -w <<<"$USAGE"))) ] ||
        die "usage: ${0##*/} PAYLOAD_DIR LIVE_ISO WORK_DIR ARTIFACT_DIR $USAGE"
    PAYLOADS=$1 ISO=$2 WORK=$3 ARTIFACTS=$4
    mkdir -p "$WORK" "$ARTIFACTS"
    for tool in sfdisk mkfs.fat mcopy xorriso nasm; do
        command -v $tool >/dev/null || die "$tool missing (run scripts/setup)"
    done
}

need_payloads() {
    for f in "$@"; do [ -f "$PAYLOADS/$f" ] || die "$PAYLOADS/$f missing (build payload_files)"; done
}

iso_extract() { # PATH_IN_THE_ISO DEST
    rm -rf "$2"
    xorriso -osirrox on -indev "$ISO" -extract "$1" "$2" >/dev/null 2>&1 || die "cannot extract $1"
    chmod -R u+w "$2"
}

# Formats the partition of IMAGE at START (sectors) with SECTORS sectors as FAT32 labelled LABEL.
format_fat32() {
    local output # mkfs.fat warns that the file is larger than the partition; that is intended.
    output=$(mkfs.fat -F 32 -s 1 -h "$2" -n "$4" --offset "$2" "$1" $(($3 / 2)) 2>&1) ||
        die "mkfs.fat failed at sector $2: $output"
}

run_qemu() { # NAME, then run_qemu.py's options, -- and the machine's drives
    local name=$1
    shift
    exec python3 "$BOOT_HERE/run_qemu.py" "$ARTIFACTS/$name" "$@"
}
