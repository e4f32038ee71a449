#!/bin/sh
# The Windows suite: cross-builds with mingw-w64 the core, the link, the
# settings, gt7p-cli.exe, the window gt7p.exe (against the static Qt for
# Windows of scripts/qt-windows.sh, built once per machine) and all their
# tests, and runs the tests under Wine as a Chinese Windows (code page 936):
# the serial round trip and the window's work cycle against simulators on
# Wine COM ports included. Installs what is missing. Exits non-zero on any
# failure.
# usage: test-windows.sh [--build-only | --tests-only] [LINUX_BUILD]
#   (default build-ci; the simulators are built there when missing;
#   --build-only stops after the cross build; --tests-only installs and
#   builds nothing and runs the tests of the build-win/ already there)
# env:   GT7P_CACHE   where the Qt for Windows and the zh_CN locale are kept
#                     (default /var/cache/gt7p)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build_only=false
tests_only=false
case ${1:-} in
  --build-only) build_only=true; shift ;;
  --tests-only) tests_only=true; shift ;;
esac
linux_build=${1:-$top/build-ci}
win_build=$top/build-win
cache=${GT7P_CACHE:-/var/cache/gt7p}
jobs=$(nproc)

if $tests_only; then
  [ -f "$win_build/CTestTestfile.cmake" ] ||
    { echo "no Windows build in $win_build: run test-windows.sh --build-only first"; exit 1; }
  [ -x "$linux_build/cli/gt7p-cli" ] && [ -x "$linux_build/tests/support/cycle_simulator" ] ||
    { echo "no gt7p-cli or cycle_simulator in $linux_build: build them first"; exit 1; }
else
  . "$top/scripts/deps.sh"
  # shellcheck disable=SC2086
  gt7p_install $GT7P_WINDOWS_PACKAGES

  echo "== Qt for Windows"
  qt=$(sh "$top/scripts/qt-windows.sh" | tail -n 1)

  echo "== Windows cross build"
  if [ ! -x "$linux_build/cli/gt7p-cli" ] || [ ! -x "$linux_build/tests/support/cycle_simulator" ]; then
    cmake -S "$top" -B "$linux_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGT7P_WERROR=ON >/dev/null
    cmake --build "$linux_build" -j"$jobs" --target gt7p-cli cycle_simulator
  fi
  cmake -S "$top" -B "$win_build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGT7P_WERROR=ON -DGT7P_GUI=ON -DGT7P_BENCH=OFF -DGT7P_QT_PREFIX="$qt" \
    -DGT7P_GTEST_SOURCE=/usr/src/googletest -DGT7P_LINUX_CLI="$linux_build/cli/gt7p-cli" >/dev/null
  cmake --build "$win_build" -j"$jobs"
  $build_only && exit 0
fi

echo "== Windows tests under Wine"
# Wine takes its ANSI code page, and how it turns command-line arguments
# into Windows text, from the Unix locale: zh_CN.UTF-8 makes it a Chinese
# Windows. Made into the cache when the system lacks it.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
  export LOCPATH="$cache/locale"
  if [ ! -d "$LOCPATH/zh_CN.UTF-8" ]; then
    mkdir -p "$LOCPATH"
    localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8"
  fi
fi
export LC_ALL=zh_CN.UTF-8

work=$(mktemp -d)
export WINEPREFIX="$work/wine" WINEDEBUG=-all
sims=""
xvfb=""
cleanup() {
  for pid in $sims $xvfb; do kill "$pid" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Wine makes windows through its X11 driver even where Qt draws offscreen
# (Qt's event dispatcher has a message window): an X server without a
# window manager is all it needs. Xvfb picks a free display.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(cat "$work/display")"

# Starts simulator N, the command after N (its pid into $sims, so not in a
# subshell), and waits for its first line, the pseudo-terminal; pty N
# prints that.
start_simulator() {
  n=$1
  shift
  "$@" >"$work/sim$n.out" 2>"$work/sim$n.err" &
  sims="$sims $!"
  for _ in $(seq 50); do
    [ -s "$work/sim$n.out" ] && break
    sleep 0.1
  done
  [ -s "$work/sim$n.out" ] || { echo "simulator $n did not start:"; cat "$work/sim$n.err"; exit 1; }
}
pty() { head -n 1 "$work/sim$1.out"; }

# The first start makes the prefix. The simulators run before the COM ports
# are mapped: a port whose target is missing opens and then fails every call.
wine cmd /c exit 0 >/dev/null 2>&1
# A test that crashes ends at once, instead of waiting behind Wine's crash
# dialog until its time-out.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wine reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP 2>/dev/null | grep -q 'REG_SZ *936' ||
  { echo "Wine did not take code page 936 from the locale $LC_ALL"; exit 1; }
cli="$linux_build/cli/gt7p-cli"
cycle="$linux_build/tests/support/cycle_simulator"
start_simulator 1 "$cli" simulate   # COM3: the round trip's Windows side
start_simulator 2 "$cli" simulate   # COM5: the serial port test
start_simulator 3 "$cli" simulate   # the round trip's Linux side
start_simulator 4 "$cli" simulate --hang-up 400   # COM7: hangs up mid-file
start_simulator 5 "$cli" simulate --pace          # COM8: paced as the line
start_simulator 6 "$cycle"          # COM6: the window's work cycle (its log: the commands)
start_simulator 7 "$cycle" --faulty-handshake   # COM4: its failed handshake
start_simulator 8 "$cycle"          # COM9: gt7p.exe driven by mouse and keys
for map in 3:1 5:2 7:4 8:5 6:6 4:7 9:8; do
  ln -s "$(pty "${map#*:}")" "$work/com${map%:*}"
  wine reg add 'HKLM\Software\Wine\Ports' /v "COM${map%:*}" /d "$work/com${map%:*}" /f >/dev/null 2>&1
done
wineserver -k
wineserver -w
# One server for all tests: a server started per test costs ~3 s, and its
# output would hold a piped log open.
wineserver -p >/dev/null 2>&1
wine cmd /c exit 0 >/dev/null 2>&1

GT7P_WIN_COM=COM3 GT7P_WIN_TEST_COM=COM5 GT7P_LINUX_SIM=$(pty 3) \
  GT7P_WIN_HANGUP_COM=COM7 GT7P_WIN_PACED_COM=COM8 \
  GT7P_WIN_CYCLE_COM=COM6 GT7P_WIN_CYCLE_LOG=$(winepath -w "$work/sim6.out") GT7P_WIN_FAULTY_COM=COM4 \
  GT7P_WIN_FAULTY_LOG="$work/sim7.out" \
  GT7P_WIN_EXE_COM=COM9 \
  ctest --test-dir "$win_build" -j"$((jobs * 2))" --output-on-failure
