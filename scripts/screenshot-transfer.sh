#!/bin/sh
# The window in the middle of a transfer, for the README: the directory of a
# simulator paced as the line is read, every file selected and saved, and
# the window taken 8 s into the first file (its progress bar, characters
# received and time left beside the dots). Linux: docs/transfer-progress-
# linux.png; with a Windows build, gt7p.exe under Wine as a Chinese Windows
# too: docs/transfer-progress-windows.png.
# usage: screenshot-transfer.sh [LINUX_BUILD [WINDOWS_BUILD]]   (default build-ci build-win)
# Installs what is missing; Wine (scripts/test-windows.sh) for the second
# picture.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/deps.sh"
gt7p_install xvfb x11-utils xdotool imagemagick
linux_build=${1:-$top/build-ci}
win_build=${2:-$top/build-win}
work=$(mktemp -d)
pids=""
cleanup() {
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x700x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids="$pids $!"
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"

"$linux_build/cli/gt7p-cli" simulate --pace >"$work/sim.out" 2>/dev/null &
pids="$pids $!"
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
pty=$(head -n 1 "$work/sim.out")

# The id of the top-level window whose name begins with $1, once it is there.
window() {
  for _ in $(seq 300); do
    id=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$1" | awk '{print $1}' | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
# "x y w h" of window $1, once it stays put.
place() {
  last=""
  for _ in $(seq 20); do
    now=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
                                   /Width/ {w = $NF} /Height/ {h = $NF} END {print x, y, w, h}')
    [ "$now" = "$last" ] && break
    last=$now
    sleep 0.2
  done
  echo "$now"
}
# Drives the window of title $1 through a listing and a save into the
# folder $3, and takes it into $2 in the middle of the first file. A click
# that lands before the window takes input is lost: each step is repeated
# until its effect shows.
shoot() {
  out=$3
  id=$(window "$1") || { echo "no window"; exit 1; }
  set -- "$1" "$2" $(place "$id")
  x=$3 y=$4 w=$5 h=$6
  for _ in 1 2 3; do
    xdotool mousemove $((x + 22)) $((y + 13)) click 1   # 取目录信息
    dialog=$(xwininfo -root -tree | grep -F '"设置通讯参数' | awk '{print $1}' | head -n 1)
    [ -n "$dialog" ] && break
    sleep 1
  done
  set -- $(place "$dialog") "$@"
  xdotool mousemove $(($1 + 100)) $(($2 + 30)) key Return
  set -- "$5" "$6"
  sleep 3   # the directory: 4 entries, under a second on the line
  for _ in 1 2 3 4 5; do
    xdotool mousemove $((x + 84)) $((y + 13)) click 1   # 全选
    xdotool mousemove $((x + 53)) $((y + 13)) click 1   # 保存所选的文件
    # The first file's temporary file is made as its transfer starts.
    for _ in $(seq 30); do [ -n "$(ls -A "$out")" ] && break; sleep 0.1; done
    [ -n "$(ls -A "$out")" ] && break
  done
  xdotool mousemove $((x + w / 2)) $((y + h - 60))    # off the toolbar: no hint over the status
  sleep 8
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$2"
  echo "$2"
}

mkdir "$work/linux-out" "$work/config"
XDG_CONFIG_HOME="$work/config" "$linux_build/app/gt7p" "$work/linux-out" --port "$pty" >"$work/linux.log" 2>&1 &
pids="$pids $!"
linux_app=$!
shoot "PRX4470-2" "$top/docs/transfer-progress-linux.png" "$work/linux-out"
kill "$linux_app"

[ -x "$win_build/app/gt7p.exe" ] || { echo "no $win_build/app/gt7p.exe: Linux only"; exit 0; }
# As the Windows suite has it: a Chinese Windows, the simulator on COM3.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then export LOCPATH="${GT7P_CACHE:-/var/cache/gt7p}/locale"; fi
export LC_ALL=zh_CN.UTF-8 WINEPREFIX="$work/wine" WINEDEBUG=-all
wine cmd /c exit 0 >/dev/null 2>&1
ln -s "$pty" "$work/com3"
wine reg add 'HKLM\Software\Wine\Ports' /v COM3 /d "$work/com3" /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1
wineserver -w >/dev/null 2>&1
mkdir "$work/win-out"
wine "$win_build/app/gt7p.exe" "$(winepath -w "$work/win-out")" --port COM3 >"$work/win.log" 2>&1 &
pids="$pids $!"
shoot "PRX4470-2" "$top/docs/transfer-progress-windows.png" "$work/win-out"
