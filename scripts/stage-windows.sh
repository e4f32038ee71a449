#!/bin/sh
# The four files the Windows packages hold, into one folder: gt7p.exe and
# gt7p-cli.exe stripped, Help.htm, and packaging/README-windows.txt as
# README.txt with CRLF line ends and a byte order mark. package.sh zips them
# and makes the setup program of them; tests/windows/installer_check.sh
# installs the same.
# usage: stage-windows.sh GT7P_EXE GT7P_CLI_EXE DEST_DIR   (DEST_DIR made when missing)
set -eu
[ $# -eq 3 ] || { echo "usage: stage-windows.sh GT7P_EXE GT7P_CLI_EXE DEST_DIR" >&2; exit 2; }
top=$(cd "$(dirname "$0")/.." && pwd)
dest=$3
mkdir -p "$dest"
x86_64-w64-mingw32-strip -o "$dest/gt7p.exe" "$1"
x86_64-w64-mingw32-strip -o "$dest/gt7p-cli.exe" "$2"
cp "$top/docs/Help.htm" "$dest/"
# Notepad reads UTF-8 by its byte order mark, on every Windows version.
{ printf '\357\273\277'; sed 's/$/\r/' "$top/packaging/README-windows.txt"; } >"$dest/README.txt"
