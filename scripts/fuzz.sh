#!/bin/sh
# Builds the libFuzzer targets of fuzz/ with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs them.
#
# fuzz.sh [SECONDS]: the random search, each target for SECONDS (default
# 30) from its committed seeds (fuzz/corpus/TARGET); new inputs go to a
# scratch folder, never into the checkout. A crash, a failed check, a
# leak, a time-out or too much memory fails the run; libFuzzer keeps the
# input as crash-*, timeout-* or oom-* in the scratch folder, whose path
# is printed. Each run tries other inputs.
#
# fuzz.sh --fixed [COUNT]: each target over its seeds and COUNT (default
# 3000) variants of them made the same way on every run
# (fuzz/variants.py): what the test run does, so that its result never
# depends on chance.
# env GT7P_FUZZ_BUILD: the build folder (default build-fuzz).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
fixed=false
if [ "${1:-}" = --fixed ]; then
  fixed=true
  shift
fi
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

status=0
# Each target runs from its corpus folder: one without would never run.
for program in "$build"/fuzz/fuzz_*; do
  [ -f "$program" ] && [ -x "$program" ] || continue
  target=${program##*/fuzz_}
  [ -d "$top/fuzz/corpus/$target" ] || { echo "fuzz_$target has no seeds in fuzz/corpus/$target"; status=1; }
done
if $fixed; then
  echo "== each target over its seeds and ${1:-3000} fixed variants"
  python3 "$top/fuzz/variants.py" "$build" "$top/fuzz/corpus" "${1:-3000}" || status=1
  exit "$status"
fi
scratch=$(mktemp -d)
kept=false
for corpus in "$top"/fuzz/corpus/*/; do
  target=$(basename "$corpus")
  if [ ! -x "$build/fuzz/fuzz_$target" ]; then
    echo "fuzz/corpus/$target: no fuzz_$target in $build/fuzz"
    status=1
    continue
  fi
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
    kept=true
    tail -n 40 "$scratch/$target.log"
    echo "fuzz_$target failed: inputs and log kept in $scratch"
  fi
done
$kept || rm -rf "$scratch"
exit "$status"
