#!/bin/sh
# Installs what is missing, builds, and runs the main job: the window on the
# built-in simulated instrument. Without a display it says so and runs the
# terminal demo instead: the simulated instrument's directory listed and
# its files fetched and converted to QFX and ESP by gt7p-cli.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/deps.sh"
# shellcheck disable=SC2086
gt7p_install $GT7P_BUILD_PACKAGES $GT7P_RUN_PACKAGES
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release -DGT7P_TESTS=OFF -DGT7P_BENCH=OFF >/dev/null
cmake --build "$top/build" -j"$(nproc)" --target gt7p-cli gt7p
cli="$top/build/cli/gt7p-cli"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "== gt7p --simulate: refresh (first button), choose the simulator's port, save"
  exec "$top/build/app/gt7p" --simulate
fi

echo "== no display: running the terminal demo instead of the window"
demo=$(mktemp -d /tmp/gt7p-demo-XXXXXX)
. "$top/scripts/aids.sh"
trap stop_started EXIT
start_simulator "$demo/port" "$cli" simulate
port=$(sim_pty "$demo/port")
echo "== simulated instrument on $port; gt7p-cli list --port $port"
"$cli" list --port "$port"
echo "== gt7p-cli get --all (QFX) and ESP of one file, into $demo"
"$cli" get --port "$port" --dest "$demo" --all
"$cli" get --port "$port" --dest "$demo" --format esp "ZS0001.DAT"
ls -l "$demo"
echo "== gt7p-cli convert of a synthetic raw file, and its header fields"
"$cli" sample --index 2 "$demo/ZS0002.T7P"
"$cli" convert "$demo/ZS0002.T7P" "$demo/ZS0002-from-raw.QFX"
cmp "$demo/ZS0002.QFX" "$demo/ZS0002-from-raw.QFX" && echo "fetched and converted-from-raw QFX files are identical"
"$cli" info "$demo/ZS0002.T7P" | head -n 54
