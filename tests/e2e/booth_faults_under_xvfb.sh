#!/usr/bin/env bash
# Camera faults in a booth session on a real X display (Xvfb), started with F4 on the booth:
# a refused release shows its box, and SIGTERM while that box is up ends the program cleanly
# (exit 0, no sanitizer report); a failed download shows its box and, once it is answered, the
# booth is back on its ready screen instead of waiting for good on the taking screen.
# Usage: <tavorin>
set -uo pipefail
program=$1
. "$(dirname "$0")/xvfb_lib.sh"
need_tools xvfb-run xdotool python3 convert
make_root tavorin-xvfb
mkdir -p "$root/booth"
for name in ready taking processing 1; do
  convert -size 640x480 xc:#203060 "$root/booth/$name.jpg" || { echo "cannot make the screen pictures"; exit 1; }
done
printf 'camera pr Canon PowerShot G9\nfault PR_RC_Release * 0x2002\n' >"$root/release.sim"
printf 'camera pr Canon PowerShot G9\nfault PR_RC_GetReleasedData * 0x2019\n' >"$root/download.sim"

inner=$(cat <<'INNER'
set -u
. "$XVFB_LIB"
first_start
put_settings "$ROOT/booth" <<'PY' || fail "cannot set the settings"
put('StartPhotoboothOnConnect', 1); put('PhotoboothImageDir', sys.argv[2])
put('NumberOfPhotoboothImages', 1); put('PhotoboothInterval', 1)
PY
# Starts the program on a scenario and presses F4 on the booth until the error box shows.
session() {
  TAVORIN_CAMERA_SIM="$1" "$PROGRAM" >"$ROOT/program.log" 2>&1 &
  pid=$!
  booth=$(wait_for_window "Morvane Systems Photobooth" 60) || fail "no booth window"
  sleep 1
  box=""
  for _ in $(seq 1 40); do
    xdotool windowfocus --sync "$booth" 2>/dev/null || true
    xdotool key F4
    box=$(wait_for_window "^Tavorin$" 1) && break
  done
  [[ -n "$box" ]] || fail "F4 on the booth showed no error box"
}

session "$ROOT/release.sim"
end_cleanly "SIGTERM while the box showed ended the program"
grep -q "ERROR: AddressSanitizer\|runtime error" "$ROOT/program.log" && fail "a sanitizer report at the end"
echo "refused release: SIGTERM over the box ends with 0"

session "$ROOT/download.sim"
ready=""
for _ in $(seq 1 100); do
  # The box is answered as the operator would, with its OK key.
  if xdotool search --onlyvisible --name "^Tavorin$" >/dev/null 2>&1; then
    xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key Return
  fi
  title=$(xdotool getwindowname "$booth" 2>/dev/null)
  [[ "$title" == *"/ready.jpg" ]] && { ready=1; break; }
  sleep 0.1
done
[[ -n "$ready" ]] || fail "after the failed download the booth shows: $title"
echo "failed download: the box, then the booth back at ready"
end_cleanly
INNER
)
run_on_xvfb "$inner" 220
