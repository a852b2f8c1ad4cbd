#!/usr/bin/env bash
# libgphoto2's own command-line client talks to the PTP/IP test camera: it is a camera to
# libgphoto2, not only to our code. Summary, configuration, a setting, a capture and a preview.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
photos="$here/../fixtures/camera/photos"
work=$(mktemp -d)
camera_pid=
cleanup() {
  if [ -n "$camera_pid" ]; then kill "$camera_pid" 2>/dev/null || true; wait "$camera_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- camera log"; cat "$work/camera.log"; exit 1; }

python3 "$here/ptpip_test_camera.py" --port 0 --photos "$photos" </dev/null >"$work/camera.log" 2>&1 &
camera_pid=$!
for _ in $(seq 100); do grep -q '^listening' "$work/camera.log" && break; sleep 0.1; done
port=$(awk '/^listening/ {print $2}' "$work/camera.log")
[ -n "$port" ] || fail "the test camera did not start"

# libgphoto2 keeps its settings under HOME; the event line is on the camera's own port.
export HOME="$work"
gp() { timeout 60 gphoto2 --port "ptpip:127.0.0.1:$port:$port" "$@"; }

gp --summary >"$work/summary.txt" 2>&1 || fail "summary: $(cat "$work/summary.txt")"
grep -q '^Model: Canon PowerShot Test Camera' "$work/summary.txt" || fail "summary names no model"
grep -q 'ISO Speed(0xd01c)' "$work/summary.txt" || fail "summary lists no ISO property"

gp --list-config >"$work/config.txt" 2>&1 || fail "list-config"
for name in iso shutterspeed aperture whitebalance shootingmode; do
  grep -q "/$name\$" "$work/config.txt" || fail "configuration lacks $name"
done

gp --set-config iso=400 >"$work/set.txt" 2>&1 || fail "set-config: $(cat "$work/set.txt")"
grep -q '^set 0xd01c 0x58$' "$work/camera.log" || fail "the camera did not see ISO 400"
gp --get-config iso | grep -q '^Current: 400$' || fail "ISO does not read back as 400"

(cd "$work" && gp --capture-image-and-download --filename "$work/shot.jpg") >"$work/capture.txt" 2>&1 \
  || fail "capture: $(cat "$work/capture.txt")"
cmp -s "$work/shot.jpg" "$photos/IMG_0001.JPG" || fail "the downloaded photo is not the camera's"

(cd "$work" && gp --capture-preview --filename "$work/preview.jpg") >"$work/preview.txt" 2>&1 \
  || fail "preview: $(cat "$work/preview.txt")"
ls "$work"/*preview.jpg >/dev/null 2>&1 || fail "no preview frame saved"

echo "gphoto2 client: summary, configuration, ISO 400, capture and preview passed"
