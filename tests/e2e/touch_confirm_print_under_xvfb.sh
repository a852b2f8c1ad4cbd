#!/usr/bin/env bash
# A touch-screen booth session on a real X display (Xvfb): touch mode 5 with a Start area on
# the ready screen and a Confirm area on the confirm screen, confirmation on, green screen and
# live view on, the built-in PDF printer. The booth starts on connection and shows the keyed
# live picture; a click on Start runs the countdown, the shots and the processing; the confirm
# screen's window shows; two presses of the keypad's + make three copies; a click on Confirm
# prints them, one PDF page each, into ~/Documents/Tavorin Prints. Screenshots of the keyed
# live picture and of the confirm screen land in the screenshot folder when one is given.
# Usage: <tavorin> [screenshot folder]
set -uo pipefail
program=$1
shots=${2:-}
. "$(dirname "$0")/xvfb_lib.sh"
need_tools xvfb-run xdotool python3 convert import pdfinfo pdftoppm
# KEEP_E2E=1 keeps the folder (settings, photos, log) for a look after a failure.
make_root tavorin-touch
mkdir -p "$root/booth"
# Screen pictures with their names written on them; the confirm screen marks its Confirm area,
# the ready screen its Start area. The green-screen background is a labelled gradient.
python3 - "$root/booth" <<'PY' || { echo "cannot make the screen pictures"; exit 1; }
import subprocess, sys
folder = sys.argv[1]
def picture(name, colour, extra=()):
    subprocess.run(["convert", "-size", "1280x1024", "xc:" + colour, *extra, "-fill", "white", "-pointsize", "72",
                    "-gravity", "center", "-annotate", "0", name, folder + "/" + name + ".jpg"], check=True)
def area(x0, y0, x1, y1, text):
    return ["-fill", "#c04020", "-draw", f"rectangle {x0},{y0} {x1},{y1}", "-fill", "white", "-pointsize", "48",
            "-draw", f"text {x0 + 20},{y0 + 70} '{text}'"]
picture("ready", "#203060", area(60, 600, 460, 900, "START"))
picture("confirm_printing", "#205030", area(1000, 700, 1260, 950, "CONFIRM"))
for name in ["taking", "processing", "1", "2", "3", "4", "printing_confirmed"]:
    picture(name, "#303030")
subprocess.run(["convert", "-size", "640x480", "gradient:#ffd000-#d02080", "-fill", "white", "-pointsize", "60",
                "-gravity", "center", "-annotate", "0", "BACKGROUND", folder + "/greenscreen_background.jpg"], check=True)
PY

inner=$(cat <<'INNER'
set -u
. "$XVFB_LIB"
t0=$(date +%s%N)
log() { local d=$(( ($(date +%s%N) - t0) / 100000000 )); echo "$((d / 10)).$((d % 10)) s: $1"; }
shot() { [[ -n "$SHOTS" ]] && mkdir -p "$SHOTS" && import -window root "$SHOTS/$1" 2>/dev/null; }
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -1; }
prints() { ls "$HOME/Documents/Tavorin Prints"/*.pdf 2>/dev/null | wc -l; }
first_start
log "settings written"
settings() {
  put_settings "$ROOT/booth" <<'PY'
def area(slot, action, left, top, right, bottom):
    for field, value in (("Action", action), ("Left", left), ("Top", top), ("Right", right), ("Bottom", bottom)):
        put("PhotoboothTouchscreenButtons%d%s" % (slot, field), value)
put('StartPhotoboothOnConnect', 1); put('PhotoboothImageDir', sys.argv[2])
put('PhotoboothUseMouseToTrigger', 5); put('PhotoboothConfirmPrinting', 1)
put('PhotoboothConfirmPrintingTimeout', 120)
put('PhotoboothCustomLayout', 0); put('NumberOfPhotoboothImages', 4); put('PhotoboothFirstInterval', 1); put('PhotoboothInterval', 1)
put('PhotoboothPreviewTime', 0); put('PhotoboothMinProcessingDuration', 0); put('PhotoboothGifCreate', 0)
put('PhotoboothSaveJpegCopyOfPrints', 1); put('PhotoboothPrintCopies', 1)
area(1, 1, 60, 600, 460, 900)        # Start, on the ready screen
area(2, 22, 1000, 700, 1260, 950)     # Confirm printing, on the confirm screen
# The live picture on the ready screen, keyed against greenscreen_background.jpg.
put('PhotoboothEnableLiveView', 1); put('GreenScreenEnable', 1)
PY
}
settings || fail "cannot set the settings"
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
booth=$(wait_for_window "Morvane Systems Photobooth" 30) || fail "no booth window within 30 s"
log "booth window: $(xdotool getwindowname "$booth")"
before=$(prints)
# The live picture covers the top of the ready screen's middle once its first frame is drawn.
ready=$(convert "$ROOT/booth/ready.jpg" -crop 1x1+640+60 -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}' | head -1)
for _ in $(seq 1 100); do
  [[ "$(pixel 640 60)" != "$ready" ]] && break
  sleep 0.1
done
[[ "$(pixel 640 60)" != "$ready" ]] || fail "no live picture on the ready screen within 10 s"
log "live picture shown"
shot touch-keyed-live-view.png
xdotool mousemove 260 750 click 1
log "clicked Start"
confirm=$(wait_for_window "confirm_printing" 60) || fail "no confirm screen within 60 s of the Start click"
log "confirm screen: $(xdotool getwindowname "$confirm")"
# Two presses of the keypad's + on the confirm screen: three copies, shown for 2 s.
xdotool key KP_Add
sleep 0.3
xdotool key KP_Add
sleep 0.5
shot touch-confirm-screen.png
xdotool mousemove 1130 820 click 1
for _ in $(seq 1 300); do (( $(prints) > before )) && break; sleep 0.1; done
(( $(prints) > before )) || fail "no PDF in Tavorin Prints within 30 s of the Confirm click"
pdf=$(ls -t "$HOME/Documents/Tavorin Prints"/*.pdf | head -1)
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
log "printed $(basename "$pdf"): $pages page(s)"
[[ "$pages" == 3 ]] || fail "the print has $pages pages, not the 3 copies"
# The four photos are on the page: it is far from blank paper.
pdftoppm -r 20 -png "$pdf" "$ROOT/page"
mean=$(convert "$ROOT/page-1.png" -format "%[fx:int(mean*100)]" info:)
(( mean < 95 )) || fail "the printed page is blank (mean level $mean%)"
kill -TERM $pid; wait $pid

log "done"
INNER
)
# No print server: the built-in PDF printer is the default.
export CUPS_SERVER="$root/no-cups-server" SHOTS="$shots"
run_on_xvfb "$inner" 200
