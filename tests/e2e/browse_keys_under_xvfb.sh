#!/usr/bin/env bash
# The photo browser on a real X display (Xvfb, xdotool): one remote release takes an
# auto-bracket series whose photos reach the series command, PgUp then Ctrl+E hands the
# previous photo to the editor command, F7 shows it at full size, Del then Yes deletes it.
# Usage: <tavorin> <tavorin-test> [screenshot folder]
set -uo pipefail
program=$1
client=$2
shots=${3:-}
for tool in xvfb-run xdotool python3; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
root=$(mktemp -d /tmp/tavorin-xvfb-XXXXXX)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/home" "$root/run" "$root/config"
chmod 700 "$root/run"
# The recorder: its first argument (the command's fixed word) names the file it writes.
cat >"$root/record.sh" <<'REC'
#!/bin/sh
out=$1; shift
for a in "$@"; do printf '%s\n' "$a"; done > "$out.part" && mv "$out.part" "$out"
REC
chmod +x "$root/record.sh"

inner=$(cat <<'INNER'
set -u
. "$XVFB_LIB"
fail() { echo "$1"; cat "$ROOT/program.log"; [[ -n "${pid:-}" ]] && kill -9 $pid; exit 1; }
# A first start writes every setting; the test then changes the ones it needs.
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
wait_for_window "Tavorin - Connected" >/dev/null || fail "no connected main window"
kill -TERM $pid; wait $pid
python3 - "$TAVORIN_REGISTRY" "$ROOT" <<'PY' || fail "cannot set the settings"
import sqlite3, struct, sys
db = sqlite3.connect(sys.argv[1]); root = sys.argv[2]
def put(name, value):
    data = struct.pack('<I', value) if isinstance(value, int) else value.encode() + b'\0'
    n = db.execute('update vals set data=? where name=?', (data, name.encode())).rowcount
    assert n >= 1, name
put('AutoBracket', 1); put('AutoBracketCmdEnable', 1); put('AutoBracketNumShots', 3)
put('AutoBracketCmd', root + '/record.sh ' + root + '/series.txt')
put('ShellExecute', 0); put('LaunchEditorCmd', root + '/record.sh ' + root + '/editor.txt')
db.commit()
PY
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
main=$(wait_for_window "Tavorin - Connected")
[[ -n "$main" ]] || fail "no connected main window"
for _ in $(seq 1 50); do "$CLIENT" -n >/dev/null 2>&1 && break; sleep 0.2; done
# A release that finds the camera still busy from the connection is asked again.
for _ in $(seq 1 20); do
  "$CLIENT" >"$ROOT/release.log" 2>&1
  grep -qiE "busy|not running" "$ROOT/release.log" || break
  sleep 1
done
for _ in $(seq 1 600); do [[ -f "$ROOT/series.txt" ]] && break; sleep 0.1; done
[[ -f "$ROOT/series.txt" ]] || fail "the series command never ran"
mapfile -t series <"$ROOT/series.txt"
photos=$(find "$HOME/Photos" -name '*.JPG' | sort)
echo "series command got: ${series[*]}"
[[ ${#series[@]} -eq 3 ]] || fail "the series command got ${series[*]}"
[[ "$(printf '%s\n' "${series[@]}")" == "$photos" ]] || fail "not the series' photos, oldest first"
newest=${series[2]}
previous=${series[1]}
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
sleep 0.5
xdotool key --window "$main" Prior
sleep 0.5
xdotool key --window "$main" ctrl+e
for _ in $(seq 1 100); do [[ -f "$ROOT/editor.txt" ]] && break; sleep 0.1; done
mapfile -t editor <"$ROOT/editor.txt" 2>/dev/null
[[ "${editor[*]:-}" == "$previous" ]] || fail "the editor got '${editor[*]:-}', not $previous"
echo "editor got: ${editor[*]}"
xdotool key --window "$main" F7
preview=$(wait_for_window "Image Preview \(")
[[ -n "$preview" ]] || fail "F7 showed no preview"
echo "preview title: $(xdotool getwindowname "$preview")"
sleep 1
[[ -n "$SHOTS" ]] && mkdir -p "$SHOTS" && command -v import >/dev/null && import -window root "$SHOTS/image-preview.png"
xdotool key --window "$preview" F7
sleep 0.5
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key --window "$main" Delete
box=$(wait_for_window "Druskel")
[[ -n "$box" ]] || fail "Del asked nothing"
xdotool windowactivate --sync "$box" 2>/dev/null; xdotool key --window "$box" Return
for _ in $(seq 1 50); do [[ ! -f "$previous" ]] && break; sleep 0.1; done
[[ ! -f "$previous" ]] || fail "Del then Yes left $previous"
echo "deleted $previous"
kill -TERM $pid
wait $pid
INNER
)
export XVFB_LIB="$(cd "$(dirname "$0")" && pwd)/xvfb_lib.sh"
export HOME="$root/home" XDG_RUNTIME_DIR="$root/run" XDG_CONFIG_HOME="$root/config"
export TAVORIN_REGISTRY="$root/config/registry.sqlite3" QT_QPA_PLATFORM=xcb PROGRAM="$program" CLIENT="$client"
export ROOT="$root" SHOTS="$shots" ASAN_OPTIONS=detect_leaks=0
timeout 180 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$inner"
