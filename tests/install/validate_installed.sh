#!/usr/bin/env bash
# The installed tree as a desktop sees it: the entry and the metadata pass desktop-file-validate
# and appstreamcli, the entry's program and icons are installed, and the metadata's newest
# release is this version.
# Usage: <build dir> <application id> <version>
set -uo pipefail
build=$1 id=$2 version=$3
for tool in desktop-file-validate appstreamcli python3; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
prefix=$(mktemp -d /tmp/tavorin-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "cmake --install failed"; exit 1; }

failed=0
fail() { echo "$1"; failed=1; }
entry=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
# Its hints count too: an entry outside the menus' main categories lands in a catch-all.
said=$(desktop-file-validate "$entry" 2>&1) && [[ -z "$said" ]] || fail "desktop-file-validate: $said"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli refused $metainfo"

program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
[[ -x "$prefix/bin/$program" ]] || fail "the entry starts '$program', which is not in $prefix/bin"
icon=$(sed -n 's/^Icon=//p' "$entry")
[[ -s "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ]] || fail "no scalable icon $icon.svg"
for size in 48 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png
  # The PNG header's width and height.
  got=$(python3 -c "import struct, sys; d = open(sys.argv[1], 'rb').read(24); print('%dx%d' % struct.unpack('>II', d[16:24]) if d[:8] == b'\x89PNG\r\n\x1a\n' else 'no PNG')" "$png" 2>&1)
  [[ "$got" == "${size}x${size}" ]] || fail "icon $png: $got, not ${size}x${size}"
done
release=$(python3 -c "import sys, xml.etree.ElementTree as t; print(t.parse(sys.argv[1]).find('releases/release').get('version'))" "$metainfo")
[[ "$release" == "$version" ]] || fail "the metadata's newest release is $release, the program's version $version"
for name in splash.bmp Tavorin.htm help/TimeLapse.htm cursors/246.png PhotoboothImages/buttons/start.bmp; do
  [[ -e "$prefix/share/tavorin/$name" ]] || fail "share/tavorin/$name is not installed"
done
[[ -e "$prefix/share/tavorin/desktop" ]] && fail "the desktop files are installed among the program's data too"
exit $failed
