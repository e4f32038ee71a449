#!/bin/sh
# Builds the libFuzzer targets of fuzz/ with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time from its
# committed seeds (fuzz/corpus/TARGET); new inputs go to a scratch folder,
# never into the checkout. A crash, a failed check, a leak, a time-out or
# too much memory fails the run; libFuzzer keeps the input as crash-*,
# timeout-* or oom-* in the scratch folder, whose path is printed.
# usage: fuzz.sh [SECONDS_PER_TARGET]   (default 30; env GT7P_FUZZ_BUILD, default build-fuzz)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
build=${GT7P_FUZZ_BUILD:-$top/build-fuzz}
. "$top/scripts/deps.sh"
# shellcheck disable=SC2086
gt7p_install $GT7P_FUZZ_PACKAGES
jobs=$(nproc)

echo "== fuzz build"
CC=clang-14 CXX=clang++-14 cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGT7P_FUZZ=ON \
  -DGT7P_GUI=OFF -DGT7P_TESTS=OFF -DGT7P_BENCH=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target fuzz

scratch=$(mktemp -d)
status=0
for target in field_format layout convert directory reader export section; do
  mkdir -p "$scratch/$target"
  echo "== fuzz_$target for ${seconds} s"
  # -timeout: one input; -rss_limit_mb: the whole process; -max_len: a few
  # directory entries or a small record file.
  if (cd "$scratch/$target" && "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 "$scratch/$target" "$top/fuzz/corpus/$target" \
      >"$scratch/$target.log" 2>&1); then
    grep -E '^stat::(number_of_executed_units|peak_rss_mb|new_units_added)' "$scratch/$target.log" | tr '\n' ' '
    echo
  else
    status=1
    tail -n 40 "$scratch/$target.log"
    echo "fuzz_$target failed: inputs and log kept in $scratch"
  fi
done
[ "$status" -eq 0 ] && rm -rf "$scratch"
exit "$status"
