#!/bin/sh
# Installs what is missing, builds with warnings as errors, and runs every
# test; then the unit tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer; then each fuzz target over its seeds and a
# fixed set of variants (the same inputs every run) while the Windows
# suite is cross-built; then the Windows suite under Wine. Exits non-zero on
# any failure.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/deps.sh"
. "$top/scripts/aids.sh"
# shellcheck disable=SC2086
# Everything at once: the fuzz build and the Windows cross build run side
# by side later.
gt7p_install $GT7P_BUILD_PACKAGES $GT7P_FUZZ_PACKAGES $GT7P_QT_WINDOWS_PACKAGES $GT7P_WINDOWS_PACKAGES
jobs=$(nproc)
start=$(date +%s)
# Each stage's heading says how far into the run it starts.
stage() { echo "== $1 (at $(($(date +%s) - start)) s)"; }
cache=${GT7P_CACHE:-/var/cache/gt7p}

# Every build folder here is made anew, so each run would compile all four
# builds (Linux, sanitized, fuzz, Windows) from nothing: a compiler cache
# kept in the cache folder, beside the Qt for Windows, gives a run after a
# small change only what changed. Paths under the checkout count relative
# to it, so a clone elsewhere hits too; a wrong hit can't happen (ccache
# hashes the compiler, its options and every header's contents).
CCACHE_DIR=${CCACHE_DIR:-$cache/ccache}
CCACHE_BASEDIR=$top
CCACHE_NOHASHDIR=1
CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}
CMAKE_C_COMPILER_LAUNCHER=ccache
CMAKE_CXX_COMPILER_LAUNCHER=ccache
export CCACHE_DIR CCACHE_BASEDIR CCACHE_NOHASHDIR CCACHE_MAXSIZE CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER

# The locale tests want a locale whose decimal point is ","; made into the
# cache when the system has none (the tests fail without one).
locales="$cache/locale"
if ! locale -a 2>/dev/null | grep -qiE '^(de_DE|fr_FR|ru_RU)\.utf-?8$'; then
  make_locale de_DE "$locales"
fi
# Configures build folder $1 with the options after it (warnings as
# errors), builds it and runs its tests.
build_and_test() {
  dir=$1
  shift
  cmake -S "$top" -B "$dir" -DGT7P_WERROR=ON -DGT7P_LOCALE_DIR="$locales" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" -j"$((jobs * 2))" --output-on-failure
}

stage "build and test"
build_and_test "$top/build-ci" -DCMAKE_BUILD_TYPE=RelWithDebInfo

stage "sanitized build and test"
build_and_test "$top/build-asan" -DCMAKE_BUILD_TYPE=Debug -DGT7P_SANITIZE=ON -DGT7P_BENCH=OFF

# The fuzz targets run one at a time on one core: the Windows cross build
# runs beside them (its output kept for a failure) and has both cores once
# they are done.
stage "fuzzing, the Windows cross build beside it"
sh "$top/scripts/test-windows.sh" --build-only "$top/build-ci" >"$top/build-ci/windows-build.log" 2>&1 &
windows_build=$!
fuzzing=0
sh "$top/scripts/fuzz.sh" --fixed || fuzzing=$?
built=0
wait "$windows_build" || built=$?
[ "$built" -eq 0 ] || { tail -n 60 "$top/build-ci/windows-build.log"; echo "Windows cross build failed"; }
[ "$fuzzing" -eq 0 ] && [ "$built" -eq 0 ] || exit 1

stage "Windows suite"
# Its tests alone: the cross build is done.
sh "$top/scripts/test-windows.sh" --tests-only "$top/build-ci"
stage "all passed"
