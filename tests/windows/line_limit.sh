#!/bin/sh
# The Windows gt7p-cli at the line's limit, through the Win32 serial layer
# and Wine COM ports: replies end when complete (a listing and three files
# with a receive delay of 10 s take seconds, where full silences take 51 s),
# --full-silence saves the same file; --port auto takes the instrument
# after a port that answers the handshake wrongly, and sends that one
# nothing but "02".
# usage: line_limit.sh WINDOWS_CLI
# Environment (scripts/test-windows.sh): GT7P_WIN_CYCLE_COM, a COM port
# mapped to the cycle simulator; GT7P_WIN_FAULTY_COM, one mapped to a cycle
# simulator that answers "02" with "1021"; GT7P_WIN_FAULTY_LOG, the latter's
# log of commands.
set -eu
windows_cli=$1
# shellcheck source=scripts/aids.sh
. "$(dirname "$0")/../../scripts/aids.sh"
need_simulators GT7P_WIN_CYCLE_COM GT7P_WIN_FAULTY_COM GT7P_WIN_FAULTY_LOG
enter_scratch_folder
status=0

# Auto-detection: the --port entries first, in their order.
logged=$(wc -l <"$GT7P_WIN_FAULTY_LOG")
code=0
wine "$windows_cli" list --columns 1 --port auto --port "$GT7P_WIN_FAULTY_COM" --port "$GT7P_WIN_CYCLE_COM" \
  >auto.out 2>auto.err || code=$?
[ "$code" -eq 0 ] || { echo "auto: exit $code"; cat auto.err; status=1; }
expected="自动检测：$GT7P_WIN_FAULTY_COM 应答错误，$GT7P_WIN_CYCLE_COM 找到仪器"
[ "$(cat auto.err)" = "$expected" ] || { echo "auto: stderr"; cat auto.err; status=1; }
wine "$windows_cli" list --columns 1 --port "$GT7P_WIN_CYCLE_COM" >direct.out
[ -s direct.out ] && cmp auto.out direct.out || { echo "auto: another listing"; cat auto.out direct.out; status=1; }
after=$(tail -n +"$((logged + 1))" "$GT7P_WIN_FAULTY_LOG")
[ "$after" = "02 -> 1021" ] || { echo "auto: the wrong port got more than the handshake:"; echo "$after"; status=1; }
echo "auto-detection ok: $(cat auto.err)"

# Replies ending when complete: full silences would wait out 2 + 10 s for
# the directory and 3 + 10 s for each file.
start=$(ms)
code=0
wine "$windows_cli" get --port "$GT7P_WIN_CYCLE_COM" --delay 10 --all --format t7p --dest on >on.out 2>on.err || code=$?
elapsed=$(($(ms) - start))
[ "$code" -eq 0 ] || { echo "complete: exit $code"; cat on.err; status=1; }
[ "$(ls on | wc -l)" -eq 3 ] || { echo "complete: files"; cat on.out; status=1; }
[ "$elapsed" -lt 25000 ] || { echo "complete: $elapsed ms (waited out the silences)"; status=1; }
echo "replies ending when complete: a listing and 3 files in $elapsed ms"
code=0
wine "$windows_cli" get --port "$GT7P_WIN_CYCLE_COM" --delay 3 --full-silence --format t7p --dest off AB.DAT \
  >off.out 2>off.err || code=$?
[ "$code" -eq 0 ] || { echo "full silences: exit $code"; cat off.err; status=1; }
cmp on/AB.T7P off/AB.T7P || { echo "full silences: another file"; status=1; }
exit "$status"
