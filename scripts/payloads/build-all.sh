#!/bin/bash
# Builds every binary payload the Windows executable embeds, into OUTDIR:
#   7z.exe 7z.dll                              (Debian source package 7zip)
#   syslinux.exe vesamenu.c32 libcom32.c32 libutil.c32
#   syslinux-mtools ldlinux.c32 ldlinux.sys    (Debian source package syslinux; the last three
#                                               only serve boot tests)
#   grldr g2ldr default                        (Debian source package grub2 and grub-pc-bin, or
#                                               KH_GRLDR_FILE: see build-grldr.sh; needs
#                                               greengem.xpm in OUTDIR)
# Sources and results are cached under ${KH_CACHE_DIR:-$HOME/.cache/korvane-helper}; a rebuild
# with nothing changed does no network access and no compilation.
#
# Usage: build-all.sh OUTDIR
set -eu
[ $# -eq 1 ] || {
    echo "usage: build-all.sh OUTDIR" >&2
    exit 2
}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
outdir=$(cd "$1" && pwd)

"$here/build-7zip.sh" "$outdir"
"$here/build-syslinux.sh" "$outdir"
"$here/build-grldr.sh" "$outdir"
