#!/bin/sh
# The viewer on a long record shown in its first 30 ms (the time window,
# "时窗", as the store keeps it), for the README: on screens of 1024x768
# and 1280x1024, into docs/viewer-window-WxH.png (64 colours).
# usage: screenshot-viewer.sh [BUILD]   (default build)
# Installs what is missing.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/deps.sh"
gt7p_install xvfb x11-utils imagemagick
build=${1:-$top/build}
. "$top/scripts/aids.sh"
work=$(mktemp -d)
cleanup() {
  stop_started
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
  mkdir -p "$work/$size"
  start_xvfb "$size" "$work/$size"
  XDG_CONFIG_HOME="$work/config" "$build/app/gt7p" --view "$work/LONG0002.T7P" >"$work/app.log" 2>&1 &
  started="$started $!"
  window_id "查看波形" 100 >/dev/null || { echo "no viewer window:"; cat "$work/app.log"; exit 1; }
  sleep 2   # the first drawing of 65,535 samples a trace
  import -window root "$work/shot.png"
  convert "$work/shot.png" -colors 64 "PNG8:$top/docs/viewer-window-$size.png"
  echo "$top/docs/viewer-window-$size.png"
  stop_started
done
