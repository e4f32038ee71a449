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
. "$top/scripts/aids.sh"
work=$(mktemp -d)
cleanup() {
  stop_started
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb 1024x700 "$work"
start_simulator "$work/sim.out" "$linux_build/cli/gt7p-cli" simulate --pace
pty=$(sim_pty "$work/sim.out")

# Drives the window of title $1 through a listing and a save into the
# folder $3, and takes it into $2 in the middle of the first file.
shoot() {
  id=$(window_id "$1") || { echo "no window"; exit 1; }
  # shellcheck disable=SC2046
  set -- "$1" "$2" "$3" $(window_place "$id")
  x=$4 y=$5 w=$6 h=$7
  refresh_directory "$x" "$y" || exit 1
  sleep 3   # the directory: 4 entries, under a second on the line
  save_all "$x" "$y" "$3" || exit 1
  xdotool mousemove $((x + w / 2)) $((y + h - 60))    # off the toolbar: no hint over the status
  sleep 8
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$2"
  echo "$2"
}

mkdir "$work/linux-out" "$work/config"
XDG_CONFIG_HOME="$work/config" "$linux_build/app/gt7p" "$work/linux-out" --port "$pty" >"$work/linux.log" 2>&1 &
linux_app=$!
shoot "PRX4470-2" "$top/docs/transfer-progress-linux.png" "$work/linux-out"
kill "$linux_app"

[ -x "$win_build/app/gt7p.exe" ] || { echo "no $win_build/app/gt7p.exe: Linux only"; exit 0; }
# As the Windows suite has it: a Chinese Windows, the simulator on COM3.
start_chinese_wine "$work"
map_com_ports "$work" 3:"$pty"
mkdir "$work/win-out"
wine "$win_build/app/gt7p.exe" "$(winepath -w "$work/win-out")" --port COM3 >"$work/win.log" 2>&1 &
started="$started $!"
shoot "PRX4470-2" "$top/docs/transfer-progress-windows.png" "$work/win-out"
