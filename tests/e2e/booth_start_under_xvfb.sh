#!/usr/bin/env bash
# The photobooth started on connection, on a real X display (Xvfb): with the screen images in
# the images folder the booth window shows within 30 s of the start; with the folder missing
# no booth window follows the connection. Screenshots of the main window (the shortcut row)
# and of the booth's ready screen land in the screenshot folder when one is given.
# Usage: <tavorin> [screenshot folder]
set -uo pipefail
program=$1
shots=${2:-}
for tool in xvfb-run xdotool python3 convert; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
root=$(mktemp -d /tmp/tavorin-xvfb-XXXXXX)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/home" "$root/run" "$root/config" "$root/booth"
chmod 700 "$root/run"
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
fail() { echo "$1"; cat "$ROOT/program.log"; [[ -n "${pid:-}" ]] && kill -9 $pid; exit 1; }
shot() { [[ -n "$SHOTS" ]] && mkdir -p "$SHOTS" && import -window root "$SHOTS/$1" 2>/dev/null; }
# A first start writes every setting; the test then changes the ones it needs.
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
main=$(wait_for_window "Tavorin - Connected") || fail "no connected main window"
sleep 1
shot main-window-shortcuts.png
kill -TERM $pid; wait $pid
settings() {
  python3 - "$TAVORIN_REGISTRY" "$1" <<'PY'
import sqlite3, struct, sys
db = sqlite3.connect(sys.argv[1])
def put(name, value):
    data = struct.pack('<I', value) if isinstance(value, int) else value.encode() + b'\0'
    n = db.execute('update vals set data=? where name=?', (data, name.encode())).rowcount
    assert n >= 1, name
put('StartPhotoboothOnConnect', 1); put('PhotoboothImageDir', sys.argv[2])
db.commit()
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
export XVFB_LIB="$(cd "$(dirname "$0")" && pwd)/xvfb_lib.sh"
export HOME="$root/home" XDG_RUNTIME_DIR="$root/run" XDG_CONFIG_HOME="$root/config"
export TAVORIN_REGISTRY="$root/config/registry.sqlite3" QT_QPA_PLATFORM=xcb PROGRAM="$program"
export ROOT="$root" SHOTS="$shots" ASAN_OPTIONS=detect_leaks=0
timeout 200 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$inner"
