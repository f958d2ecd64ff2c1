# Shared by the boot test scripts (sourced).
set -euo pipefail
export LC_ALL=C
BOOT_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
MIB=2048 # sectors

die() {
    echo "${0##*/}: error: $*" >&2
    exit 1
}

# The four arguments both boot scripts start with, then the script's own, which the first argument
# names; the caller shifts the four away.
boot_args() {
    local usage="PAYLOAD_DIR LIVE_ISO WORK_DIR ARTIFACT_DIR $1"
    shift
    [ $# -eq "$(wc -w <<<"$usage")" ] || die "usage: ${0##*/} $usage"
    PAYLOADS=$1 ISO=$2 WORK=$3 ARTIFACTS=$4
    mkdir -p "$WORK" "$ARTIFACTS"
}

need_payloads() {
    for f in "$@"; do
        [ -f "$PAYLOADS/$f" ] || die "$PAYLOADS/$f missing (build the payload_files target)"
    done
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
