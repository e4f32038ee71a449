#!/bin/sh
# Rebuilds the golden conversion and export outputs from the committed raw file.
# Usage: tests/golden/regen.sh BUILD_DIR   (after a deliberate format change)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cli=$(find "${1:?build folder}" -name gt7p-cli -type f | head -n 1)
[ -f "$here/small.T7P" ] || "$cli" sample --index 2 --channels 3 --samples 16 "$here/small.T7P"
"$cli" convert --format qfx "$here/small.T7P" "$here/small.QFX"
"$cli" convert --format esp "$here/small.T7P" "$here/small.ESP"
"$cli" export --format segy "$here/small.T7P" "$here/small.sgy"
"$cli" export --format seg2 "$here/small.T7P" "$here/small.sg2"
