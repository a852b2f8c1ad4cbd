#!/usr/bin/env bash
# The Debian package made from this tree (CPack, as scripts/package makes it): its files lie
# under /usr (the programs, their data, the desktop entry, icons and metadata), Depends names
# the libraries the programs link and the Qt plugins' packages, ffmpeg is recommended, and no
# maintainer script leaves files dpkg does not know of.
# Usage: <build dir> <application id>
set -uo pipefail
build=$1 id=$2
for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
out=$(mktemp -d /tmp/tavorin-package-XXXXXX)
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; echo "cpack failed"; exit 1; }
deb=$(ls "$out"/tavorin_*_amd64.deb 2>/dev/null | head -1)
[[ -n "$deb" ]] || { cat "$out/cpack.log"; echo "no tavorin_<version>_amd64.deb"; exit 1; }

failed=0
fail() { echo "$1"; failed=1; }
files=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|')
for file in /usr/bin/tavorin /usr/bin/tavorin-test /usr/share/applications/$id.desktop \
            /usr/share/metainfo/$id.metainfo.xml /usr/share/icons/hicolor/scalable/apps/$id.svg \
            /usr/share/icons/hicolor/256x256/apps/$id.png /usr/share/tavorin/splash.bmp \
            /usr/share/tavorin/cursors/246.png /usr/share/tavorin/PhotoboothImages/buttons/start.bmp; do
  grep -qx "$file" <<<"$files" || fail "the package lacks $file"
done
outside=$(grep -v '^/$' <<<"$files" | grep -v '^/usr/' || true)
[[ -z "$outside" ]] || fail "files outside /usr: $outside"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libgphoto2-6 libqt6core6 libqt6widgets6 libqt6gui6 libqt6multimedia6 libcups2 libcurl4 \
               libsqlite3-0 qt6-image-formats-plugins; do
  grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
grep -Eq "(^|, )ffmpeg( |,|$)" <<<"$recommends" || fail "Recommends lacks ffmpeg: $recommends"
[[ "$(dpkg-deb -f "$deb" Package Architecture | tr '\n' ' ')" == "Package: tavorin Architecture: amd64 " ]] ||
  fail "not the amd64 package tavorin: $(dpkg-deb -f "$deb" Package Architecture)"
scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E 'preinst|postinst|prerm|postrm' || true)
[[ -z "$scripts" ]] || fail "maintainer scripts: $scripts"
exit $failed
