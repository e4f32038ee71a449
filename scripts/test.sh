#!/bin/sh
# Installs what is missing, builds with warnings as errors, and runs every
# test; then the unit tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer; then the Windows suite under Wine. Exits
# non-zero on any failure.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/deps.sh"
# shellcheck disable=SC2086
gt7p_install $GT7P_BUILD_PACKAGES
jobs=$(nproc)

echo "== build and test"
cmake -S "$top" -B "$top/build-ci" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGT7P_WERROR=ON >/dev/null
cmake --build "$top/build-ci" -j"$jobs"
ctest --test-dir "$top/build-ci" -j"$((jobs * 2))" --output-on-failure

echo "== sanitized build and test"
cmake -S "$top" -B "$top/build-asan" -DCMAKE_BUILD_TYPE=Debug -DGT7P_WERROR=ON -DGT7P_SANITIZE=ON -DGT7P_BENCH=OFF >/dev/null
cmake --build "$top/build-asan" -j"$jobs"
ctest --test-dir "$top/build-asan" -j"$((jobs * 2))" --output-on-failure

echo "== Windows suite"
sh "$top/scripts/test-windows.sh" "$top/build-ci"
