# The walks run the simulated camera unless a test names another.
export TAVORIN_CAMERA_SIM=${TAVORIN_CAMERA_SIM-default}

# Shared by the Xvfb walks. Windows come and go while the program starts (menus, tool tips,
# message boxes), and `xdotool search --sync` gives up with an X error when one vanishes
# mid-search: ask again until the window shows or the time runs out.
# Usage: window=$(wait_for_window "title pattern" [seconds])
wait_for_window() {
  local pattern=$1 seconds=${2:-60} found=""
  for _ in $(seq 1 $((seconds * 10))); do
    found=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -1)
    [[ -n "$found" ]] && { echo "$found"; return 0; }
    sleep 0.1
  done
  return 1
}

# --- The walk's own side, before the display: -------------------------------------------------

# Skips the walk (exit 77) unless every tool named is installed.
need_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
  done
}

# A fresh folder for the walk in $root, with the program's home, runtime and config folders;
# removed at the end unless KEEP_E2E is set (for a look after a failure).
# Usage: make_root name-prefix
make_root() {
  root=$(mktemp -d "/tmp/$1-XXXXXX")
  [[ -n "${KEEP_E2E:-}" ]] || trap 'rm -rf "$root"' EXIT
  mkdir -p "$root/home" "$root/run" "$root/config"
  chmod 700 "$root/run"
}

# Runs the inner script on a fresh Xvfb display, the program ($program) in the walk's folder.
# Anything else the inner script needs is exported before.
# Usage: run_on_xvfb "$inner" seconds [screen geometry]
run_on_xvfb() {
  export XVFB_LIB="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/$(basename "${BASH_SOURCE[0]}")"
  export HOME="$root/home" XDG_RUNTIME_DIR="$root/run" XDG_CONFIG_HOME="$root/config"
  export TAVORIN_REGISTRY="$root/config/registry.sqlite3" QT_QPA_PLATFORM=xcb PROGRAM="$program"
  export ROOT="$root" ASAN_OPTIONS=detect_leaks=0
  timeout "$2" xvfb-run -a -s "-screen 0 ${3:-1280x1024x24}" bash -c "$1"
}

# --- The inner script's side, on the display: -------------------------------------------------

# Ends the walk: the message, the program's log, the program (and a window manager) killed.
fail() {
  echo "$1"
  cat "$ROOT/program.log"
  [[ -n "${pid:-}" ]] && kill -9 $pid 2>/dev/null
  [[ -n "${wmpid:-}" ]] && kill $wmpid 2>/dev/null
  exit 1
}

# A first start writes every setting; the walk then changes the ones it needs.
# Usage: first_start [seconds to stay up once connected]
first_start() {
  "$PROGRAM" >"$ROOT/program.log" 2>&1 &
  pid=$!
  wait_for_window "Tavorin - Connected" >/dev/null || fail "no connected main window"
  [[ -n "${1:-}" ]] && sleep "$1"
  kill -TERM $pid; wait $pid
}

# Changes settings a first start wrote. The Python lines on stdin call put(name, value), a
# number or a text; sys.argv[2:] are the arguments given.
# Usage: put_settings [argument...] <<'PY' ... PY
put_settings() {
  python3 -c "import sqlite3, struct, sys
db = sqlite3.connect(sys.argv[1])
def put(name, value):
    data = struct.pack('<I', value) if isinstance(value, int) else value.encode() + b'\0'
    n = db.execute('update vals set data=? where name=?', (data, name.encode())).rowcount
    assert n >= 1, name
$(cat)
db.commit()" "$TAVORIN_REGISTRY" "$@"
}

# Runs the command every `every` tenths of a second until a photo is saved in ~/Photos, for at
# most `tenths` tenths; prints the photo's path.
# Usage: photo=$(photo_after tenths every command...)
photo_after() {
  local tenths=$1 every=$2 photo="" i
  shift 2
  for i in $(seq 1 "$tenths"); do
    (( i % every == 1 )) && "$@" >/dev/null
    photo=$(find "$HOME/Photos" -name '*.JPG' 2>/dev/null | head -1)
    [[ -n "$photo" ]] && { echo "$photo"; return 0; }
    sleep 0.1
  done
  return 1
}

# SIGTERM to the program, which must end with 0.
# Usage: end_cleanly [what to call the end in the failure message]
end_cleanly() {
  kill -TERM $pid
  wait $pid
  local code=$?
  [[ $code -eq 0 ]] || fail "${1:-SIGTERM ended the program} with $code"
}
