#!/usr/bin/env bash
# Runs the screenshot cases of one test suite on a real X display (Xvfb). Under the usual
# offscreen run they skip; here they draw, grab the screen and leave their pictures in
# test-output/. The X and D-Bus client libraries keep a few buffers for the life of the
# process, which the leak checker must not count against us.
# Usage: <screen WxH> <test executable> <gtest filter>
set -uo pipefail
geometry=$1 suite=$2 filter=$3
command -v xvfb-run >/dev/null || { echo "SKIP: xvfb-run is not installed"; exit 77; }
here=$(cd "$(dirname "$0")" && pwd)
export QT_QPA_PLATFORM=xcb TAVORIN_TEST=1 TAVORIN_CAMERA_SIM=${TAVORIN_CAMERA_SIM-default}
export LSAN_OPTIONS="suppressions=$here/xvfb-leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
exec xvfb-run -a -s "-screen 0 ${geometry}x24" sh "$here/../isolated.sh" "$suite" --gtest_filter="$filter"
