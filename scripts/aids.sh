# shellcheck shell=sh
# Sourced by the scripts and shell tests that start an X server, drive the
# window, run simulators or map Wine COM ports. Time limits are in tenths
# of a second. What start_xvfb and start_simulator start is ended by
# stop_started (call it from the script's EXIT trap).
started=""

# Runs the command after $1 every tenth of a second until it succeeds, for
# at most $1 tenths; fails when it never did.
wait_until() {
  _limit=$1
  shift
  for _ in $(seq "$_limit"); do
    "$@" && return 0
    sleep 0.1
  done
  "$@"
}
nonempty() { [ -s "$1" ]; }
has_files() { [ -n "$(ls -A "$1")" ]; }

# Ends each process started here, by its pid.
stop_started() {
  for _pid in $started; do kill "$_pid" 2>/dev/null || true; done
  started=""
}

# An X server WxH (no window manager) on a free display, its log in folder
# $2; exports DISPLAY once it is up, or ends the script.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$2/display" >"$2/xvfb.log" 2>&1 &
  started="$started $!"
  wait_until 100 nonempty "$2/display" || { echo "Xvfb did not start:"; cat "$2/xvfb.log"; exit 1; }
  DISPLAY=":$(cat "$2/display")"
  export DISPLAY
}

# Starts the simulator command after $1, its output into $1 and its errors
# into $1.err, and waits for its first line, the pseudo-terminal (sim_pty
# prints it); ends the script when it does not come.
start_simulator() {
  _out=$1
  shift
  "$@" >"$_out" 2>"$_out.err" &
  started="$started $!"
  wait_until 50 nonempty "$_out" || { echo "simulator $* did not start:"; cat "$_out.err"; exit 1; }
}
sim_pty() { head -n 1 "$1"; }

# The top-level window whose name begins with $1, once it is there (within
# $2 tenths, default 30 s): prints its id.
window_id() { wait_until "${2:-300}" window_now "$1"; }
window_now() {
  _id=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$1" | awk '{print $1}' | head -n 1)
  [ -n "$_id" ] && echo "$_id"
}
window_shown() { xwininfo -root -tree 2>/dev/null | grep -qF "\"$1"; }
not_shown() { ! window_shown "$1"; }
# Waits up to 5 s for the windows whose name begins with $1 to go.
window_gone() { wait_until 50 not_shown "$1"; }
# "x y w h" of window $1, once it stays put (the window centres itself
# after it first shows).
window_place() {
  _last=""
  for _ in $(seq 20); do
    _now=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
                                   /Width/ {w = $NF} /Height/ {h = $NF} END {print x, y, w, h}')
    [ "$_now" = "$_last" ] && break
    _last=$_now
    sleep 0.2
  done
  echo "$_now"
}

# The main window's toolbar buttons stand at fixed places in its client
# area (no frame without a window manager): clicks button $3 (refresh,
# save, select-all, folder) of the window at x $1, y $2.
click_tool() {
  case $3 in
    refresh) _dx=22 ;;      # 取目录信息
    save) _dx=53 ;;         # 保存所选的文件
    select-all) _dx=84 ;;   # 全选
    folder) _dx=215 ;;      # 指定目标文件夹
    *) echo "no toolbar button $3"; return 1 ;;
  esac
  xdotool mousemove $(($1 + _dx)) $(($2 + 13)) click 1
}
# A click or key that lands before the window takes input is lost: each
# step below is repeated until its effect shows.
# Refreshes the directory of the window at x $1, y $2 and takes the line
# settings dialog's defaults with Enter.
refresh_directory() {
  _dialog=""
  for _ in 1 2 3; do
    click_tool "$1" "$2" refresh
    _dialog=$(window_id "设置通讯参数" 50) && break
  done
  [ -n "$_dialog" ] || { echo "no settings dialog"; return 1; }
  # shellcheck disable=SC2046
  set -- $(window_place "$_dialog")
  for _ in 1 2 3 4 5; do
    xdotool mousemove $(($1 + 100)) $(($2 + 30)) key Return   # keys go where the pointer is
    window_gone "设置通讯参数" && return 0
  done
  echo "the settings dialog did not take Enter"
  return 1
}
# Selects all files of the window at x $1, y $2 and saves them, until the
# first file's work file shows in folder $3 (it is made as its transfer
# starts).
save_all() {
  for _ in 1 2 3; do
    click_tool "$1" "$2" select-all
    click_tool "$1" "$2" save
    wait_until 100 has_files "$3" && return 0
    echo "(no file after the save click)"
  done
  return 1
}

# Locale $1.UTF-8 made into folder $2 (a LOCPATH), unless it is there.
# localedef may warn with a non-zero exit and still make it.
make_locale() {
  [ -d "$2/$1.UTF-8" ] && return 0
  mkdir -p "$2"
  localedef -i "$1" -f UTF-8 "$2/$1.UTF-8" || [ -d "$2/$1.UTF-8" ]
}

# Wine as a Chinese Windows (code page 936) in a new prefix under folder
# $1. Wine takes its ANSI code page, and how it turns command-line
# arguments into Windows text, from the Unix locale: zh_CN.UTF-8, made
# into the cache when the system lacks it. A program that crashes ends at
# once instead of waiting behind Wine's crash dialog.
start_chinese_wine() {
  if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
    LOCPATH="${GT7P_CACHE:-/var/cache/gt7p}/locale"
    export LOCPATH
    make_locale zh_CN "$LOCPATH"
  fi
  LC_ALL=zh_CN.UTF-8 WINEPREFIX="$1/wine" WINEDEBUG=-all
  export LC_ALL WINEPREFIX WINEDEBUG
  wine cmd /c exit 0 >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP 2>/dev/null | grep -q 'REG_SZ *936' ||
    { echo "Wine did not take code page 936 from the locale $LC_ALL"; exit 1; }
}

# Maps COM ports of the Wine prefix to devices, each argument N:DEVICE
# (COMN, through a link in folder $1), and restarts Wine so that it takes
# them. A port whose target is missing opens and then fails every call:
# the simulators start first.
map_com_ports() {
  _dir=$1
  shift
  for _map in "$@"; do
    ln -s "${_map#*:}" "$_dir/com${_map%%:*}"
    wine reg add 'HKLM\Software\Wine\Ports' /v "COM${_map%%:*}" /d "$_dir/com${_map%%:*}" /f >/dev/null 2>&1
  done
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1
}

# For the Windows suite's shell tests: skips the test (exit 77) unless
# scripts/test-windows.sh set each of the variables named, the COM ports
# mapped to its simulators.
need_simulators() {
  for _name in "$@"; do
    eval "_value=\${$_name:-}"
    if [ -z "$_value" ]; then
      echo "no simulators mapped (run scripts/test-windows.sh)"
      exit 77
    fi
  done
}

# A scratch folder ($work), removed at the end, as the current folder.
enter_scratch_folder() {
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cd "$work" || exit 1
}

# Now, in milliseconds.
ms() { echo $(($(date +%s%N) / 1000000)); }
