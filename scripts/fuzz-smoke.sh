#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/) with clang into build-fuzz/ and runs each for a few
# seconds, FUZZ_SECONDS (default 10), from its seed corpus fuzz/corpus/<target>/ and
# its past findings fuzz/regressions/<target>/.  Installs clang 14 with its sanitizer
# and libFuzzer runtimes when they are missing (as root or through sudo).  Exit status
# 1 when a target finds a crash, hang, leak or sanitizer report; libFuzzer keeps the
# input as build-fuzz/<target>-crash-... (or -timeout-, -leak-, -oom-).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh clang-14 libclang-rt-14-dev

seconds=${FUZZ_SECONDS:-10}
targets=(tolvex_control tmy2 ee renval_control weather10 wth)

CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DWEATHER_FUZZ=ON -DWEATHER_BUILD_TESTS=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target fuzz_targets

# New inputs go to a scratch corpus; the committed corpora are only read.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in "${targets[@]}"; do
  mkdir -p "$work/$target"
  seeds=(fuzz/corpus/"$target")
  [ -d fuzz/regressions/"$target" ] && seeds+=(fuzz/regressions/"$target")
  # -close_fd_mask=2: the converters' messages would flood the standard error stream;
  # libFuzzer and the sanitizers still report on a stream of their own.
  if build-fuzz/bin/fuzz_"$target" -max_total_time="$seconds" -timeout=10 -close_fd_mask=2 \
       -artifact_prefix=build-fuzz/"$target"- "$work/$target" "${seeds[@]}" \
       >"$work/$target.log" 2>&1; then
    echo "fuzz_$target: $(grep -E '^#[0-9]+[[:space:]]+DONE' "$work/$target.log" | tail -n 1)"
  else
    echo "fuzz_$target FAILED:"
    tail -n 60 "$work/$target.log"
    status=1
  fi
done
exit $status
