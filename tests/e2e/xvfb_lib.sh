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
