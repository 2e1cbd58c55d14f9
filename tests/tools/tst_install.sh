#!/bin/sh
# Installs a build into a throw-away DESTDIR, as a package build would, and
# checks it with the validators the desktop's tools use.
# Usage: tst_install.sh <build directory>
set -eu
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
DESTDIR="$dest" cmake --install "$1" --prefix /usr/local >/dev/null
root="$dest/usr/local"
for file in bin/penvale bin/pvmail share/penvale/Orvid.html \
    share/applications/org.penvale.Penvale.desktop \
    share/icons/hicolor/scalable/apps/org.penvale.Penvale.svg \
    share/metainfo/org.penvale.Penvale.metainfo.xml; do
  [ -s "$root/$file" ] || { echo "not installed: $file" >&2; exit 1; }
done
desktop-file-validate "$root/share/applications/org.penvale.Penvale.desktop"
appstreamcli validate --no-net "$root/share/metainfo/org.penvale.Penvale.metainfo.xml"
