#!/bin/sh
# gt7p-cli.exe under Wine and the Linux gt7p-cli write the same exports
# byte for byte: SEG-Y (revision 1 and 2.0), SEG-2 and the picks table of
# raw records and of their QFX and ESP files, and the same refusal.
# usage: exports_equal.sh LINUX_CLI WINDOWS_CLI
set -eu
linux_cli=$1
windows_cli=$2
# shellcheck source=scripts/aids.sh
. "$(dirname "$0")/../../scripts/aids.sh"
enter_scratch_folder

# Replaces the hex digits of a raw file's header field at character AT.
patch() { printf '%s' "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null; }

for n in 1 2 3 4 5 6; do "$linux_cli" sample --index "$n" "r$n.T7P"; done
cp r2.T7P q.T7P; patch q.T7P 166 000C80; patch q.T7P 172 000005DC   # 12.5 us, delay 1500 us: rev 2.0
cp r1.T7P s.T7P; patch s.T7P 162 0040; patch s.T7P 166 000040      # 64 x 0.25 us before the trigger
cp r1.T7P x.T7P; patch x.T7P 162 0003; patch x.T7P 166 000040      # 3 x 0.25 us: refused
"$linux_cli" convert r5.T7P r5.QFX
"$linux_cli" convert --format esp r5.T7P r5.ESP

status=0
for input in r1.T7P r2.T7P r3.T7P r4.T7P r5.T7P r6.T7P q.T7P s.T7P r5.QFX r5.ESP; do
  for format in segy seg2; do
    out="${input%.*}-${input##*.}.$format"
    "$linux_cli" export --format "$format" "$input" "linux-$out"
    wine "$windows_cli" export --format "$format" "$input" "win-$out"
    cmp "linux-$out" "win-$out" || status=1
  done
done
"$linux_cli" picks r1.T7P r2.T7P r5.T7P q.T7P -o linux-picks.csv
wine "$windows_cli" picks r1.T7P r2.T7P r5.T7P q.T7P -o win-picks.csv
cmp linux-picks.csv win-picks.csv || status=1

"$linux_cli" export --format segy x.T7P linux-x.sgy 2>linux-x.err && status=1
wine "$windows_cli" export --format segy x.T7P win-x.sgy 2>win-x.err && status=1
cmp linux-x.err win-x.err || { cat linux-x.err win-x.err; status=1; }
[ ! -e win-x.sgy ] || status=1

[ "$status" -eq 0 ] && echo "$(ls win-* | wc -l) exports of gt7p-cli.exe equal the Linux build's"
exit "$status"
