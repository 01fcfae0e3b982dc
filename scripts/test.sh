#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite twice: once plainly, once under
# AddressSanitizer and UndefinedBehaviorSanitizer; then a short fuzz run of every reader.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
ctest --test-dir build --output-on-failure -j "$(nproc)"
scripts/build.sh sanitize
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)"
# A short fuzz run of every reader (about ten seconds each).
FUZZ_SECONDS=10 scripts/fuzz-smoke.sh
