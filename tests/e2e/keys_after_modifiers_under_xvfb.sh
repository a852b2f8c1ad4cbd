#!/usr/bin/env bash
# Shortcuts after Shift and Ctrl were used in a text field, on a real X display (Xvfb, keys
# through the X server as xdotool sends them): "Party" typed into the Comment box, then F8 takes
# a photo that carries the comment; Shift+Ctrl+1 (the X server gives it as '!') reaches profile
# 1, whose settings file is damaged, so its error box shows. Usage: <tavorin>
set -uo pipefail
program=$1
for tool in xvfb-run xdotool exiftool import convert; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
root=$(mktemp -d /tmp/tavorin-xvfb-XXXXXX)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/home" "$root/run" "$root/config"
chmod 700 "$root/run"
echo "not a settings file" >"$root/damaged-profile.txt"

inner=$(cat <<'INNER'
set -u
. "$XVFB_LIB"
fail() { echo "$1"; cat "$ROOT/program.log"; [[ -n "${pid:-}" ]] && kill -9 $pid; exit 1; }
# A first start writes every setting; the test then names the profile file.
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
wait_for_window "Tavorin - Connected" >/dev/null || fail "no connected main window"
sleep 1
kill -TERM $pid; wait $pid
python3 - "$TAVORIN_REGISTRY" "$ROOT/damaged-profile.txt" <<'PY' || fail "cannot set the profile"
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
n = db.execute('update vals set data=? where name=?', (sys.argv[2].encode() + b'\0', b'PhotoboothProfile1')).rowcount
assert n >= 1
db.commit()
PY

"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
window=$(wait_for_window "Tavorin - Connected") || fail "no connected main window"
xdotool windowfocus --sync "$window" 2>/dev/null || true
sleep 1
# Where the Comment box is: a digit typed outside it lands in it, so the changed pixels are the
# box. Tab first puts the focus inside the form.
xdotool key Tab
box=""
for _ in $(seq 1 10); do
  import -window root "$ROOT/before.png"
  xdotool key 8
  sleep 0.5
  import -window root "$ROOT/after.png"
  box=$(convert "$ROOT/before.png" "$ROOT/after.png" -compose difference -composite -threshold 0 -trim \
        -format '%w %h %X %Y' info: 2>/dev/null)
  read -r w h x y <<<"$box"
  (( w > 1 && w < 400 && h > 1 && h < 100 )) && break
  box=""
done
[[ -n "$box" ]] || fail "the digit typed did not show in the Comment box"
read -r w h x y <<<"$box"
xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
sleep 0.3
# Shift for the capital, Ctrl+A to select what is there: then F8.
xdotool key ctrl+a
xdotool type --delay 50 Party
photo=""
for _ in $(seq 1 200); do
  (( _ % 40 == 1 )) && xdotool key F8
  photo=$(find "$HOME/Photos" -name '*.JPG' 2>/dev/null | head -1)
  [[ -n "$photo" ]] && break
  sleep 0.1
done
[[ -n "$photo" ]] || fail "F8 after typing Party in Comment saved no photo"
sleep 1
comment=$(exiftool -s3 -UserComment "$photo")
[[ "$comment" == "Party" ]] || fail "the photo's comment is '$comment', not Party"
echo "F8 after Party in Comment saved $photo with comment $comment"

xdotool key shift+ctrl+1
error=$(wait_for_window "^Tavorin$" 20) || fail "Shift+Ctrl+1 did not reach profile 1"
echo "Shift+Ctrl+1 loaded profile 1 and showed its error box"
xdotool windowfocus --sync "$error" 2>/dev/null || true
xdotool key Return
kill -TERM $pid
wait $pid
code=$?
[[ $code -eq 0 ]] || fail "SIGTERM ended the program with $code"
INNER
)
export XVFB_LIB="$(cd "$(dirname "$0")" && pwd)/xvfb_lib.sh"
export HOME="$root/home" XDG_RUNTIME_DIR="$root/run" XDG_CONFIG_HOME="$root/config"
export TAVORIN_REGISTRY="$root/config/registry.sqlite3" QT_QPA_PLATFORM=xcb PROGRAM="$program" ROOT="$root"
export ASAN_OPTIONS=detect_leaks=0
timeout 200 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$inner"
