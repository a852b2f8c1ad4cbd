#!/usr/bin/env bash
# Settings are in the registry as soon as their dialog's OK is pressed: on a real X display
# (Xvfb, 1366x768), Ctrl+S opens "Photobooth Settings", 2 is typed into its first field (the
# number of photos), Return presses OK, and the program is killed with SIGKILL at once, as a
# crash or a power cut would end it. The registry holds 2, and a restart keeps it.
# Usage: <tavorin>
set -uo pipefail
program=$1
for tool in xvfb-run xdotool python3; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
root=$(mktemp -d /tmp/tavorin-kill-XXXXXX)
[[ -n "${KEEP_E2E:-}" ]] || trap 'rm -rf "$root"' EXIT
mkdir -p "$root/home" "$root/run" "$root/config"
chmod 700 "$root/run"

inner=$(cat <<'INNER'
set -u
. "$XVFB_LIB"
fail() { echo "$1"; cat "$ROOT/program.log"; [[ -n "${pid:-}" ]] && kill -9 $pid; exit 1; }
stored() {
  python3 - "$TAVORIN_REGISTRY" "$1" <<'PY'
import sqlite3, struct, sys
db = sqlite3.connect(sys.argv[1])
row = db.execute('select data from vals where name=?', (sys.argv[2].encode(),)).fetchone()
print(struct.unpack('<I', row[0][:4])[0] if row else 'missing')
PY
}
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
main=$(wait_for_window "Tavorin - Connected") || fail "no connected main window"
sleep 1
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main" 2>/dev/null
before=$(stored NumberOfPhotoboothImages)
echo "stored before: $before"
xdotool key --clearmodifiers ctrl+s
dialog=$(wait_for_window "Photobooth Settings" 20) || fail "Ctrl+S opened no Photobooth Settings"
sleep 1
# The first field has the focus with its text selected: the number of photos.
xdotool type --delay 50 "2"
xdotool key Return
for _ in $(seq 1 50); do xdotool search --onlyvisible --name "^Photobooth Settings$" >/dev/null 2>&1 || break; sleep 0.1; done
xdotool search --onlyvisible --name "^Photobooth Settings$" >/dev/null 2>&1 && fail "OK did not close the dialog"
# The program is still running: only the OK can have written the value.
t0=$(date +%s%N)
for _ in $(seq 1 50); do [[ "$(stored NumberOfPhotoboothImages)" == 2 ]] && break; sleep 0.1; done
echo "in the registry $(( ($(date +%s%N) - t0) / 1000000 )) ms after the dialog closed"
kill -0 $pid 2>/dev/null || fail "the program ended by itself"
kill -9 $pid
wait $pid 2>/dev/null
pid=""
after=$(stored NumberOfPhotoboothImages)
echo "stored after OK and SIGKILL: $after"
[[ "$after" == 2 ]] || fail "the number of photos was not saved on OK (stored: $after)"
# A restart reads it back: it is what the program writes again at its normal end.
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
wait_for_window "Tavorin - Connected" >/dev/null || fail "no connected main window after the restart"
sleep 1
kill -TERM $pid; wait $pid
pid=""
again=$(stored NumberOfPhotoboothImages)
echo "stored after the restart: $again"
[[ "$again" == 2 ]] || fail "the restart lost the number of photos (stored: $again)"
echo "done"
INNER
)
export XVFB_LIB="$(cd "$(dirname "$0")" && pwd)/xvfb_lib.sh"
export HOME="$root/home" XDG_RUNTIME_DIR="$root/run" XDG_CONFIG_HOME="$root/config"
export CUPS_SERVER="$root/no-cups-server"
export TAVORIN_REGISTRY="$root/config/registry.sqlite3" QT_QPA_PLATFORM=xcb PROGRAM="$program"
export ROOT="$root" ASAN_OPTIONS=detect_leaks=0
timeout 200 xvfb-run -a -s "-screen 0 1366x768x24" bash -c "$inner"
