#!/bin/sh
# The setup program (packaging/gt7p-setup.nsi) on a Windows of its own (a
# fresh Wine prefix, so that the suite's other tests and their settings
# neither disturb nor hide what it does), as an IT department runs it:
#   - an older version installed silently into a chosen folder, the
#     operator's settings (HKCU\Software\gt7p\gt7p) and driver folder U2C
#     put in place, then this version installed silently over it: files,
#     shortcuts, uninstall entry, record types, settings and U2C checked;
#   - a .QFX opened as Explorer opens it (start) shows the viewer with it;
#   - the uninstaller refuses while the program runs, changing nothing;
#   - the silent uninstall leaves no file and no key of ours, gives another
#     program's record type back, and keeps the settings and U2C.
# Both setup programs are made here with makensis, uncompressed (a few
# seconds), from the built programs staged as scripts/package.sh stages them.
# usage: installer_check.sh GT7P_EXE GT7P_CLI_EXE LINUX_CLI VERSION SOURCE_DIR PRODUCT_NSH
#   (PRODUCT_NSH: the build's gt7p-product.nsh, which holds VERSION)
# Environment (scripts/test-windows.sh): DISPLAY, LC_ALL (a zh_CN locale).
set -eu
exe=$1
cli_exe=$2
linux_cli=$3
version=$4
source=$5
product_nsh=$6
if [ -z "${DISPLAY:-}" ] || ! command -v makensis >/dev/null || ! command -v xwininfo >/dev/null; then
  echo "no display, makensis or xwininfo (run scripts/test-windows.sh)"
  exit 77
fi
# shellcheck source=scripts/aids.sh
. "$source/scripts/aids.sh"
work=$(mktemp -d)
export WINEPREFIX="$work/wine" WINEDEBUG=-all
# No menu entries and file types for the host's desktop (winemenubuilder),
# no offer to install Mono or Gecko.
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
status=0
fail() { printf '%s\n' "$*"; status=1; }

old=0.0.1
[ "$version" != "$old" ] || { echo "the project's version is the test's older one"; exit 1; }
# The files as the packages hold them (the setup program installs these).
sh "$source/scripts/stage-windows.sh" "$exe" "$cli_exe" "$work/stage"
setup_program() {
  makensis -V1 -INPUTCHARSET UTF8 -DFAST -DPRODUCT_NSH="$product_nsh" -DSTAGE="$work/stage" "$@" \
    "$source/packaging/gt7p-setup.nsi"
}
# The older one by -DVERSION; this one as gt7p-product.nsh has it.
setup_program -DVERSION="$old" -DOUTFILE="$work/setup-$old.exe"
setup_program -DOUTFILE="$work/setup-$version.exe"

wine cmd /c exit 0 >/dev/null 2>&1
c=$WINEPREFIX/drive_c
dir='C:\测量工具\gt7p'
inst=$c/测量工具/gt7p
menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/数据文件提取软件"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\gt7p'
settings_key='HKCU\Software\gt7p\gt7p\comm'
# The IT department's tool folder; another program's record type .ESP.
mkdir "$c/测量工具"
wine reg add 'HKLM\Software\Classes\.ESP' /ve /d OtherApp.ESP /f >/dev/null
wine reg add 'HKLM\Software\Classes\.ESP' /v 'Content Type' /d application/x-other /f >/dev/null

# Registry keys as "[KEY]|line" (values, with the key they stand in) and
# files under C: outside the Windows folder, of the state now.
registry() {
  : >"$work/$1.reg"
  for key in 'HKLM\Software' 'HKCU\Software'; do
    wine reg export "$key" "$work/export.reg" /y >/dev/null
    iconv -f UTF-16 -t UTF-8 "$work/export.reg" | tr -d '\r' |
      awk '/^\[/ {key = $0; next} NF {print key "|" $0}' >>"$work/$1.reg"
  done
  sort -o "$work/$1.reg" "$work/$1.reg"
}
files() { (cd "$c" && find . -path ./windows -prune -o -print | sort) >"$work/$1.files"; }
# Keys and values that name one of ours: gt7p (its classes, the uninstall
# entry, the settings) and the three record types.
ours() { grep -iE 'gt7p|\\\.(t7p|qfx|esp)[]\\]' "$work/$1.reg" || true; }
value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n {print $NF}'; }
registry before
files before

echo "== $old into $dir, then $version over it"
wine "$work/setup-$old.exe" /S "/D=$dir" || fail "setup $old /S: exit $?"
[ "$(value "$uninstall_key" DisplayVersion)" = "$old" ] || fail "no uninstall entry of $old"
# As the window leaves them (app/settings_store.h): the port of the last run.
wine reg add "$settings_key" /v port /d COM5 /f >/dev/null
mkdir "$inst/U2C"
echo driver >"$inst/U2C/FTDIBUS.INF"
wine "$work/setup-$version.exe" /S || fail "setup $version /S: exit $?"
[ ! -e "$c/Program Files/gt7p" ] || fail "the upgrade went to Program Files, not to the installed version's folder"
for f in gt7p.exe gt7p-cli.exe Help.htm README.txt; do
  cmp -s "$work/stage/$f" "$inst/$f" || fail "$f not installed"
done
[ -f "$inst/uninstall.exe" ] || fail "no uninstall.exe"
[ "$(cat "$inst/U2C/FTDIBUS.INF" 2>/dev/null)" = driver ] || fail "the upgrade lost U2C"
registry installed
grep -qxF '[HKEY_CURRENT_USER\Software\gt7p\gt7p\comm]|"port"="COM5"' "$work/installed.reg" ||
  fail "the upgrade lost the remembered settings"
entry=$(grep -F '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\gt7p]|' "$work/installed.reg" | cut -d'|' -f2-)
for line in '"DisplayName"="数据文件提取软件"' "\"DisplayVersion\"=\"$version\"" '"Publisher"="gt7p maintainers"' \
            "\"InstallLocation\"=\"C:\\\\测量工具\\\\gt7p\"" \
            "\"UninstallString\"=\"\\\"C:\\\\测量工具\\\\gt7p\\\\uninstall.exe\\\"\"" \
            "\"QuietUninstallString\"=\"\\\"C:\\\\测量工具\\\\gt7p\\\\uninstall.exe\\\" /S\""; do
  printf '%s\n' "$entry" | grep -qxF "$line" || fail "uninstall entry lacks $line"
done
size=$(printf '%s\n' "$entry" | sed -n 's/^"EstimatedSize"=dword://p')
[ -n "$size" ] && [ $((0x$size)) -gt 1000 ] || fail "uninstall entry: EstimatedSize '$size' (KB)"
for ext in T7P QFX ESP; do
  for line in "[HKEY_LOCAL_MACHINE\\Software\\Classes\\.$ext]|@=\"gt7p.$ext\"" \
              "[HKEY_LOCAL_MACHINE\\Software\\Classes\\.$ext\\OpenWithProgids]|\"gt7p.$ext\"=\"\"" \
              "[HKEY_LOCAL_MACHINE\\Software\\Classes\\gt7p.$ext]|@=\"地震记录（$ext）\"" \
              "[HKEY_LOCAL_MACHINE\\Software\\Classes\\gt7p.$ext\\DefaultIcon]|@=\"C:\\\\测量工具\\\\gt7p\\\\gt7p.exe,0\"" \
              "[HKEY_LOCAL_MACHINE\\Software\\Classes\\gt7p.$ext\\shell\\open\\command]|@=\"\\\"C:\\\\测量工具\\\\gt7p\\\\gt7p.exe\\\" --view \\\"%1\\\"\""; do
    grep -qxF "$line" "$work/installed.reg" || fail "record type: no $line"
  done
done
grep -qxF '[HKEY_LOCAL_MACHINE\Software\Classes\.ESP]|"gt7p.previous"="OtherApp.ESP"' "$work/installed.reg" ||
  fail "another program's .ESP was not kept"
# True when shortcut $1 holds the text $2 as one of its strings (the
# working folder, the arguments...): UTF-16 after its length in characters
# (Wine counts and writes a terminating NUL as well).
lnk_has() {
  python3 -c 'import struct, sys
t, n, d = sys.argv[2].encode("utf-16-le"), len(sys.argv[2]), open(sys.argv[1], "rb").read()
sys.exit(0 if struct.pack("<H", n) + t in d or struct.pack("<H", n + 1) + t + b"\0\0" in d else 1)' "$1" "$2"
}
# The shortcuts start in the installation folder, where U2C is looked for.
for lnk in "$menu/数据文件提取软件.lnk" "$menu/查看波形.lnk" "$menu/说明书.lnk" "$c/users/Public/Desktop/数据文件提取软件.lnk"; do
  [ -f "$lnk" ] || { fail "no shortcut $lnk"; continue; }
  case $lnk in *说明书*) continue ;; esac
  lnk_has "$lnk" "$dir" || fail "$(basename "$lnk") does not start in $dir"
done
lnk_has "$menu/查看波形.lnk" --view || fail "查看波形.lnk does not start the viewer"
[ "$status" -eq 0 ] && echo "installed: files, shortcuts, uninstall entry, record types; settings and U2C kept"

echo "== a .QFX opened as Explorer opens it"
"$linux_cli" sample "$work/REC.T7P" >/dev/null
"$linux_cli" convert "$work/REC.T7P" "$work/REC.QFX" >/dev/null
wine start /unix "$work/REC.QFX"
seen=""
window_id "查看波形 - REC.QFX\"" >/dev/null && seen=1
[ -n "$seen" ] && echo "start REC.QFX: 查看波形 - REC.QFX" || fail "start REC.QFX opened no viewer with the file"

echo "== the uninstaller while the program runs"
# In place (_?=), so that its exit code is its own.
if [ -n "$seen" ]; then
  code=0
  wine "$inst/uninstall.exe" /S "_?=$dir" || code=$?
  [ "$code" -eq 2 ] || fail "uninstall with gt7p.exe running: exit $code, expected 2"
  [ -f "$inst/gt7p.exe" ] && [ -f "$menu/查看波形.lnk" ] || fail "the refused uninstall removed files"
  [ "$(value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "the refused uninstall removed the uninstall entry"
fi
# Every process of this prefix: the viewer.
wineserver -k 2>/dev/null || true
wineserver -w

echo "== silent uninstall"
wine "$inst/uninstall.exe" /S || fail "uninstall /S: exit $?"
# It goes on from a copy of itself: done when the prefix's last process is.
wineserver -w
registry after
files after
ours before >"$work/before.ours"
ours after | grep -vF '[HKEY_CURRENT_USER\Software\gt7p\gt7p' >"$work/after.ours" || true
if ! diff "$work/before.ours" "$work/after.ours" >"$work/keys.diff"; then
  fail "keys of ours before the installation (<) and after the uninstallation (>):"; cat "$work/keys.diff"
fi
grep -qxF '[HKEY_CURRENT_USER\Software\gt7p\gt7p\comm]|"port"="COM5"' "$work/after.reg" || fail "the uninstaller removed the remembered settings"
# What the installer made is gone; the operator's U2C stays (and with it
# the folder that holds it); nothing else is new but the uninstaller's own
# copy in the temporary folder, which Windows deletes at the next start.
comm -13 "$work/before.files" "$work/after.files" |
  grep -vxF -e ./测量工具/gt7p -e ./测量工具/gt7p/U2C -e ./测量工具/gt7p/U2C/FTDIBUS.INF |
  grep -v '^\./users/[^/]*/Temp/' >"$work/new.files" || true
if [ -s "$work/new.files" ]; then
  fail "files left after the uninstallation:"; cat "$work/new.files"
fi
[ "$status" -eq 0 ] && echo "uninstalled: no file or key of ours left; settings, U2C and the other .ESP kept"
exit "$status"
