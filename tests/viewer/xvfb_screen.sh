#!/bin/sh
# The viewer's screen tests on a real X server of 1024 x 768 (Xvfb, the xcb
# platform), as on a small laptop's screen. Xvfb picks a free display.
# usage: xvfb_screen.sh VIEWER_TEST
set -eu
test=${1:?viewer_test}
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start:"; cat "$work/xvfb.log"; exit 1; }
# Under LeakSanitizer: the X platform's D-Bus library keeps a buffer to the
# end, which is not ours to free.
echo "leak:libdbus-1.so" >"$work/lsan"
DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb LSAN_OPTIONS="suppressions=$work/lsan" \
   XDG_RUNTIME_DIR="$work" "$test" --gtest_filter='ViewerScreen.*'
