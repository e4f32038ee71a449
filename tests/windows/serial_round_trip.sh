#!/bin/sh
# The Windows gt7p-cli, through the Win32 serial layer and a Wine COM port,
# against the Linux gt7p-cli on a second simulator of the same instrument:
# the port is listed, and the directory text and every converted file are
# equal byte for byte.
# usage: serial_round_trip.sh LINUX_CLI WINDOWS_CLI
# Environment (scripts/test-windows.sh): GT7P_WIN_COM, the COM port mapped to
# one simulator; GT7P_LINUX_SIM, the other simulator's pseudo-terminal.
set -eu
linux_cli=$1
windows_cli=$2
# shellcheck source=scripts/aids.sh
. "$(dirname "$0")/../../scripts/aids.sh"
need_simulators GT7P_WIN_COM GT7P_LINUX_SIM
enter_scratch_folder

wine "$windows_cli" ports >ports.txt
# The line form: port, two blanks, the device in lower case in parentheses.
if ! grep -q "^$GT7P_WIN_COM  (\\\\device\\\\[a-z0-9]*)\$" ports.txt; then
  echo "$GT7P_WIN_COM is not among the ports:"; cat ports.txt; exit 1
fi

# Both sides at once: each has its own simulator.
( wine "$windows_cli" list --port "$GT7P_WIN_COM" --columns all >win-list.txt &&
  wine "$windows_cli" get --port "$GT7P_WIN_COM" --all --dest win >win-get.txt ) &
windows=$!
"$linux_cli" list --port "$GT7P_LINUX_SIM" --columns all >linux-list.txt
"$linux_cli" get --port "$GT7P_LINUX_SIM" --all --dest linux >linux-get.txt
wait "$windows"

status=0
[ -s linux-list.txt ] || { echo "empty directory from the Linux side"; status=1; }
cmp linux-list.txt win-list.txt || { diff linux-list.txt win-list.txt | head -20; status=1; }
# The outcome lines differ only in the folder separator.
tr '\\' / <win-get.txt | sed 's|^win/|linux/|' | cmp - linux-get.txt || { cat win-get.txt linux-get.txt; status=1; }
[ "$(ls linux | wc -l)" -gt 0 ] || { echo "no files fetched"; status=1; }
diff -r linux win || status=1
[ "$status" -eq 0 ] && echo "list and $(ls win | wc -l) converted files equal"
exit "$status"
