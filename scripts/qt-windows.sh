#!/bin/sh
# Builds Qt 6 (qtbase, static) for 64-bit Windows with mingw-w64, from
# Debian's own source package of the very version of the host Qt (whose
# moc, rcc and uic the cross build uses), into a cache folder outside the
# checkout. Once per machine: a later run finds the finished prefix and
# only prints it. Installs what is missing. Nothing in the system's apt
# configuration changes: the source comes through a private deb-src list.
#
# usage: qt-windows.sh           prints the prefix on stdout, progress on
#                                stderr
# env:   GT7P_CACHE              cache folder (default /var/cache/gt7p); the
#                                prefix is GT7P_CACHE/qt-VERSION-mingw64-static
#        GT7P_QT_JOBS            build jobs (default: the number of cores)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
# Qt is built once per machine and kept: not through the compiler cache
# that scripts/test.sh sets up for the project's own builds.
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER
. "$top/scripts/deps.sh"
# shellcheck disable=SC2086
gt7p_install $GT7P_QT_WINDOWS_PACKAGES

cache=${GT7P_CACHE:-/var/cache/gt7p}
debver=$(dpkg-query -W -f='${Version}' qt6-base-dev)   # 6.4.2+dfsg-10
upver=${debver%%+*}
upver=${upver%%-*}
prefix="$cache/qt-$upver-mingw64-static"
marker="$prefix/.gt7p-complete"
mkdir -p "$cache"
# One build at a time: a second run (package.sh beside test-windows.sh)
# waits here and then finds the prefix complete.
exec 9>"$cache/qt-$upver.lock"
flock 9

# The pieces the project links against: a prefix without any of them is
# an interrupted build and is made again.
complete() {
  [ -f "$marker" ] && [ "$(cat "$marker")" = "$debver" ] || return 1
  for f in lib/cmake/Qt6/Qt6Config.cmake lib/libQt6Core.a lib/libQt6Gui.a lib/libQt6Widgets.a \
           lib/libQt6Test.a plugins/platforms/libqwindows.a plugins/platforms/libqoffscreen.a; do
    [ -f "$prefix/$f" ] || return 1
  done
}

if complete; then
  echo "Qt $upver for Windows: cached ($prefix)" >&2
  echo "$prefix"
  exit 0
fi

work="$cache/work-$upver"
rm -rf "$work" "$prefix"
mkdir -p "$work/apt/lists/partial" "$work/apt/sources" "$work/apt/cache/archives/partial"

echo "== Debian's source of qt6-base $debver" >&2
# A private deb-src list, lists folder and cache: apt's own configuration
# stays as it is.
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
cat >"$work/apt/sources/qt-src.sources" <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
aptopts="-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts=$work/apt/sources \
  -o Dir::State::Lists=$work/apt/lists -o Dir::Cache=$work/apt/cache -o Debug::NoLocking=1"
# apt checks the files against the signed Sources index; the .dsc's own
# signature (its maker's key is in no keyring here) and the patches' warnings
# only go to the log.
# shellcheck disable=SC2086
(cd "$work" && apt-get $aptopts update -qq && apt-get $aptopts source --download-only "qt6-base=$debver" &&
  dpkg-source -x ./qt6-base_*.dsc src) >"$work/source.log" 2>&1 || { tail -n 20 "$work/source.log" >&2; exit 1; }
echo "$(du -sh "$work"/qt6-base_*.orig.tar.* | cut -f1) of source" >&2

echo "== configure (static, x86_64-w64-mingw32)" >&2
cat >"$work/toolchain.cmake" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
mkdir -p "$work/build"
# Debian's tarball has no src/3rdparty/wintab: no tablet events.
(cd "$work/build" && "$work/src/configure" -prefix "$prefix" \
  -static -release -opensource -confirm-license -xplatform win32-g++ -qt-host-path /usr \
  -nomake examples -nomake tests -no-opengl -no-dbus -no-feature-sql -no-feature-network \
  -no-feature-tabletevent -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre \
  -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >"$work/configure.log" 2>&1) ||
  { tail -n 40 "$work/configure.log" >&2; exit 1; }

echo "== build (about 30 min on 2 cores; log: $work/build.log)" >&2
start=$(date +%s)
nice -n 10 cmake --build "$work/build" --parallel "${GT7P_QT_JOBS:-$(nproc)}" >"$work/build.log" 2>&1 ||
  { tail -n 40 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >/dev/null
echo "$debver" >"$marker"
complete || { echo "the Qt prefix $prefix lacks a library the project needs" >&2; exit 1; }
echo "built in $(( $(date +%s) - start )) s; $(du -sh "$prefix" | cut -f1) installed" >&2
rm -rf "$work"
echo "$prefix"
