#!/bin/sh
# Runs one program of the Windows build under Wine for ctest and the test
# discovery (the cross build's emulator): `wine PROGRAM ARGS...`, its
# output passed through as it comes and its exit status returned.
#
# Under Wine on a loaded machine a program now and then ends with a failure
# status before any code of its own ran: not one character on its standard
# output, where every test program prints its first line before it runs a
# test. Such a run is tried once more, and the retry is said on standard
# error; a run that printed anything stands as it is, whatever its status.
# usage: run_under_wine.sh PROGRAM [ARGS...]
set -u
out=$(mktemp) || exit 1
trap 'rm -f "$out" "$out.status"' EXIT
for attempt in 1 2; do
  { wine "$@"; echo $? >"$out.status"; } | tee "$out"
  status=$(cat "$out.status")
  [ "$status" -ne 0 ] && [ ! -s "$out" ] && [ "$attempt" -eq 1 ] || break
  echo "run_under_wine.sh: $1 ended with status $status before printing anything; running it again" >&2
done
exit "$status"
