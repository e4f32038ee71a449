#!/bin/sh
# gt7p.exe itself under Wine on an X server, as an operator starts it:
# the caption for four command lines (read off the X window), the record
# viewer of "gt7p --view FILE" with a Chinese file name, and one work cycle
# by mouse and keys (refresh with the dialog's defaults, select all, save)
# against the cycle simulator on a COM port, whose files must equal byte for
# byte what the Linux build's gt7p-cli saves from the same instrument.
# usage: window_exe_check.sh GT7P_EXE LINUX_CLI CYCLE_SIMULATOR
# Environment (scripts/test-windows.sh): DISPLAY, WINEPREFIX, LC_ALL (a
# zh_CN locale), GT7P_WIN_EXE_COM (the COM port mapped to a cycle simulator).
set -eu
exe=$1
linux_cli=$2
cycle_simulator=$3
if [ -z "${GT7P_WIN_EXE_COM:-}" ] || [ -z "${DISPLAY:-}" ] || ! command -v xdotool >/dev/null; then
  echo "no display, COM port or xdotool (run scripts/test-windows.sh)"
  exit 77
fi
# shellcheck source=scripts/aids.sh
. "$(dirname "$0")/../../scripts/aids.sh"
work=$(mktemp -d)
app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  stop_started
  rm -rf "$work"
}
trap cleanup EXIT
title="PRX4470-2 数据文件提取软件"

start() {
  wine "$exe" "$@" >>"$work/gt7p.log" 2>&1 &
  app=$!
}
# Ends the program whose window's name begins with $1 (default: the main
# window's title).
stop() {
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
  app=""
  # Gone from the screen before the next start is looked for.
  window_gone "${1:-$title}" || true
}

status=0
# Caption: no parameters; a destination folder (the delimiter added); a blank
# one; a title, with Chinese in both taken through the command line.
check_caption() {
  expected=$1
  shift
  start "$@"
  if id=$(window_id "${expected%%（*}"); then
    # xprop doubles the backslashes; printf, not echo, keeps them as they are.
    got=$(xprop -id "$id" _NET_WM_NAME | sed 's/^[^"]*"//; s/"$//; s/\\\\/\\/g')
    if [ "$got" = "$expected" ]; then
      printf 'caption ok: %s\n' "$got"
    else
      printf 'caption: %s, expected %s\n' "$got" "$expected"
      status=1
    fi
  else
    printf 'no window for: %s\n' "$*"; cat "$work/gt7p.log"; status=1
  fi
  stop
}
check_caption "$title"
check_caption "$title（指定目标文件夹：D:\\勘探数据\\）" 'D:\勘探数据'
check_caption "$title" '   '
check_caption "勘探 二队（指定目标文件夹：C:\\Out\\）" 'C:\Out' ' 勘探 二队 ' ESP dontseldir

# The viewer alone, on a record whose name is Chinese: its caption names
# the file once it is read (a file it can't read gets an error box instead).
"$linux_cli" sample "$work/勘探 记录.T7P" >/dev/null
start --view "$(winepath -w "$work/勘探 记录.T7P")"
if window_id "查看波形 - 勘探 记录.T7P" >/dev/null; then
  echo "viewer ok: 查看波形 - 勘探 记录.T7P"
else
  echo "no viewer window with the record:"; xwininfo -root -tree | grep '"' | head; cat "$work/gt7p.log"; status=1
fi
stop "查看波形"

# The work cycle, by the toolbar's buttons.
mkdir "$work/win" "$work/linux"
dest=$(winepath -w "$work/win")
start "$dest" --port "$GT7P_WIN_EXE_COM"
id=$(window_id "$title") || { echo "the window did not open"; cat "$work/gt7p.log"; exit 1; }
# shellcheck disable=SC2046
set -- $(window_place "$id")
x=$1 y=$2
refresh_directory "$x" "$y" || exit 1
# The directory exchange keeps its cache file beside the program.
cache="$(dirname "$exe")/GT7PCache.tmp"
wait_until 100 test -e "$cache" || echo "(no directory exchange seen)"
wait_until 300 test ! -e "$cache" || true
save_all "$x" "$y" "$work/win" || true

start_simulator "$work/sim.out" "$cycle_simulator"
"$linux_cli" get --port "$(sim_pty "$work/sim.out")" --delay 3 --all --dest "$work/linux" >/dev/null
count=$(find "$work/linux" -mindepth 1 | wc -l)
[ "$count" -gt 0 ] || { echo "the Linux side saved nothing"; exit 1; }
# Each file takes its name once complete: equal once the last one is there.
equal_to_linux() {
  [ "$(find "$work/win" -mindepth 1 | wc -l)" -eq "$count" ] && diff -r "$work/linux" "$work/win" >/dev/null
}
if wait_until 600 equal_to_linux; then
  echo "work cycle ok: $count files equal to the Linux build's ($(ls "$work/win" | tr '\n' ' '))"
else
  echo "the window's files differ from the Linux build's:"; ls -l "$work/linux" "$work/win"; status=1
fi
exit "$status"
