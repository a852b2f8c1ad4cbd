#!/usr/bin/env bash
# The countdown digits reach the screen: a booth session on a real X display (Xvfb), with no
# window manager or with openbox. The booth starts on connection; F3 on the ready screen starts
# a session whose countdown text is magenta; screenshots of the whole screen taken during the
# countdown must show the text's pixels, also after the booth window is raised again. The
# first shot comes after the first-photo delay. Screenshots land in the screenshot folder.
# Usage: <tavorin> <none|openbox> [screenshot folder]
set -uo pipefail
program=$1
wm=${2:-none}
shots=${3:-}
. "$(dirname "$0")/xvfb_lib.sh"
need_tools xvfb-run xdotool python3 convert import
if [[ "$wm" != none ]]; then
  need_tools "$wm"
fi
make_root tavorin-countdown
mkdir -p "$root/booth"
python3 - "$root/booth" <<'PY' || { echo "cannot make the screen pictures"; exit 1; }
import subprocess, sys
for name in ["ready", "taking", "processing", "1", "2"]:
    subprocess.run(["convert", "-size", "1280x1024", "xc:#203060", "-fill", "white", "-pointsize", "72",
                    "-gravity", "center", "-annotate", "0", name, sys.argv[1] + "/" + name + ".jpg"], check=True)
PY

inner=$(cat <<'INNER'
set -u
. "$XVFB_LIB"
# Pixels of the countdown's colour on the whole screen.
magenta() {
  import -window root -depth 8 "$ROOT/screen.png" 2>/dev/null || { echo 0; return; }
  [[ -n "$SHOTS" ]] && mkdir -p "$SHOTS" && cp "$ROOT/screen.png" "$SHOTS/$1"
  convert "$ROOT/screen.png" -fill black +opaque "#FF00FF" -fill white -opaque "#FF00FF" -format "%[fx:int(mean*w*h)]" info:
}
wmpid=""
if [[ "$WM" != none ]]; then
  "$WM" >"$ROOT/wm.log" 2>&1 &
  wmpid=$!
  sleep 1
fi
first_start
put_settings "$ROOT/booth" <<'PY' || fail "cannot set the settings"
put('StartPhotoboothOnConnect', 1); put('PhotoboothImageDir', sys.argv[2])
put('NumberOfPhotoboothImages', 1); put('PhotoboothFirstInterval', 8); put('PhotoboothInterval', 2)
put('PhotoboothPreviewTime', 0); put('PhotoboothMinProcessingDuration', 0); put('PhotoboothGifCreate', 0)
put('PhotoboothSaveJpegCopyOfPrints', 3); put('PhotoboothEnableLiveView', 0)
put('PhotoboothMsgColour', 0xFF00FF)
PY
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
booth=$(wait_for_window "Morvane Systems Photobooth" 30) || fail "no booth window within 30 s"
for _ in $(seq 1 100); do
  xdotool getwindowname "$booth" 2>/dev/null | grep -q "ready.jpg" && break
  sleep 0.1
done
xdotool windowactivate --sync "$booth" 2>/dev/null || xdotool windowfocus --sync "$booth" 2>/dev/null
sleep 0.5
# F3 on the ready screen starts the session; the window may take keys only once it is settled.
for _ in $(seq 1 20); do
  start=$(date +%s%N)
  xdotool key F3
  sleep 0.3
  xdotool getwindowname "$booth" 2>/dev/null | grep -q "/1.jpg" && break
done
xdotool getwindowname "$booth" | grep -q "/1.jpg" || fail "F3 started no session: $(xdotool getwindowname "$booth")"
# The countdown runs 8 s: its text shows within the first seconds.
count=0
for _ in $(seq 1 40); do
  count=$(magenta countdown-"$WM".png)
  (( count > 200 )) && break
  sleep 0.1
done
echo "countdown text pixels: $count"
(( count > 200 )) || fail "no countdown text on the screen (booth window: $(xdotool getwindowname "$booth"))"
# Raised again (as a click or a window manager may do), the booth window stays under the text.
xdotool windowraise "$booth" 2>/dev/null
xdotool windowactivate "$booth" 2>/dev/null
sleep 1.2
count=$(magenta countdown-after-raise-"$WM".png)
echo "after raising the booth window: $count"
(( count > 200 )) || fail "the countdown text went under the booth window when it was raised"
# The first countdown lasts the first-photo delay (8 s), not the interval (2 s).
for _ in $(seq 1 150); do
  xdotool search --name "Morvane Systems Photobooth - .*(taking|processing)" >/dev/null 2>&1 && break
  sleep 0.1
done
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
echo "taking screen after $elapsed ms"
(( elapsed >= 6500 )) || fail "the first shot came after $elapsed ms, before the 8 s first-photo delay"
kill -TERM $pid; wait $pid
[[ -n "$wmpid" ]] && kill $wmpid
echo "done"
INNER
)
export CUPS_SERVER="$root/no-cups-server" WM="$wm" SHOTS="$shots"
run_on_xvfb "$inner" 200
