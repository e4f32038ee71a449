#!/bin/sh
# Peak resident memory of gt7p-cli convert on a raw file of about 1 GB
# (4000 channels of 65535 samples). Goal: streaming, at most 16 MB.
# Usage: bench/convert_memory.sh BUILD_DIR [CHANNELS]
set -eu
cli=$(find "${1:?build folder}" -name gt7p-cli -type f | head -n 1)
channels=${2:-4000}
dir=$(mktemp -d /tmp/gt7p-mem-XXXXXX)
trap 'rm -rf "$dir"' EXIT
"$cli" sample --channels "$channels" --samples 65535 "$dir/BIG.T7P"
python3 - "$cli" "$dir" <<'PY'
import os, resource, subprocess, sys, time
cli, d = sys.argv[1], sys.argv[2]
raw = os.path.join(d, "BIG.T7P")
t = time.monotonic()
subprocess.run([cli, "convert", raw, os.path.join(d, "BIG.QFX")], check=True)
wall = time.monotonic() - t
peak_kb = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
print(f"raw {os.path.getsize(raw)/1e6:.0f} MB -> QFX {os.path.getsize(os.path.join(d, 'BIG.QFX'))/1e6:.0f} MB "
      f"in {wall:.2f} s, peak RSS {peak_kb/1024:.1f} MB")
PY
