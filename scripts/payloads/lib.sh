# Shared helpers for the payload build scripts (sourced, not run).
#
# Sources come from Debian's archive with `apt-get source --download-only` (a deb-src entry is
# needed: scripts/setup-deb-src.sh adds it) and are kept under $KH_CACHE; built files are kept
# under $KH_CACHE/out/NAME-KEY, where KEY covers the source version, the build scripts and the
# toolchain packages, so an unchanged rebuild only copies files. Builds of one component are
# serialised with a lock, so several build trees may share the cache.

set -eu
shopt -s inherit_errexit

KH_CACHE=${KH_CACHE_DIR:-${HOME:-/root}/.cache/korvane-helper}/payloads
KH_SCRIPTS=$(cd "$(dirname "$0")" && pwd)
export LC_ALL=C TZ=UTC0

kh_log() { echo "payloads: $*" >&2; }
kh_die() {
    kh_log "error: $*"
    exit 1
}

# Prints the newest version of source package PKG that apt knows (epoch included). Reads apt's
# lists only (no network).
kh_source_version() {
    local best="" v
    for v in $(apt-cache showsrc --only-source "$1" 2>/dev/null | awk '/^Version:/ {print $2}'); do
        if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best=$v; fi
    done
    [ -n "$best" ] || kh_die "no source package '$1' known to apt; run scripts/setup-deb-src.sh"
    echo "$best"
}

# Hash of the named scripts (besides this file) and of the installed versions of the named
# Debian packages: part of the cache key of a build.
kh_build_key() {
    local scripts=$1
    shift
    {
        for s in lib.sh $scripts; do cat "$KH_SCRIPTS/$s"; done
        dpkg-query -W -f '${Package} ${Version}\n' "$@" 2>/dev/null || true
    } | sha256sum | cut -c1-16
}

# Downloads PKG=VERSION into the cache once; prints the directory holding the .dsc.
kh_fetch_source() {
    local pkg=$1 version=$2
    local dir=$KH_CACHE/sources/${pkg}_${version//:/_}
    if [ ! -f "$dir/.complete" ]; then
        kh_log "downloading source package $pkg $version"
        rm -rf "$dir.tmp"
        mkdir -p "$dir.tmp"
        (cd "$dir.tmp" && apt-get source --download-only "$pkg=$version" >download.log 2>&1) || {
            cat "$dir.tmp/download.log" >&2
            kh_die "apt-get source $pkg=$version failed"
        }
        rm -rf "$dir"
        mv "$dir.tmp" "$dir"
        touch "$dir/.complete"
    fi
    echo "$dir"
}

# Fetches PKG=VERSION (once) and unpacks it with Debian's patches applied into WORK/src, replacing
# WORK, which the caller removes when done (dpkg-source leaves a copy of the upstream tarball
# beside src).
kh_unpack_source() {
    local pkg=$1 version=$2 work=$3 dir
    dir=$(kh_fetch_source "$pkg" "$version")
    kh_log "building $pkg $version"
    rm -rf "$work"
    mkdir -p "$work"
    dpkg-source --no-check -x "$dir"/*.dsc "$work/src" >"$work/unpack.log" 2>&1 || {
        cat "$work/unpack.log" >&2
        kh_die "dpkg-source -x failed for $dir"
    }
}

# SOURCE_DATE_EPOCH of an unpacked Debian source tree: its latest changelog entry.
kh_source_epoch() {
    dpkg-parsechangelog -l "$1/debian/changelog" -STimestamp
}

# Runs BUILD_FUNCTION RESULT_DIR unless $KH_CACHE/out/NAME-KEY is complete; prints that directory.
# Holds $KH_CACHE/NAME.lock meanwhile: a second caller waits and then finds the result.
kh_cached_build() {
    local name=$1 key=$2 fn=$3
    local out=$KH_CACHE/out/$name-$key
    mkdir -p "$KH_CACHE/out"
    exec 9>"$KH_CACHE/$name.lock"
    flock 9
    if [ ! -f "$out/.complete" ]; then
        rm -rf "$out.tmp"
        mkdir -p "$out.tmp"
        "$fn" "$out.tmp" >&2
        rm -rf "$out"
        mv "$out.tmp" "$out"
    fi
    # The mark's time says when a build was last used. Builds of the same component that no tree
    # used for a week go; newer ones stay, as other checkouts may still want them.
    touch "$out/.complete"
    find "$KH_CACHE/out" -maxdepth 2 -path "$KH_CACHE/out/$name-*/.complete" -mtime +7 \
        -printf '%h\n' | xargs -r rm -rf
    exec 9>&-
    echo "$out"
}

# Copies the named files from a cached build into OUTDIR, leaving identical files untouched so
# that timestamps (and with them dependent build steps) only change when the bytes do.
kh_install() {
    local from=$1 outdir=$2
    shift 2
    for f in "$@"; do kh_install_as "$from/$f" "$outdir/$f"; done
}

# Copies FILE to TARGET unless TARGET already has the same bytes.
kh_install_as() {
    local file=$1 target=$2
    [ -f "$file" ] || kh_die "missing $file"
    mkdir -p "$(dirname "$target")"
    if ! cmp -s "$file" "$target"; then
        cp "$file" "$target.$$"
        mv "$target.$$" "$target"
    fi
}

# Runs a command with its output in LOG; shows the end of LOG if it fails.
kh_run_logged() {
    local log=$1
    shift
    if ! "$@" >"$log" 2>&1; then
        tail -n 40 "$log" >&2
        kh_die "failed: $* (full log: $log)"
    fi
}
