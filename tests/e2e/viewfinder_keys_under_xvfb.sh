#!/usr/bin/env bash
# Keys typed into the live view window on a real X display (Xvfb, xdotool): a digit goes to
# the view's Comment box and F8 takes a photo, which carries that comment.
# Usage: <tavorin> <tavorin-test>
set -uo pipefail
program=$1
client=$2
. "$(dirname "$0")/xvfb_lib.sh"
need_tools xvfb-run xdotool exiftool
make_root tavorin-xvfb

inner=$(cat <<'INNER'
set -u
. "$XVFB_LIB"
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
wait_for_window "Tavorin - Connected${CAMERA_MODEL:+ to $CAMERA_MODEL}" >/dev/null || fail "no main window connected to ${CAMERA_MODEL:-a camera}"
# The connection finishes a moment after the title names the camera: ask until live view is on.
for _ in $(seq 1 50); do
  "$CLIENT" -n -v 1 >/dev/null 2>&1 && break
  sleep 0.2
done
window=$(wait_for_window "Viewfinder Display")
[[ -n "$window" ]] || fail "no live view window"
# Keys typed before the window has the focus are lost: type again, as a user would. Return
# starts a new comment, so a repeat still leaves just the one digit.
digit_and_f8() {
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key --window "$window" Return 7 F8
}
photo=$(photo_after 300 30 digit_and_f8) || fail "F8 in the live view window saved no photo"
sleep 1
comment=$(exiftool -s3 -UserComment "$photo")
kill -TERM $pid
wait $pid
[[ "$comment" == "7" ]] || { echo "the photo's comment is '$comment', not the digit typed"; cat "$ROOT/program.log"; exit 1; }
echo "saved $photo with comment $comment"
INNER
)
export CLIENT="$client"
run_on_xvfb "$inner" 180
