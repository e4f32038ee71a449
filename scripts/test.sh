#!/bin/sh
# Installs what is missing, builds with warnings as errors, and runs every
# test; then the unit tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer; then each fuzz target for 20 s
# (GT7P_FUZZ_SECONDS); then the Windows suite under Wine. Exits non-zero on
# any failure.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/deps.sh"
# shellcheck disable=SC2086
gt7p_install $GT7P_BUILD_PACKAGES
jobs=$(nproc)
start=$(date +%s)
# Each stage's heading says how far into the run it starts.
stage() { echo "== $1 (at $(($(date +%s) - start)) s)"; }
cache=${GT7P_CACHE:-/var/cache/gt7p}

# The locale tests want a locale whose decimal point is ","; made into the
# cache when the system has none (the tests fail without one).
locales="$cache/locale"
if ! locale -a 2>/dev/null | grep -qiE '^(de_DE|fr_FR|ru_RU)\.utf-?8$' && [ ! -d "$locales/de_DE.UTF-8" ]; then
  mkdir -p "$locales"
  localedef -i de_DE -f UTF-8 "$locales/de_DE.UTF-8" || [ -d "$locales/de_DE.UTF-8" ]
fi

stage "build and test"
cmake -S "$top" -B "$top/build-ci" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGT7P_WERROR=ON \
  -DGT7P_LOCALE_DIR="$locales" >/dev/null
cmake --build "$top/build-ci" -j"$jobs"
ctest --test-dir "$top/build-ci" -j"$((jobs * 2))" --output-on-failure

stage "sanitized build and test"
cmake -S "$top" -B "$top/build-asan" -DCMAKE_BUILD_TYPE=Debug -DGT7P_WERROR=ON -DGT7P_SANITIZE=ON -DGT7P_BENCH=OFF \
  -DGT7P_LOCALE_DIR="$locales" >/dev/null
cmake --build "$top/build-asan" -j"$jobs"
ctest --test-dir "$top/build-asan" -j"$((jobs * 2))" --output-on-failure

stage "fuzzing"
sh "$top/scripts/fuzz.sh" "${GT7P_FUZZ_SECONDS:-20}"

stage "Windows suite"
sh "$top/scripts/test-windows.sh" "$top/build-ci"
stage "all passed"
