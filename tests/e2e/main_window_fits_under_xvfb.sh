#!/usr/bin/env bash
# The main window opens wholly on the screen: on a real X display (Xvfb) of the given size, with
# no window manager or with openbox, the main window's outer frame (title bar included) lies
# within the screen, first at its default size and then at a saved placement. A saved placement
# on the screen stays where it was, its frame as it was saved; one wholly off the screen comes
# back onto it.
# Usage: <tavorin> <none|openbox> <width>x<height>
set -uo pipefail
program=$1
wm=${2:-none}
size=${3:-1366x768}
for tool in Xvfb xdotool xwininfo python3; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
if [[ "$wm" != none ]]; then
  command -v "$wm" >/dev/null || { echo "SKIP: $wm is not installed"; exit 77; }
fi
root=$(mktemp -d /tmp/tavorin-fits-XXXXXX)
[[ -n "${KEEP_E2E:-}" ]] || trap 'rm -rf "$root"' EXIT
mkdir -p "$root/home" "$root/run" "$root/config"
chmod 700 "$root/run"

inner=$(cat <<'INNER'
set -u
. "$XVFB_LIB"
fail() { echo "$1"; cat "$ROOT/program.log"; [[ -n "${pid:-}" ]] && kill -9 $pid; [[ -n "${wmpid:-}" ]] && kill $wmpid; exit 1; }
# The outer frame of a window, title bar included: "x y width height". A window manager puts
# the client inside a frame window of its own; the outermost ancestor below the root is it.
outer_frame() {
  local id=$1 parent root_id
  root_id=$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
  while :; do
    parent=$(xwininfo -children -id "$id" 2>/dev/null | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p')
    [[ -z "$parent" || "$parent" == "$root_id" ]] && break
    id=$parent
  done
  xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /Width:/{w=$NF} /Height:/{h=$NF} /Border width:/{b=$NF}
    END{print x-b, y-b, w+2*b, h+2*b}'
}
# The main window's frame, once it has settled, lies within the screen.
check_on_screen() {
  local what=$1 window frame x y w h
  window=$(wait_for_window "Tavorin - Connected" 60) || fail "$what: no connected main window"
  sleep 2
  frame=$(outer_frame "$window")
  read -r x y w h <<<"$frame"
  echo "$what: frame $x,$y ${w}x${h} on a ${SCREEN_W}x${SCREEN_H} screen"
  (( x >= 0 && y >= 0 && x + w <= SCREEN_W && y + h <= SCREEN_H )) ||
    fail "$what: the main window's frame ($x,$y ${w}x${h}) reaches off the ${SCREEN_W}x${SCREEN_H} screen"
  FRAME="$frame"
}
saved() {
  python3 - "$TAVORIN_REGISTRY" <<'PY'
import sqlite3, struct, sys
db = sqlite3.connect(sys.argv[1])
values = {}
for name in ("WindowLeft", "WindowTop", "WindowRight", "WindowBottom"):
    row = db.execute("select data from vals where name=?", (name.encode(),)).fetchone()
    values[name] = struct.unpack('<i', row[0])[0] if row else None
print(values["WindowLeft"], values["WindowTop"], values["WindowRight"], values["WindowBottom"])
PY
}
save_placement() {
  python3 - "$TAVORIN_REGISTRY" "$@" <<'PY' || fail "cannot set the saved placement"
import sqlite3, struct, sys
db = sqlite3.connect(sys.argv[1])
for name, value in zip(("WindowLeft", "WindowTop", "WindowRight", "WindowBottom"), sys.argv[2:]):
    n = db.execute("update vals set data=? where name=?", (struct.pack('<i', int(value)), name.encode())).rowcount
    assert n >= 1, name
db.commit()
PY
}
wmpid=""
if [[ "$WM" != none ]]; then
  "$WM" >"$ROOT/wm.log" 2>&1 &
  wmpid=$!
  sleep 1
fi
# The default size on a first run.
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
check_on_screen "default size"
kill -TERM $pid; wait $pid
# A saved placement that fits stays as it is, frame and all.
save_placement 40 30 840 630
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
check_on_screen "saved placement on the screen"
read -r x y w h <<<"$FRAME"
(( x == 40 && y == 30 && w == 800 && h == 600 )) || fail "the saved placement 40,30 800x600 moved to $x,$y ${w}x${h}"
kill -TERM $pid; wait $pid
# A saved placement wholly below and right of the screen (one that was left on a screen since
# taken away) comes back onto it.
save_placement $((SCREEN_W + 100)) $((SCREEN_H + 50)) $((SCREEN_W + 900)) $((SCREEN_H + 650))
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
check_on_screen "saved placement off the screen"
kill -TERM $pid; wait $pid
[[ -n "$wmpid" ]] && kill $wmpid
echo "done"
INNER
)
export XVFB_LIB="$(cd "$(dirname "$0")" && pwd)/xvfb_lib.sh"
export HOME="$root/home" XDG_RUNTIME_DIR="$root/run" XDG_CONFIG_HOME="$root/config"
export CUPS_SERVER="$root/no-cups-server"
export TAVORIN_REGISTRY="$root/config/registry.sqlite3" QT_QPA_PLATFORM=xcb PROGRAM="$program" WM="$wm"
export ROOT="$root" ASAN_OPTIONS=detect_leaks=0 SCREEN_W="${size%x*}" SCREEN_H="${size#*x}"
# The server picks a free display itself: parallel runs never meet on one.
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$root/display" 2>"$root/xvfb.log" &
xvfb=$!
for _ in $(seq 1 100); do [[ -s "$root/display" ]] && break; sleep 0.1; done
[[ -s "$root/display" ]] || { echo "Xvfb did not start"; cat "$root/xvfb.log"; kill $xvfb; exit 1; }
DISPLAY=":$(head -1 "$root/display")" timeout 200 bash -c "$inner"
status=$?
kill $xvfb; wait $xvfb 2>/dev/null
exit $status
