#!/usr/bin/env bash
# Runs an Xvfb walk with the real camera back end: libgphoto2 drives the PTP/IP test camera
# instead of the simulator. Afterwards the camera must have sent at least <photos> photos and,
# when <live view> is 1, viewfinder frames.
# Usage: <photos> <live view 0|1> <walk script> <its arguments...>
set -uo pipefail
photos=$1 liveview=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
log=$(mktemp /tmp/tavorin-test-camera-XXXXXX)
python3 "$here/../camera/ptpip_test_camera.py" --port 0 --photos "$here/../fixtures/camera/photos" \
  </dev/null >"$log" 2>&1 &
camera=$!
trap 'kill $camera 2>/dev/null; wait $camera 2>/dev/null; rm -f "$log"' EXIT
for _ in $(seq 100); do grep -q '^listening' "$log" && break; sleep 0.1; done
port=$(awk '/^listening/ {print $2}' "$log")
[[ -n "$port" ]] || { echo "the test camera did not start"; cat "$log"; exit 1; }
# A walk that knows CAMERA_MODEL waits for the title that names it.
export TAVORIN_CAMERA_SIM= TAVORIN_CAMERA_PORT="ptpip:127.0.0.1:$port" CAMERA_MODEL="Canon PowerShot Test Camera"
bash "$@"
code=$?
if (( code != 0 )); then echo "--- test camera"; cat "$log"; exit $code; fi
sent=$(grep -c '^fetched' "$log")
(( sent >= photos )) || { echo "the test camera sent $sent photos, not $photos"; cat "$log"; exit 1; }
if [[ "$liveview" == 1 ]]; then
  grep -q '^viewfinder on' "$log" || { echo "the test camera's viewfinder was never on"; cat "$log"; exit 1; }
fi
echo "the test camera sent $sent photos"
