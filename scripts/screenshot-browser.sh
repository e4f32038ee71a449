#!/bin/sh
# The folder browser as the operator opens it from the toolbar
# (指定目标文件夹), for the README: docs/folder-browser-linux.png; with a Windows build,
# gt7p.exe under Wine as a Chinese Windows too:
# docs/folder-browser-windows.png.
# usage: screenshot-browser.sh [LINUX_BUILD [WINDOWS_BUILD]]   (default build-ci build-win)
# Installs what is missing; Wine (scripts/test-windows.sh) for the second
# picture.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/deps.sh"
gt7p_install xvfb x11-utils xdotool imagemagick
linux_build=${1:-$top/build-ci}
win_build=${2:-$top/build-win}
. "$top/scripts/aids.sh"
# Under /var/tmp, whose few entries make a tidier tree than /tmp.
work=$(mktemp -d /var/tmp/gt7p-shot.XXXXXX)
cleanup() {
  stop_started
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb 1024x700 "$work"
# A destination with a few survey folders in it, as the browser starts there.
mkdir -p "$work/测线/2024-04 一号巷道" "$work/测线/2024-05 二号巷道" "$work/测线/厚度"

# Opens the browser from the window of title $1 and takes it into $2.
shoot() {
  id=$(window_id "$1") || { echo "no window"; exit 1; }
  # shellcheck disable=SC2046
  set -- "$1" "$2" $(window_place "$id")
  browser=""
  for _ in 1 2 3; do
    click_tool "$3" "$4" folder
    browser=$(window_id "浏览文件夹" 50) && break
  done
  [ -n "$browser" ] || { echo "no folder browser"; exit 1; }
  # shellcheck disable=SC2046
  set -- "$1" "$2" $(window_place "$browser")
  xdotool mousemove $(($3 + $5 + 20)) $(($4 + $6 + 20))   # no hint over the tree
  sleep 2
  import -window root -crop "${5}x${6}+${3}+${4}" +repage "$work/shot.png"
  convert "$work/shot.png" -colors 64 "PNG8:$2"
  echo "$2"
}

mkdir "$work/config"
XDG_CONFIG_HOME="$work/config" "$linux_build/app/gt7p" "$work/测线" >"$work/linux.log" 2>&1 &
started="$started $!"
shoot "PRX4470-2" "$top/docs/folder-browser-linux.png"
stop_started
start_xvfb 1024x700 "$work"

[ -x "$win_build/app/gt7p.exe" ] || { echo "no $win_build/app/gt7p.exe: Linux only"; exit 0; }
start_chinese_wine "$work"
wine "$win_build/app/gt7p.exe" "$(winepath -w "$work/测线")" >"$work/win.log" 2>&1 &
started="$started $!"
shoot "PRX4470-2" "$top/docs/folder-browser-windows.png"
