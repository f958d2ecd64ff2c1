# Shared by the boot test scripts (sourced).
set -euo pipefail
export LC_ALL=C
BOOT_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

die() { echo "${0##*/}: error: $*" >&2 && exit 1; }

# The four arguments both boot scripts start with, then the script's own (named by the first).
boot_args() {
    local usage="PAYLOAD_DIR LIVE_ISO WORK_DIR ARTIFACT_DIR $1"
    shift
    [ $# -eq "$(wc -w <<<"$usage")" ] || die "usage: ${0##*/} $usage"
    PAYLOADS=$1 ISO=$2 WORK=$3 ARTIFACTS=$4
    mkdir -p "$WORK" "$ARTIFACTS"
}

iso_extract() { # PATH_IN_THE_ISO DEST
    rm -rf "$2"
    xorriso -osirrox on -indev "$ISO" -extract "$1" "$2" >/dev/null 2>&1 || die "cannot extract $1"
    chmod -R u+w "$2"
}

# Creates IMAGE of SIZE partitioned by TABLE (sfdisk input) and formats its partitions of type c
# FAT32 labelled LABEL; AT[N] is then the byte offset of partition N (for mtools: IMAGE@@OFFSET).
make_disk() { # IMAGE SIZE LABEL TABLE
    rm -f "$1" && truncate -s "$2" "$1"
    sfdisk -q "$1" <<<"$4"
    declare -gA AT=()
    local n start size
    while read -r n start size; do
        AT[$n]=$((start * 512))
        # mkfs.fat warns that the file is larger than the partition; that is intended.
        mkfs.fat -F 32 -s 1 -h "$start" -n "$3" --offset "$start" "$1" $((size / 2)) \
            >/dev/null 2>&1 || die "mkfs.fat failed at sector $start of $1"
    done < <(sfdisk -d "$1" |
        sed -En 's/.*img([0-9]+) : start= *([0-9]+), size= *([0-9]+), type=c.*/\1 \2 \3/p')
}
