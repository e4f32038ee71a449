#!/bin/sh
# Installs what is missing, builds, and runs the terminal demo: a synthetic
# raw survey file converted to QFX and ESP, with its header fields shown.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/deps.sh"
# shellcheck disable=SC2086
gt7p_install $GT7P_BUILD_PACKAGES
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release -DGT7P_TESTS=OFF >/dev/null
cmake --build "$top/build" -j"$(nproc)" --target gt7p-cli
cli="$top/build/cli/gt7p-cli"

demo=$(mktemp -d /tmp/gt7p-demo-XXXXXX)
echo "== demo folder: $demo"
"$cli" sample --index 2 "$demo/ZS0002.T7P"
"$cli" convert "$demo/ZS0002.T7P"
"$cli" convert --format esp "$demo/ZS0002.T7P"
ls -l "$demo"
echo "== gt7p-cli info $demo/ZS0002.T7P (file header)"
"$cli" info "$demo/ZS0002.T7P" | head -n 54
echo "== first bytes of the QFX file"
od -A d -t x1 -N 144 "$demo/ZS0002.QFX"
