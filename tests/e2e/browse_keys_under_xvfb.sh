#!/usr/bin/env bash
# The photo browser on a real X display (Xvfb, xdotool): one remote release takes an
# auto-bracket series whose photos reach the series command, PgUp then Ctrl+E hands the
# previous photo to the editor command, F7 shows it at full size, Del then Yes deletes it.
# Usage: <tavorin> <tavorin-test> [screenshot folder]
set -uo pipefail
program=$1
client=$2
shots=${3:-}
. "$(dirname "$0")/xvfb_lib.sh"
need_tools xvfb-run xdotool python3
make_root tavorin-xvfb
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
first_start
put_settings "$ROOT" <<'PY' || fail "cannot set the settings"
root = sys.argv[2]
put('AutoBracket', 1); put('AutoBracketCmdEnable', 1); put('AutoBracketNumShots', 3)
put('AutoBracketCmd', root + '/record.sh ' + root + '/series.txt')
put('ShellExecute', 0); put('LaunchEditorCmd', root + '/record.sh ' + root + '/editor.txt')
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
export CLIENT="$client" SHOTS="$shots"
run_on_xvfb "$inner" 180
