#!/bin/sh
# Writes the three packages into dist/:
#   gt7p-windows-x64.zip   gt7p.exe, gt7p-cli.exe, Help.htm and a Chinese
#                          read-me in one folder gt7p/; statically linked,
#                          it runs wherever it is unpacked
#   gt7p-setup-VERSION-x64.exe
#                          the same four files as a Windows setup program
#                          (packaging/gt7p-setup.nsi, made with NSIS):
#                          Program Files\gt7p, Start menu, record types,
#                          uninstaller
#   gt7p_VERSION_amd64.deb /usr/bin/gt7p, /usr/bin/gt7p-cli, the manual in
#                          /usr/share/gt7p, the desktop entries of the
#                          window and the viewer, the icon, the record types
# VERSION is the top CMakeLists.txt's project VERSION.
# Installs what is missing and builds what is needed: the Qt for Windows
# once per machine (scripts/qt-windows.sh, cached outside the checkout),
# then release builds in build-pkg/ and build-win-pkg/.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/deps.sh"
# shellcheck disable=SC2086
gt7p_install $GT7P_BUILD_PACKAGES g++-mingw-w64-x86-64 dpkg-dev zip nsis
jobs=$(nproc)
dist=$top/dist
mkdir -p "$dist"

echo "== Qt for Windows"
qt=$(sh "$top/scripts/qt-windows.sh" | tail -n 1)

echo "== Linux release build and Debian package"
cmake -S "$top" -B "$top/build-pkg" -DCMAKE_BUILD_TYPE=Release -DGT7P_TESTS=OFF -DGT7P_BENCH=OFF >/dev/null
cmake --build "$top/build-pkg" -j"$jobs" --target gt7p gt7p-cli
rm -f "$dist"/gt7p_*_amd64.deb
(cd "$top/build-pkg" && cpack -G DEB -B "$top/build-pkg/cpack" >/dev/null)
mv "$top"/build-pkg/cpack/gt7p_*_amd64.deb "$dist/"
rm -rf "$top/build-pkg/cpack"

echo "== Windows release build and zip"
cmake -S "$top" -B "$top/build-win-pkg" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DGT7P_QT_PREFIX="$qt" -DCMAKE_BUILD_TYPE=Release -DGT7P_TESTS=OFF -DGT7P_BENCH=OFF >/dev/null
cmake --build "$top/build-win-pkg" -j"$jobs" --target gt7p gt7p-cli
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
sh "$top/scripts/stage-windows.sh" "$top/build-win-pkg/app/gt7p.exe" "$top/build-win-pkg/cli/gt7p-cli.exe" "$stage/gt7p"
rm -f "$dist/gt7p-windows-x64.zip"
(cd "$stage" && zip -q -r -X -9 "$dist/gt7p-windows-x64.zip" gt7p)

echo "== Windows setup program"
# Name, publisher and version as the build has them (gt7p-product.nsh).
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$top/build-win-pkg/CMakeCache.txt")
rm -f "$dist"/gt7p-setup-*-x64.exe
makensis -V2 -INPUTCHARSET UTF8 -DPRODUCT_NSH="$top/build-win-pkg/gt7p-product.nsh" -DSTAGE="$stage/gt7p" \
  -DOUTFILE="$dist/gt7p-setup-$version-x64.exe" "$top/packaging/gt7p-setup.nsi"

echo "== dist/"
ls -l "$dist"
