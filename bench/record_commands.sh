#!/bin/sh
# Speed and peak memory of gt7p-cli plot, export and picks against convert,
# as whole processes, on a 39 MB raw record A (150 channels of 65535
# samples: SEG-Y revision 2.0) and a record B of 150 channels of 32767
# samples (SEG-Y revision 1), each against convert of the same record.
# Goals: plot <= 4x convert, export <= 2x convert (medians); peak memory
# that does not grow with the record (one channel at a time): each command
# also runs on a record 4 times larger.
# Usage: bench/record_commands.sh BUILD_DIR [RUNS]
set -eu
cli=$(find "${1:?build folder}" -name gt7p-cli -type f | head -n 1)
runs=${2:-7}
dir=$(mktemp -d /tmp/gt7p-bench-XXXXXX)
trap 'rm -rf "$dir"' EXIT
"$cli" sample --channels 150 --samples 65535 "$dir/A.T7P"
"$cli" sample --channels 150 --samples 32767 "$dir/B.T7P"
"$cli" sample --channels 600 --samples 65535 "$dir/BIG.T7P"
python3 - "$cli" "$dir" "$runs" <<'PY'
import os, statistics, subprocess, sys, time
cli, d, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
p = lambda name: os.path.join(d, name)

def run(args):
    """Wall time and peak resident memory (MB) of one process."""
    t = time.monotonic()
    child = subprocess.Popen([cli] + args, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.monotonic() - t
    if status != 0:
        sys.exit("failed: gt7p-cli " + " ".join(args))
    return wall, usage.ru_maxrss / 1024

def median(args):
    run(args)  # warm the file cache
    return statistics.median(run(args)[0] for _ in range(runs))

commands = {
    "convert A": ["convert", p("A.T7P"), p("A.QFX")],
    "plot A": ["plot", p("A.T7P"), "-o", p("A.png")],
    "export seg2 A": ["export", "--format", "seg2", p("A.T7P"), p("A.sg2")],
    "export seg2 A.QFX": ["export", "--format", "seg2", p("A.QFX"), p("Aq.sg2")],
    "export segy A": ["export", "--format", "segy", p("A.T7P"), p("A.sgy")],
    "export segy A.QFX": ["export", "--format", "segy", p("A.QFX"), p("Aq.sgy")],
    "picks A": ["picks", p("A.T7P"), "-o", p("A.csv")],
    "convert B": ["convert", p("B.T7P"), p("B.QFX")],
    "export segy B": ["export", "--format", "segy", p("B.T7P"), p("B.sgy")],
}
print(f"raw A {os.path.getsize(p('A.T7P'))/1e6:.1f} MB (150 x 65535), B {os.path.getsize(p('B.T7P'))/1e6:.1f} MB "
      f"(150 x 32767); medians of {runs} runs")
t = {name: median(args) for name, args in commands.items()}
for name, value in t.items():
    print(f"  {name:<20} {value*1000:8.1f} ms")
print(f"plot A / convert A          {t['plot A']/t['convert A']:.2f}  (goal <= 4)")
print(f"export seg2 A / convert A   {t['export seg2 A']/t['convert A']:.2f}  (goal <= 2)")
print(f"export seg2 A.QFX / conv A  {t['export seg2 A.QFX']/t['convert A']:.2f}")
print(f"export segy A / convert A   {t['export segy A']/t['convert A']:.2f}  (goal <= 2; revision 2.0)")
print(f"export segy A.QFX / conv A  {t['export segy A.QFX']/t['convert A']:.2f}")
print(f"export segy B / convert B   {t['export segy B']/t['convert B']:.2f}  (goal <= 2; revision 1)")

print("peak resident memory, record of 150 channels -> of 600 channels:")
for name, small, big in [
    ("convert", ["convert", p("A.T7P"), p("m.QFX")], ["convert", p("BIG.T7P"), p("m.QFX")]),
    ("plot", ["plot", p("A.T7P"), "-o", p("m.png")], ["plot", p("BIG.T7P"), "-o", p("m.png")]),
    ("export seg2", ["export", "--format", "seg2", p("A.T7P"), p("m.sg2")],
     ["export", "--format", "seg2", p("BIG.T7P"), p("m.sg2")]),
    ("export segy", ["export", "--format", "segy", p("A.T7P"), p("m.sgy")],
     ["export", "--format", "segy", p("BIG.T7P"), p("m.sgy")]),
    ("picks", ["picks", p("A.T7P"), "-o", p("m.csv")], ["picks", p("BIG.T7P"), "-o", p("m.csv")]),
]:
    print(f"  {name:<12} {run(small)[1]:6.1f} MB -> {run(big)[1]:6.1f} MB")
PY
