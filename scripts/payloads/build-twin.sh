#!/bin/bash
# Lays out the payloads of the 64-bit test twin in TWIN_DIR: the x86_64 builds of 7-Zip and of the
# SYSLINUX installer (from the same source builds as the 32-bit ones) and, beside them, copies of
# every other payload from PAYLOAD_DIR, which the twin embeds unchanged.
#
# Usage: build-twin.sh PAYLOAD_DIR TWIN_DIR
. "$(dirname "$0")/lib.sh"

[ $# -eq 2 ] || kh_die "usage: build-twin.sh PAYLOAD_DIR TWIN_DIR"
PAYLOADS=$1 TWIN=$2
mkdir -p "$TWIN"

TOOLS=(7z.exe 7z.dll syslinux.exe)
for file in "$PAYLOADS"/*; do
    name=$(basename "$file")
    case " ${TOOLS[*]} resources.rc " in *" $name "*) continue ;; esac
    kh_install_as "$file" "$TWIN/$name"
done
"$KH_SCRIPTS/build-7zip.sh" "$TWIN" x86_64
"$KH_SCRIPTS/build-syslinux.sh" "$TWIN" x86_64
