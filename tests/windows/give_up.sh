#!/bin/sh
# The Windows gt7p-cli giving up early through the Win32 serial layer and
# Wine COM ports: a line that goes away mid-transfer (a simulator that hangs
# up, as a USB adapter pulled) ends the transfer at once with
# "数据文件不完整！", not after the receive delay; Ctrl-C during a transfer
# (Wine hands SIGINT to the console's Ctrl-C handlers) aborts it with exit
# status 130 and leaves the file it was replacing.
# usage: give_up.sh WINDOWS_CLI
# Environment (scripts/test-windows.sh): GT7P_WIN_HANGUP_COM, a COM port
# mapped to a simulator that hangs up after 400 characters of a file;
# GT7P_WIN_PACED_COM, one mapped to a simulator paced as the line.
set -eu
windows_cli=$1
# shellcheck source=scripts/aids.sh
. "$(dirname "$0")/../../scripts/aids.sh"
need_simulators GT7P_WIN_HANGUP_COM GT7P_WIN_PACED_COM
enter_scratch_folder
status=0

# Handshake and file request take 3 s; the receive delay of 10 s would follow
# the last byte.
start=$(ms)
code=0
wine "$windows_cli" get --port "$GT7P_WIN_HANGUP_COM" --delay 10 --dest gone ZS0001.DAT >gone.out 2>gone.err || code=$?
elapsed=$(($(ms) - start))
[ "$code" -eq 1 ] || { echo "line gone: exit $code, not 1"; status=1; }
[ "$(cat gone.err)" = "数据文件不完整！" ] || { echo "line gone: stderr"; cat gone.err; status=1; }
[ "$elapsed" -lt 9000 ] || { echo "line gone: ended after $elapsed ms (waited out the delay)"; status=1; }
echo "line gone: ended after $elapsed ms"

# A paced demo file takes 26 s; the signal comes once it is under way.
mkdir kept
echo OLD >kept/ZS0001.QFX
wine "$windows_cli" get --port "$GT7P_WIN_PACED_COM" --overwrite --delay 10 --dest kept ZS0001.DAT \
  >kept.out 2>kept.err &
pid=$!
sleep 7
start=$(ms)
kill -INT "$pid"
code=0
wait "$pid" || code=$?
elapsed=$(($(ms) - start))
[ "$code" -eq 130 ] || { echo "Ctrl-C: exit $code, not 130"; cat kept.err; status=1; }
[ "$(cat kept.err)" = "通讯已中止！" ] || { echo "Ctrl-C: stderr"; cat kept.err; status=1; }
[ "$elapsed" -lt 5000 ] || { echo "Ctrl-C: ended after $elapsed ms"; status=1; }
[ "$(cat kept/ZS0001.QFX)" = OLD ] || { echo "Ctrl-C: the old file was not kept"; status=1; }
[ "$(ls -A kept | wc -l)" -eq 1 ] || { echo "Ctrl-C: files left:"; ls -A kept; status=1; }
echo "Ctrl-C: ended after $elapsed ms"
exit "$status"
