#!/usr/bin/env bash
# F8 typed on a real X display (Xvfb, keys through the X server as xdotool sends them) takes
# and saves a photo; F11 opens the full-screen viewer; then SIGTERM ends the program cleanly. Usage: <tavorin>
set -uo pipefail
program=$1
. "$(dirname "$0")/xvfb_lib.sh"
need_tools xvfb-run xdotool
make_root tavorin-xvfb

inner=$(cat <<'INNER'
set -u
. "$XVFB_LIB"
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
window=$(wait_for_window "Tavorin - Connected")
[[ -n "$window" ]] || { echo "no connected main window"; kill -9 $pid; exit 1; }
xdotool windowfocus --sync "$window" 2>/dev/null || true
# The title names the camera a moment before the connection is done; a key until then is
# ignored, so press again as a user would.
photo=$(photo_after 300 30 xdotool key F8)
# SIGTERM while a modal window (the full-screen viewer, F11) runs its own loop: the program
# still ends cleanly, the window first.
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key F11
fullscreen=$(wait_for_window "Tavorin Full Screen" 30)
[[ -n "$fullscreen" ]] || { echo "F11 showed no full-screen window"; cat "$ROOT/program.log"; kill -9 $pid; exit 1; }
start=$(date +%s)
kill -TERM $pid
wait $pid
code=$?
echo "ended $(( $(date +%s) - start )) s after SIGTERM"
[[ -n "$photo" ]] || { echo "F8 saved no photo"; cat "$ROOT/program.log"; exit 1; }
[[ $code -eq 0 ]] || { echo "SIGTERM ended the program with $code"; cat "$ROOT/program.log"; exit 1; }
echo "saved $photo"
INNER
)
run_on_xvfb "$inner" 180
