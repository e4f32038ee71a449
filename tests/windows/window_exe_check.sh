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
work=$(mktemp -d)
app=""
sim=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  [ -n "$sim" ] && kill "$sim" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
title="PRX4470-2 数据文件提取软件"

# Waits up to $2 tenths of a second for a top-level X window whose name holds
# $1; prints its id.
window() {
  for _ in $(seq "$2"); do
    id=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$1" | awk '{print $1}' | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
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
  for _ in $(seq 50); do xwininfo -root -tree | grep -qF "\"${1:-$title}" || break; sleep 0.1; done
}

status=0
# Caption: no parameters; a destination folder (the delimiter added); a blank
# one; a title, with Chinese in both taken through the command line.
check_caption() {
  expected=$1
  shift
  start "$@"
  if id=$(window "${expected%%（*}" 300); then
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
if window "查看波形 - 勘探 记录.T7P" 300 >/dev/null; then
  echo "viewer ok: 查看波形 - 勘探 记录.T7P"
else
  echo "no viewer window with the record:"; xwininfo -root -tree | grep '"' | head; cat "$work/gt7p.log"; status=1
fi
stop "查看波形"

# The work cycle. The toolbar's buttons sit at fixed places in the client
# area (the window has no frame without a window manager).
mkdir "$work/win" "$work/linux"
dest=$(winepath -w "$work/win")
start "$dest" --port "$GT7P_WIN_EXE_COM"
id=$(window "$title" 300) || { echo "the window did not open"; cat "$work/gt7p.log"; exit 1; }
# Where the window (or dialog) $1 stands, once it stays put (the window
# centres itself after it first shows): "x y".
place() {
  last=""
  for _ in $(seq 20); do
    now=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}')
    [ "$now" = "$last" ] && break
    last=$now
    sleep 0.2
  done
  echo "$now"
}
set -- $(place "$id")
x=$1 y=$2
click() { xdotool mousemove $((x + $1)) $((y + 13)) click 1; }
# A click or key that lands before the window takes input is lost: each
# step is repeated until its effect shows.
dialog=""
for _ in 1 2 3; do
  click 22   # 取目录信息
  dialog=$(window "设置通讯参数" 50) && break
done
[ -n "$dialog" ] || { echo "no settings dialog"; exit 1; }
set -- $(place "$dialog")
for _ in 1 2 3 4 5; do
  xdotool mousemove $(($1 + 100)) $(($2 + 30)) key Return   # keys go where the pointer is
  sleep 0.5
  xwininfo -root -tree | grep -qF '"设置通讯参数' || break
done
xwininfo -root -tree | grep -qF '"设置通讯参数' && { echo "the settings dialog did not take Enter"; exit 1; }
# The directory exchange keeps its cache file beside the program.
cache="$(dirname "$exe")/GT7PCache.tmp"
for _ in $(seq 100); do [ -e "$cache" ] && break; sleep 0.1; done
[ -e "$cache" ] || echo "(no directory exchange seen)"
for _ in $(seq 300); do [ -e "$cache" ] || break; sleep 0.1; done
for _ in 1 2 3; do
  click 84   # 全选
  click 53   # 保存所选的文件
  # The first file's work file is made as its transfer starts, within seconds.
  for _ in $(seq 100); do [ -n "$(ls "$work/win")" ] && break; sleep 0.1; done
  [ -n "$(ls "$work/win")" ] && break
  echo "(no file after the save click)"
done

"$cycle_simulator" >"$work/sim.out" 2>/dev/null &
sim=$!
for _ in $(seq 50); do [ -s "$work/sim.out" ] && break; sleep 0.1; done
"$linux_cli" get --port "$(head -n 1 "$work/sim.out")" --delay 3 --all --dest "$work/linux" >/dev/null
count=$(ls "$work/linux" | wc -l)
[ "$count" -gt 0 ] || { echo "the Linux side saved nothing"; exit 1; }
# Each file takes its name once complete: equal once the last one is there.
same=""
for _ in $(seq 120); do
  if [ "$(ls "$work/win" | wc -l)" -eq "$count" ] && diff -r "$work/linux" "$work/win" >/dev/null; then same=1; break; fi
  sleep 0.5
done
if [ -n "$same" ]; then
  echo "work cycle ok: $count files equal to the Linux build's ($(ls "$work/win" | tr '\n' ' '))"
else
  echo "the window's files differ from the Linux build's:"; ls -l "$work/linux" "$work/win"; status=1
fi
exit "$status"
