#!/usr/bin/env bash
# Sets up, builds, and converts the bundled example: the weather file and the log land
# in build/example/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
mkdir -p build/example
cp examples/template.dat build/example/
cd build/example
../bin/tolvex template.dat
echo "Weather file: build/example/template.wth ($(wc -l < template.wth) lines)"
echo "Log:          build/bin/TOLVEX.LOG"
head -n 12 template.wth
