#!/usr/bin/env bash
# Sets up, builds, and converts the bundled example: the weather file and the log land
# in build/example/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
mkdir -p build/example
cp examples/template.dat examples/upgrade.dat examples/example-1.0.wth build/example/
cd build/example
../bin/tolvex template.dat
echo "tolvex wrote build/example/template.wth ($(wc -l < template.wth) lines); log build/bin/TOLVEX.LOG"
head -n 12 template.wth
echo
../bin/renval upgrade.dat
echo "renval wrote build/example/upgraded.wth and upgraded.ctm; log build/bin/RENVAL.LOG"
head -n 14 upgraded.wth
