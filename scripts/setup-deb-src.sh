#!/bin/sh
# Adds source-package entries (deb-src) for the Debian suites this machine already uses, so that
# `apt-get source` can fetch the packages the payload build compiles. Safe to run repeatedly:
# apt-get update runs only when the entry is new.
set -eu

SRC_FILE=/etc/apt/sources.list.d/korvane-helper-src.sources
BIN_FILE=/etc/apt/sources.list.d/debian.sources

if [ -f "$SRC_FILE" ]; then
    exit 0
fi

if [ "$(id -u)" != 0 ]; then
    echo "setup-deb-src: must run as root to write $SRC_FILE" >&2
    exit 1
fi

main_uri=http://deb.debian.org/debian
security_uri=http://deb.debian.org/debian-security
if [ -f "$BIN_FILE" ]; then
    # Mirror the URIs of the existing binary entries (first one for each archive).
    uri=$(awk '/^URIs:/ && $2 !~ /security/ {print $2; exit}' "$BIN_FILE")
    [ -n "$uri" ] && main_uri=$uri
    uri=$(awk '/^URIs:/ && $2 ~ /security/ {print $2; exit}' "$BIN_FILE")
    [ -n "$uri" ] && security_uri=$uri
fi

tmp=$(mktemp)
cat >"$tmp" <<EOT
Types: deb-src
URIs: $main_uri
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: $security_uri
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOT
chmod 644 "$tmp"
mv "$tmp" "$SRC_FILE"
# A repository that cannot be reached must not stop the set-up; the Debian lists still update.
apt-get update || true
