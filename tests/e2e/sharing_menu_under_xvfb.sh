#!/usr/bin/env bash
# The Sharing menu on a real X display (Xvfb, xdotool), with the registry naming a loopback
# SMTP server. "Send emails...": the log's path typed into the chooser, Down and Return in
# "Unsent Emails": the server gets one HTML e-mail with the photo inline, at most 500 px wide,
# and the log gains the sent line. "Edit QR code...": the code on the screen reads back as the
# stored text, typed text shows at once, and Escape leaves the stored text alone.
# Screenshots land in the screenshot folder when one is given.
# Usage: <tavorin> [screenshot folder]
set -uo pipefail
program=$1
shots=${2:-}
for tool in xvfb-run xdotool python3 convert import zbarimg; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
here="$(cd "$(dirname "$0")" && pwd)"
root=$(mktemp -d /tmp/tavorin-sharing-XXXXXX)
smtp_pid=""
trap '[[ -n "$smtp_pid" ]] && kill $smtp_pid 2>/dev/null; rm -rf "$root"' EXIT
mkdir -p "$root/home" "$root/run" "$root/config" "$root/smtp"
chmod 700 "$root/run"

# The loopback SMTP server of the mail tests, asking for a login.
/usr/bin/python3 "$here/../platform/csmail/smtp_test_server.py" --outdir "$root/smtp" --user booth --password pw \
  >"$root/smtp.port" 2>"$root/smtp.log" &
smtp_pid=$!
for _ in $(seq 100); do [[ -s "$root/smtp.port" ]] && break; sleep 0.1; done
port=$(head -1 "$root/smtp.port")
[[ "$port" =~ ^[0-9]+$ ]] || { echo "the SMTP server did not start"; cat "$root/smtp.log"; exit 1; }

# A wide photo and a log with two unsent e-mails of it: Down picks the first.
convert -size 1200x800 xc:'rgb(255,128,0)' "$root/photo.jpg" || { echo "cannot make the photo"; exit 1; }
printf '%s\n' "20261210,101010,guest@example.com,0,$root/photo.jpg" \
  "20261210,101011,second@example.com,0,$root/photo.jpg" >"$root/emails.csv"

inner=$(cat <<'INNER'
set -u
. "$XVFB_LIB"
fail() { echo "$1"; cat "$ROOT/program.log"; [[ -n "${pid:-}" ]] && kill -9 $pid; exit 1; }
shot() { [[ -n "$SHOTS" ]] && mkdir -p "$SHOTS" && import -window "${2:-root}" "$SHOTS/$1" 2>/dev/null; }
focus() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"; }
registry() {
  python3 - "$TAVORIN_REGISTRY" "$@" <<'PY'
import sqlite3, struct, sys
db = sqlite3.connect(sys.argv[1])
def put(name, value):
    data = struct.pack('<I', value) if isinstance(value, int) else value.encode() + b'\0'
    n = db.execute('update vals set data=? where name=?', (data, name.encode())).rowcount
    assert n >= 1, name
def scrambled(text):
    key = ("Kx7 pQ2;mV9-rT4,wZ1 bN8;cJ5-hF3,yL6 dG0;sA2-eU7,kW9 oI4;tR1-vB5,nM8 "
           "qH3;uC6-fD0,jX2 gE7;lP9-zS4,k")
    return "".join("%02x" % (ord(c) ^ ord(key[i % len(key)])) for i, c in enumerate(text))[::-1]
if sys.argv[2] == "get":
    row = db.execute('select data from vals where name=?', (sys.argv[3].encode(),)).fetchone()
    print(bytes(row[0]).rstrip(b'\0').decode() if row else "")
else:
    put('PhotoboothEmailHost', '127.0.0.1'); put('PhotoboothEmailPort', int(sys.argv[3]))
    put('PhotoboothEmailSSL', 0); put('PhotoboothEmailUsername', 'booth')
    put('PhotoboothEmailPassword', scrambled('pw'))
    db.commit()
PY
}
# The code in the dialog's picture as zbarimg reads it from a screenshot of the dialog.
read_code() {
  import -window "$1" "$ROOT/qr.png" 2>/dev/null || return 1
  [[ -n "$SHOTS" && -n "${2:-}" ]] && mkdir -p "$SHOTS" && cp "$ROOT/qr.png" "$SHOTS/$2"
  zbarimg --quiet --raw "$ROOT/qr.png" 2>/dev/null
}
# The dialog's code once it shows the expected text (the picture is redrawn on the next paint).
wait_for_code() {
  local window=$1 expected=$2 name=$3 code=""
  for _ in $(seq 1 50); do
    code=$(read_code "$window" "$name")
    [[ "$code" == "$expected" ]] && { echo "$code"; return 0; }
    sleep 0.2
  done
  echo "$code"
  return 1
}

# A first start writes every setting; the test then names the SMTP server.
"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
wait_for_window "Tavorin - Connected" >/dev/null || fail "no connected main window"
sleep 1
kill -TERM $pid; wait $pid
registry set "$SMTP_PORT" || fail "cannot set the settings"
stored=$(registry get QRcode)
[[ -n "$stored" ]] || fail "no QRcode stored by the first start"

"$PROGRAM" >"$ROOT/program.log" 2>&1 &
pid=$!
main=$(wait_for_window "Tavorin - Connected") || fail "no connected main window"
sleep 1
focus "$main"
# Sharing > "Send emails..." through the menu bar's keys.
xdotool key --clearmodifiers alt+s
sleep 1
shot sharing-menu.png
xdotool key Down Return
chooser=$(wait_for_window "Load Email Log File" 20) || fail "no log chooser"
focus "$chooser"
sleep 1
xdotool type --delay 20 "$ROOT/emails.csv"
sleep 0.5
xdotool key Return
# The file-name completer may take the first Return: press it again while the chooser stays.
for _ in $(seq 1 20); do xdotool search --onlyvisible --name "Load Email Log File" >/dev/null 2>&1 || break; sleep 0.1; done
if xdotool search --onlyvisible --name "Load Email Log File" >/dev/null 2>&1; then
  focus "$chooser"
  xdotool key Return
fi
unsent=$(wait_for_window "^Unsent Emails$" 20)
[[ -n "$unsent" ]] || { shot chooser-stuck.png; fail "no Unsent Emails dialog after the chooser"; }
focus "$unsent"
sleep 1
shot sharing-unsent-emails.png "$unsent"
xdotool key Down
sleep 0.5
shot sharing-unsent-emails-down.png "$unsent"
xdotool key Return
progress=$(wait_for_window "^Sending Emails$" 20) || fail "no Sending Emails dialog"
for _ in $(seq 1 200); do [[ -s "$SMTP_DIR/1.txt" ]] && break; sleep 0.1; done
[[ -s "$SMTP_DIR/1.txt" ]] || { shot sending-stuck.png; fail "the SMTP server got no e-mail"; }
sleep 2
shot sharing-sending-emails.png "$progress"
focus "$progress"
xdotool key Escape
for _ in $(seq 1 50); do xdotool search --onlyvisible --name "^Sending Emails$" >/dev/null 2>&1 || break; sleep 0.1; done
focus "$unsent"
xdotool key Escape
for _ in $(seq 1 50); do xdotool search --onlyvisible --name "^Unsent Emails$" >/dev/null 2>&1 || break; sleep 0.1; done
xdotool search --onlyvisible --name "^Unsent Emails$" >/dev/null 2>&1 && fail "Escape left Unsent Emails open"

# Sharing > "Edit QR code...".
focus "$main"
xdotool key --clearmodifiers alt+s
sleep 1
xdotool key Down Down Return
qr=$(wait_for_window "^QR Code$" 20) || fail "no QR Code dialog"
focus "$qr"
sleep 1
code=$(wait_for_code "$qr" "$stored" sharing-qr-code.png) || fail "the code reads '$code', not the stored '$stored'"
echo "the code reads the stored text: $code"
xdotool key End
xdotool type --delay 20 "/typed"
code=$(wait_for_code "$qr" "$stored/typed" sharing-qr-code-typed.png) || fail "the code reads '$code' after typing"
echo "the code follows the typing: $code"
xdotool key Escape
for _ in $(seq 1 50); do xdotool search --onlyvisible --name "^QR Code$" >/dev/null 2>&1 || break; sleep 0.1; done
xdotool search --onlyvisible --name "^QR Code$" >/dev/null 2>&1 && fail "Escape left the QR Code dialog open"
kill -TERM $pid; wait $pid
after=$(registry get QRcode)
[[ "$after" == "$stored" ]] || fail "Escape changed QRcode to '$after'"
echo "QRcode kept after Escape"
INNER
)
export XVFB_LIB="$here/xvfb_lib.sh"
export HOME="$root/home" XDG_RUNTIME_DIR="$root/run" XDG_CONFIG_HOME="$root/config"
export TAVORIN_REGISTRY="$root/config/registry.sqlite3" QT_QPA_PLATFORM=xcb PROGRAM="$program"
export ROOT="$root" SHOTS="$shots" ASAN_OPTIONS=detect_leaks=0 SMTP_PORT="$port" SMTP_DIR="$root/smtp"
timeout 200 xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "$inner" || exit 1

# What the server got: one message, HTML with the photo inline, at most 500 px wide.
python3 - "$root/smtp" "$root/emails.csv" "$root/photo.jpg" <<'PY' || exit 1
import email, email.policy, glob, os, struct, sys
outdir, log, photo = sys.argv[1:4]
messages = sorted(glob.glob(os.path.join(outdir, "*.eml")))
assert len(messages) == 1, "the server got %d e-mails" % len(messages)
msg = email.message_from_bytes(open(messages[0], "rb").read(), policy=email.policy.default)
html = [p for p in msg.walk() if p.get_content_type() == "text/html"]
jpegs = [p for p in msg.walk() if p.get_content_type() == "image/jpeg"]
assert html, "no HTML part"
assert len(jpegs) == 1, "%d JPEG parts" % len(jpegs)
cid = jpegs[0].get("Content-ID", "").strip("<>")
assert cid and ("cid:" + cid) in html[0].get_content(), "the HTML does not show the JPEG inline (cid %r)" % cid
data = jpegs[0].get_payload(decode=True)
i = 2
width = None
while i + 9 < len(data):
    marker, length = data[i + 1], struct.unpack(">H", data[i + 2:i + 4])[0]
    if marker in (0xC0, 0xC1, 0xC2):
        width = struct.unpack(">H", data[i + 7:i + 9])[0]
        break
    i += 2 + length
assert width is not None and 0 < width <= 500, "the inline JPEG is %r px wide" % width
assert msg["To"] == "guest@example.com", "the e-mail went to " + str(msg["To"])
print("one HTML e-mail to %s, inline JPEG %d px wide" % (msg["To"], width))
lines = open(log).read().splitlines()
sent = [l for l in lines if l.endswith(",guest@example.com,1," + photo)]
assert len(sent) == 1 and not any(",second@example.com,1," in l for l in lines), "the log reads:\n" + "\n".join(lines)
print("the log gained: " + sent[0])
PY
