#!/usr/bin/env bash
# Settings are in the registry as soon as their dialog's OK is pressed: on a real X display
# (Xvfb, 1366x768), Ctrl+S opens "Photobooth Settings", 2 is typed into its first field (the
# number of photos), Return presses OK, and the program is killed with SIGKILL at once, as a
# crash or a power cut would end it. The registry holds 2, and a restart keeps it.
# Usage: <tavorin>
set -uo pipefail
program=$1
. "$(dirname "$0")/xvfb_lib.sh"
need_tools xvfb-run xdotool python3
make_root tavorin-kill

inner=$(cat <<'INNER'
set -u
. "$XVFB_LIB"
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
export CUPS_SERVER="$root/no-cups-server"
run_on_xvfb "$inner" 200 1366x768x24
