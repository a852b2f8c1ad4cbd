#!/usr/bin/env bash
# Keys typed into the live view window on a real X display (Xvfb, xdotool): a digit goes to
# the view's Comment box and F8 takes a photo, which carries that comment.
# Usage: <tavorin> <tavorin-test>
set -uo pipefail
program=$1
client=$2
for tool in xvfb-run xdotool exiftool; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
root=$(mktemp -d /tmp/tavorin-xvfb-XXXXXX)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/home" "$root/run" "$root/config"
chmod 700 "$root/run"

inner=$(cat <<'INNER'
set -u
. "$XVFB_LIB"
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
fail() { echo "$1"; cat "$ROOT/program.log"; kill -9 $pid; exit 1; }
wait_for_window "Tavorin - Connected${CAMERA_MODEL:+ to $CAMERA_MODEL}" >/dev/null || fail "no main window connected to ${CAMERA_MODEL:-a camera}"
# The connection finishes a moment after the title names the camera: ask until live view is on.
for _ in $(seq 1 50); do
  "$CLIENT" -n -v 1 >/dev/null 2>&1 && break
  sleep 0.2
done
window=$(wait_for_window "Viewfinder Display")
[[ -n "$window" ]] || fail "no live view window"
photo=""
for _ in $(seq 1 300); do
  # Keys typed before the window has the focus are lost: type again, as a user would. Return
  # starts a new comment, so a repeat still leaves just the one digit.
  if (( _ % 30 == 1 )); then
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key --window "$window" Return 7 F8
  fi
  photo=$(find "$HOME/Photos" -name '*.JPG' 2>/dev/null | head -1)
  [[ -n "$photo" ]] && break
  sleep 0.1
done
[[ -n "$photo" ]] || fail "F8 in the live view window saved no photo"
sleep 1
comment=$(exiftool -s3 -UserComment "$photo")
kill -TERM $pid
wait $pid
[[ "$comment" == "7" ]] || { echo "the photo's comment is '$comment', not the digit typed"; cat "$ROOT/program.log"; exit 1; }
echo "saved $photo with comment $comment"
INNER
)
export XVFB_LIB="$(cd "$(dirname "$0")" && pwd)/xvfb_lib.sh"
export HOME="$root/home" XDG_RUNTIME_DIR="$root/run" XDG_CONFIG_HOME="$root/config"
export TAVORIN_REGISTRY="$root/config/registry.sqlite3" QT_QPA_PLATFORM=xcb PROGRAM="$program" CLIENT="$client"
export ROOT="$root" ASAN_OPTIONS=detect_leaks=0
timeout 180 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$inner"
