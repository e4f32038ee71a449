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
. "$top/scripts/aids.sh"
work=$(mktemp -d)
cleanup() {
  stop_started
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Wine makes windows through its X11 driver even where Qt draws offscreen
# (Qt's event dispatcher has a message window): an X server without a
# window manager is all it needs.
start_xvfb 1280x800 "$work"
start_chinese_wine "$work"
cli="$linux_build/cli/gt7p-cli"
cycle="$linux_build/tests/support/cycle_simulator"
start_simulator "$work/sim1.out" "$cli" simulate   # COM3: the round trip's Windows side
start_simulator "$work/sim2.out" "$cli" simulate   # COM5: the serial port test
start_simulator "$work/sim3.out" "$cli" simulate   # the round trip's Linux side
start_simulator "$work/sim4.out" "$cli" simulate --hang-up 400   # COM7: hangs up mid-file
start_simulator "$work/sim5.out" "$cli" simulate --pace          # COM8: paced as the line
start_simulator "$work/sim6.out" "$cycle"          # COM6: the window's work cycle (its log: the commands)
start_simulator "$work/sim7.out" "$cycle" --faulty-handshake   # COM4: its failed handshake
start_simulator "$work/sim8.out" "$cycle"          # COM9: gt7p.exe driven by mouse and keys
pty() { sim_pty "$work/sim$1.out"; }
map_com_ports "$work" 3:"$(pty 1)" 5:"$(pty 2)" 7:"$(pty 4)" 8:"$(pty 5)" 6:"$(pty 6)" 4:"$(pty 7)" 9:"$(pty 8)"
# One server for all tests: a server started per test costs ~3 s, and its
# output would hold a piped log open. The same goes for the desktop
# process, which Wine ends and starts again between programs: the keeper
# holds it from here to the end, started with output that no test reads.
wineserver -p >/dev/null 2>&1
wine "$win_build/tests/windows/desktop_keeper.exe" >"$work/keeper.out" 2>/dev/null </dev/null &
started="$started $!"
keeper_ready() { grep -q ready "$work/keeper.out"; }
wait_until 600 keeper_ready || { echo "the desktop keeper did not start under Wine"; exit 1; }

GT7P_WIN_COM=COM3 GT7P_WIN_TEST_COM=COM5 GT7P_LINUX_SIM=$(pty 3) \
  GT7P_WIN_HANGUP_COM=COM7 GT7P_WIN_PACED_COM=COM8 \
  GT7P_WIN_CYCLE_COM=COM6 GT7P_WIN_CYCLE_LOG=$(winepath -w "$work/sim6.out") GT7P_WIN_FAULTY_COM=COM4 \
  GT7P_WIN_FAULTY_LOG="$work/sim7.out" \
  GT7P_WIN_EXE_COM=COM9 \
  ctest --test-dir "$win_build" -j"$((jobs * 2))" --output-on-failure
