#!/usr/bin/env bash
# Shortcuts after Shift and Ctrl were used in a text field, on a real X display (Xvfb, keys
# through the X server as xdotool sends them): "Party" typed into the Comment box, then F8 takes
# a photo that carries the comment; Shift+Ctrl+1 (the X server gives it as '!') reaches profile
# 1, whose settings file is damaged, so its error box shows. Usage: <tavorin>
set -uo pipefail
program=$1
. "$(dirname "$0")/xvfb_lib.sh"
need_tools xvfb-run xdotool exiftool import convert
make_root tavorin-xvfb
echo "not a settings file" >"$root/damaged-profile.txt"

inner=$(cat <<'INNER'
set -u
. "$XVFB_LIB"
# A first start writes every setting; the test then names the profile file.
first_start 1
put_settings "$ROOT/damaged-profile.txt" <<'PY' || fail "cannot set the profile"
put('PhotoboothProfile1', sys.argv[2])
PY

"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
window=$(wait_for_window "Tavorin - Connected") || fail "no connected main window"
xdotool windowfocus --sync "$window" 2>/dev/null || true
sleep 1
# Where the Comment box is: a digit typed outside it lands in it, so the changed pixels are the
# box. Tab first puts the focus inside the form.
xdotool key Tab
box=""
for _ in $(seq 1 10); do
  import -window root "$ROOT/before.png"
  xdotool key 8
  sleep 0.5
  import -window root "$ROOT/after.png"
  box=$(convert "$ROOT/before.png" "$ROOT/after.png" -compose difference -composite -threshold 0 -trim \
        -format '%w %h %X %Y' info: 2>/dev/null)
  read -r w h x y <<<"$box"
  (( w > 1 && w < 400 && h > 1 && h < 100 )) && break
  box=""
done
[[ -n "$box" ]] || fail "the digit typed did not show in the Comment box"
read -r w h x y <<<"$box"
xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
sleep 0.3
# Shift for the capital, Ctrl+A to select what is there: then F8.
xdotool key ctrl+a
xdotool type --delay 50 Party
photo=$(photo_after 200 40 xdotool key F8) || fail "F8 after typing Party in Comment saved no photo"
sleep 1
comment=$(exiftool -s3 -UserComment "$photo")
[[ "$comment" == "Party" ]] || fail "the photo's comment is '$comment', not Party"
echo "F8 after Party in Comment saved $photo with comment $comment"

xdotool key shift+ctrl+1
error=$(wait_for_window "^Tavorin$" 20) || fail "Shift+Ctrl+1 did not reach profile 1"
echo "Shift+Ctrl+1 loaded profile 1 and showed its error box"
xdotool windowfocus --sync "$error" 2>/dev/null || true
xdotool key Return
end_cleanly
INNER
)
run_on_xvfb "$inner" 200
