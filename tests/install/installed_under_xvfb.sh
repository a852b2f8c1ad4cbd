#!/usr/bin/env bash
# The installed program away from the build tree: `cmake --install` into a temporary prefix,
# tavorin started by name from the PATH in another folder on a real X display, a photo taken
# through the installed tavorin-test; its shipped files come from the prefix's share/tavorin,
# and, for a copy of the program outside any prefix, from $XDG_DATA_DIRS.
# Usage: <build dir>
set -uo pipefail
build=$1
. "$(dirname "$0")/../e2e/xvfb_lib.sh"
need_tools xvfb-run xdotool python3
make_root tavorin-installed
cmake --install "$build" --prefix "$root/prefix" >/dev/null || { echo "cmake --install failed"; exit 1; }
program=$root/prefix/bin/tavorin
mkdir -p "$root/work" "$root/alone"
cp "$program" "$root/alone/"

inner=$(cat <<'INNER'
set -u
. "$XVFB_LIB"
# The default photobooth folder is the shipped one, which the program names in its settings.
images_folder() {
  python3 -c "import sqlite3, sys
row = sqlite3.connect(sys.argv[1]).execute('select data from vals where name=?', (b'PhotoboothImageDir',)).fetchone()
print(row[0].rstrip(b'\0').decode() if row else '(none)')" "$TAVORIN_REGISTRY"
}
cd "$ROOT/work"
PATH="$ROOT/prefix/bin:$PATH" tavorin >"$ROOT/program.log" 2>&1 &
pid=$!
wait_for_window "Tavorin - Connected" >/dev/null || fail "the installed program did not connect to the simulated camera"
# The connection finishes a moment after the title names the camera: ask again while it is busy.
for _ in $(seq 1 50); do
  reply=$(PATH="$ROOT/prefix/bin:$PATH" tavorin-test -c Installed 2>&1) || fail "tavorin-test: $reply"
  [[ "$reply" == *"Camera is busy"* ]] || break
  sleep 0.2
done
photo=$(sed -n 's/^Success, image saved as: //p' <<<"$reply")
[[ -n "$photo" && -s "$photo" ]] || fail "tavorin-test said '$reply', and no photo is there"
end_cleanly
folder=$(images_folder)
[[ "$folder" == "$ROOT/prefix/share/tavorin/PhotoboothImages" ]] || fail "the shipped photobooth folder is $folder"

rm -f "$TAVORIN_REGISTRY"
XDG_DATA_DIRS="$ROOT/prefix/share" "$ROOT/alone/tavorin" >"$ROOT/program.log" 2>&1 &
pid=$!
wait_for_window "Tavorin - Connected" >/dev/null || fail "the program outside the prefix did not connect"
end_cleanly
folder=$(images_folder)
[[ "$folder" == "$ROOT/prefix/share/tavorin/PhotoboothImages" ]] || fail "through XDG_DATA_DIRS the photobooth folder is $folder"
echo "saved $photo"
INNER
)
run_on_xvfb "$inner" 240
