#!/usr/bin/env bash
# Configures and builds everything into build/ (programs in build/bin/).
# With "sanitize" as argument: the same into build-sanitize/, with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = sanitize ]; then
  dir=build-sanitize
  flags=(-DWEATHER_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
else
  dir=build
  flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi
cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$dir"
