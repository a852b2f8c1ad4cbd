#!/usr/bin/env bash
# The photobooth started on connection, on a real X display (Xvfb): with the screen images in
# the images folder the booth window shows within 30 s of the start; with the folder missing
# no booth window follows the connection. Screenshots of the main window (the shortcut row)
# and of the booth's ready screen land in the screenshot folder when one is given.
# Usage: <tavorin> [screenshot folder]
set -uo pipefail
program=$1
shots=${2:-}
. "$(dirname "$0")/xvfb_lib.sh"
need_tools xvfb-run xdotool python3 convert
make_root tavorin-xvfb
mkdir -p "$root/booth"
# Screen pictures with their names written on them.
python3 - "$root/booth" <<'PY' || { echo "cannot make the screen pictures"; exit 1; }
import subprocess, sys
for name in ["ready", "taking", "processing", "1", "2", "3", "4"]:
    subprocess.run(["convert", "-size", "1280x1024", "xc:#203060", "-fill", "white", "-pointsize", "72",
                    "-gravity", "center", "-annotate", "0", name, sys.argv[1] + "/" + name + ".jpg"], check=True)
PY

inner=$(cat <<'INNER'
set -u
. "$XVFB_LIB"
shot() { [[ -n "$SHOTS" ]] && mkdir -p "$SHOTS" && import -window root "$SHOTS/$1" 2>/dev/null; }
# A first start writes every setting; the test then changes the ones it needs.
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
main=$(wait_for_window "Tavorin - Connected") || fail "no connected main window"
sleep 1
shot main-window-shortcuts.png
kill -TERM $pid; wait $pid
settings() {
  put_settings "$1" <<'PY'
put('StartPhotoboothOnConnect', 1); put('PhotoboothImageDir', sys.argv[2])
PY
}
settings "$ROOT/booth" || fail "cannot set the settings"
start=$(date +%s)
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
booth=$(wait_for_window "Morvane Systems Photobooth" 30) || fail "no booth window within 30 s"
echo "booth window after $(( $(date +%s) - start )) s: $(xdotool getwindowname "$booth")"
sleep 2
shot booth-ready-screen.png
kill -TERM $pid; wait $pid

settings "$ROOT/missing" || fail "cannot set the settings"
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
wait_for_window "Tavorin - Connected" >/dev/null || fail "no connected main window"
if wait_for_window "Morvane Systems Photobooth" 8 >/dev/null; then fail "a booth window without its images folder"; fi
echo "no booth window without the images folder"
kill -TERM $pid; wait $pid
INNER
)
export SHOTS="$shots"
run_on_xvfb "$inner" 200
