#!/bin/sh
# The viewer on a long record shown in its first 30 ms (the time window,
# "时窗", as the store keeps it), for the README: on screens of 1024x768
# and 1280x1024, into docs/viewer-window-WxH.png (64 colours).
# usage: screenshot-viewer.sh [BUILD]   (default build)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
work=$(mktemp -d)
pids=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Demo record 2 at 65,535 samples: 655 ms, its arrivals in the first few ms.
"$build/cli/gt7p-cli" sample --index 2 --samples 65535 "$work/LONG0002.T7P" >/dev/null
mkdir -p "$work/config/gt7p"
cat >"$work/config/gt7p/gt7p.conf" <<'CONF'
[viewer]
display="mode=va gain=0 normalise=1 clip=1 dc=0 agc=0 low=0 high=0 from=0 to=30"
CONF

for size in 1024x768 1280x1024; do
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  pids="$pids $xvfb"
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$work/display")"
  XDG_CONFIG_HOME="$work/config" "$build/app/gt7p" --view "$work/LONG0002.T7P" >"$work/app.log" 2>&1 &
  app=$!
  pids="$pids $app"
  for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -qF '"查看波形' && break
    sleep 0.1
  done
  sleep 2
  import -window root "$work/shot.png"
  convert "$work/shot.png" -colors 64 "PNG8:$top/docs/viewer-window-$size.png"
  echo "$top/docs/viewer-window-$size.png"
  kill "$app" "$xvfb" 2>/dev/null || true
  wait "$app" "$xvfb" 2>/dev/null || true
  rm -f "$work/display"
done
