# Wine environment for running the Windows executables (sourced, not executed).
#
# After sourcing, Wine runs with ANSI code page 936 (from LC_CTYPE; LC_ALL would override it and is
# therefore removed) and without Mono/Gecko prompts. Which Wine runs is KH_WINE_ARCH
# (scripts/wine-arch decides when it is unset): "win32" is 32-bit Wine in a 32-bit prefix, for the
# shipped executable; "win64" is wine64 in a 64-bit prefix, for the 64-bit test twin on machines
# that cannot execute i386 code. `wine` and `wineserver` are functions that run the loader and the
# server of that Wine, whatever /usr/bin/wine would prefer.
#
#   kh_template                     prints the template prefix, creating it on first use
#   kh_fresh_prefix DIR             copies the template to DIR and exports WINEPREFIX=DIR
#   kh_warm                         starts the prefix's services with no output pipe to inherit
#   kh_map_drive LETTER DIR [TYPE [LABEL]]   TYPE hd|floppy|cdrom; call kh_apply_drive_types after
#   kh_apply_drive_types            writes the types to the registry and restarts the wineserver
#   kh_link_disk IMAGE              makes IMAGE the raw \\.\PHYSICALDRIVE0
#   kh_make_disk_image FILE         writes a small disk image: MBR, slot 0 NTFS active at LBA 63
#   kh_windows_path UNIXPATH        prints the path as Windows sees it through Z:
#   kh_start_xvfb                   starts Xvfb on a free display unless DISPLAY is set
#   kh_stop_xvfb                    stops the Xvfb started by kh_start_xvfb
#   kh_screenshot FILE [GEOMETRY]   saves the screen (or the WxH+X+Y part of it) as PNG
#   kh_needs_i386 REASON            ends a test with CTest's skip code 77 on the win64 route
#
# KH_CACHE_DIR (default ~/.cache/korvane-helper) holds the template; KH_WINE_DESKTOP
# ("WxH", default 1024x768, or "none") selects Wine's virtual desktop, which draws the
# title bars that no window manager draws under Xvfb.

KH_WINE_ARCH=${KH_WINE_ARCH:-$("$(dirname "${BASH_SOURCE[0]}")/wine-arch")}
export KH_WINE_ARCH
if [ "$KH_WINE_ARCH" = win64 ]; then
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
    KH_WINE_VERSION=winxp64
else
    export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32
    KH_WINE_VERSION=winxp
fi
wine() { "$WINELOADER" "$@"; }
wineserver() { "$WINESERVER" "$@"; }
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=C.UTF-8
export LC_CTYPE=zh_CN.UTF-8
unset LC_ALL

KH_WINE_ENV_SCRIPT=${BASH_SOURCE[0]}
KH_WINE_DESKTOP=${KH_WINE_DESKTOP:-1024x768}
declare -gA KH_DRIVE_TYPES=()
KH_XVFB_PID=

kh_template() {
    local cache=${KH_CACHE_DIR:-$HOME/.cache/korvane-helper}
    local key
    key=$( (wine --version; echo "$KH_WINE_DESKTOP"; cat "$KH_WINE_ENV_SCRIPT") | sha256sum | cut -c1-16)
    local template=$cache/wine-template/$KH_WINE_ARCH-$key
    mkdir -p "$cache/wine-template"
    (
        flock 9
        [ -f "$template/.complete" ] && exit 0
        _kh_create_template "$template.partial" && mv -T "$template.partial" "$template" || exit 1
        # Templates of other Wine versions or script versions are stale.
        find "$cache/wine-template" -mindepth 1 -maxdepth 1 -type d -name "$KH_WINE_ARCH-*" \
            ! -path "$template" -exec rm -rf {} +
    ) 9>"$cache/wine-template/lock" || return 1
    echo "$template"
}

_kh_create_template() {
    local dir=$1
    rm -rf "$dir"
    (
        export WINEPREFIX=$dir
        unset DISPLAY
        wine wineboot -i >/dev/null 2>&1 || exit 1
        local fonts='HKCU\Software\Wine\Fonts\Replacements' face
        for face in SimSun NSimSun "Microsoft YaHei"; do
            wine reg add "$fonts" /v "$face" /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1 || exit 1
        done
        if [ "$KH_WINE_DESKTOP" != none ]; then
            wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 &&
                wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
                    /d "$KH_WINE_DESKTOP" /f >/dev/null 2>&1 || exit 1
        fi
        wine winecfg -v "$KH_WINE_VERSION" >/dev/null 2>&1 || exit 1
        wineserver -w
    ) || {
        echo "wine-env: creating the template prefix failed" >&2
        return 1
    }
    touch "$dir/.complete"
}

kh_fresh_prefix() {
    local template
    template=$(kh_template) || return 1
    rm -rf "$1"
    cp -a "$template" "$1" || return 1
    export WINEPREFIX=$1
    KH_DRIVE_TYPES=()
}

kh_warm() { wine cmd /c exit >/dev/null 2>&1 </dev/null; }

kh_map_drive() {
    local letter=${1,,} dir=$2 type=${3:-hd} label=${4:-}
    ln -sfn "$dir" "$WINEPREFIX/dosdevices/$letter:"
    KH_DRIVE_TYPES[$letter]=$type
    if [ -n "$label" ]; then printf '%s' "$label" >"$dir/.windows-label"; fi
}

kh_apply_drive_types() {
    local letter
    for letter in "${!KH_DRIVE_TYPES[@]}"; do
        wine reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d "${KH_DRIVE_TYPES[$letter]}" \
            /f >/dev/null 2>&1 </dev/null || return 1
    done
    # mountmgr reads drive types and labels only when it starts.
    wineserver -k
    wineserver -w
    kh_warm
}

kh_link_disk() { ln -sfn "$1" "$WINEPREFIX/dosdevices/physicaldrive0"; }

kh_make_disk_image() {
    local file=$1
    rm -f "$file"
    truncate -s 1M "$file"
    # Slot 0: active, CHS ignored, type 0x07, first sector 63, 1985 sectors.
    printf '\x80\x01\x01\x00\x07\xfe\xff\xff\x3f\x00\x00\x00\xc1\x07\x00\x00' |
        dd of="$file" bs=1 seek=446 conv=notrunc status=none
    printf '\x55\xaa' | dd of="$file" bs=1 seek=510 conv=notrunc status=none
}

kh_windows_path() {
    local path
    path=$(realpath -m "$1")
    printf 'Z:%s\n' "${path//\//\\}"
}

kh_start_xvfb() {
    [ -n "${DISPLAY:-}" ] && return 0
    local fifo number
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    KH_XVFB_PID=$!
    if ! read -r -t 10 number <"$fifo"; then
        rm -f "$fifo"
        echo "wine-env: Xvfb did not start" >&2
        return 1
    fi
    rm -f "$fifo"
    export DISPLAY=:$number
}

kh_stop_xvfb() {
    if [ -n "$KH_XVFB_PID" ]; then
        kill "$KH_XVFB_PID" 2>/dev/null
        wait "$KH_XVFB_PID" 2>/dev/null
        KH_XVFB_PID=
        unset DISPLAY
    fi
}

kh_needs_i386() {
    [ "$KH_WINE_ARCH" = win64 ] || return 0
    echo "skipped: $* (this machine cannot run i386 code)"
    exit 77
}

kh_screenshot() {
    local file=$1 geometry=${2:-}
    mkdir -p "$(dirname "$file")"
    if [ -n "$geometry" ]; then
        import -window root -crop "$geometry" +repage "$file"
    else
        import -window root "$file"
    fi
}
