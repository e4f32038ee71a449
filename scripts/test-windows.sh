#!/bin/sh
# The Windows suite: cross-builds the core, the link, the settings' core,
# the driver binding, gt7p-cli.exe and their tests with mingw-w64, and runs
# the tests under Wine, the serial round trip against the simulator
# included. Installs what is missing. Exits non-zero on any failure.
# usage: test-windows.sh [LINUX_BUILD]   (default build-ci; its gt7p-cli is
# built there when missing)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
linux_build=${1:-$top/build-ci}
win_build=$top/build-win
. "$top/scripts/deps.sh"
gt7p_install g++ cmake make g++-mingw-w64-x86-64 googletest wine wine64
jobs=$(nproc)

echo "== Windows cross build"
if [ ! -x "$linux_build/cli/gt7p-cli" ]; then
  cmake -S "$top" -B "$linux_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGT7P_WERROR=ON >/dev/null
  cmake --build "$linux_build" -j"$jobs" --target gt7p-cli
fi
cmake -S "$top" -B "$win_build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGT7P_WERROR=ON -DGT7P_GUI=OFF -DGT7P_BENCH=OFF \
  -DGT7P_GTEST_SOURCE=/usr/src/googletest -DGT7P_LINUX_CLI="$linux_build/cli/gt7p-cli" >/dev/null
cmake --build "$win_build" -j"$jobs"

echo "== Windows tests under Wine"
work=$(mktemp -d)
export WINEPREFIX="$work/wine" WINEDEBUG=-all
sims=""
cleanup() {
  for pid in $sims; do kill "$pid" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Starts simulator N with the options after N (its pid into $sims, so not
# in a subshell) and waits for its first line, the pseudo-terminal; pty N
# prints that.
start_simulator() {
  n=$1
  shift
  "$linux_build/cli/gt7p-cli" simulate "$@" >"$work/sim$n.out" 2>"$work/sim$n.err" &
  sims="$sims $!"
  for _ in $(seq 50); do
    [ -s "$work/sim$n.out" ] && break
    sleep 0.1
  done
}
pty() { head -n 1 "$work/sim$1.out"; }

# The first start makes the prefix. The simulators run before the COM port
# is mapped: a port whose target is missing opens and then fails every call.
wine cmd /c exit 0 >/dev/null 2>&1
# COM3 for the round trip, COM5 for the serial port test, one more for the
# Linux side of the round trip; COM7 hangs up mid-file and COM8 is paced as
# the line, for the early ends.
start_simulator 1
start_simulator 2
start_simulator 3
start_simulator 4 --hang-up 400
start_simulator 5 --pace
win_pty=$(pty 1) test_pty=$(pty 2) linux_pty=$(pty 3) hangup_pty=$(pty 4) paced_pty=$(pty 5)
[ -n "$win_pty" ] && [ -n "$test_pty" ] && [ -n "$linux_pty" ] && [ -n "$hangup_pty" ] && [ -n "$paced_pty" ] ||
  { echo "the simulator did not start"; exit 1; }
ln -s "$win_pty" "$work/com3"
ln -s "$test_pty" "$work/com5"
ln -s "$hangup_pty" "$work/com7"
ln -s "$paced_pty" "$work/com8"
for com in 3 5 7 8; do
  wine reg add 'HKLM\Software\Wine\Ports' /v "COM$com" /d "$work/com$com" /f >/dev/null 2>&1
done
wineserver -k
wineserver -w
# One server for all tests: a server started per test costs ~3 s, and its
# output would hold a piped log open.
wineserver -p >/dev/null 2>&1
wine cmd /c exit 0 >/dev/null 2>&1

GT7P_WIN_COM=COM3 GT7P_WIN_TEST_COM=COM5 GT7P_LINUX_SIM=$linux_pty \
  GT7P_WIN_HANGUP_COM=COM7 GT7P_WIN_PACED_COM=COM8 \
  ctest --test-dir "$win_build" -j"$((jobs * 2))" --output-on-failure
