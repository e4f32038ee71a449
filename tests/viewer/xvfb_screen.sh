#!/bin/sh
# The viewer's screen tests on a real X server of 1024 x 768 (Xvfb, the xcb
# platform), as on a small laptop's screen. Xvfb picks a free display.
# usage: xvfb_screen.sh VIEWER_TEST
set -eu
test=${1:?viewer_test}
# shellcheck source=scripts/aids.sh
. "$(dirname "$0")/../../scripts/aids.sh"
work=$(mktemp -d)
trap 'stop_started; rm -rf "$work"' EXIT
start_xvfb 1024x768 "$work"
# Under LeakSanitizer: the X platform's D-Bus library keeps a buffer to the
# end, which is not ours to free.
echo "leak:libdbus-1.so" >"$work/lsan"
QT_QPA_PLATFORM=xcb LSAN_OPTIONS="suppressions=$work/lsan" \
   XDG_RUNTIME_DIR="$work" "$test" --gtest_filter='ViewerScreen.*'
