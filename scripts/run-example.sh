#!/usr/bin/env bash
# Sets up, builds, and converts the bundled example: the weather file and the log land
# in build/example/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
mkdir -p build/example
cp examples/*.dat examples/example-1.0.wth build/example/
cd build/example
# The TMY2 example is a synthetic year from the project's own generator.
../bin/gen_weather tmy2 synthetic.tm2
../bin/tolvex tmy2.dat
echo "tolvex wrote build/example/synthetic.wth ($(wc -l < synthetic.wth) lines) from a TMY2 year; log build/bin/TOLVEX.LOG"
head -n 6 synthetic.wth
sed -n '372,376p' synthetic.wth
echo
../bin/tolvex template.dat
echo "tolvex wrote build/example/template.wth ($(wc -l < template.wth) lines)"
echo
../bin/renval upgrade.dat
echo "renval wrote build/example/upgraded.wth and upgraded.ctm; log build/bin/RENVAL.LOG"
head -n 14 upgraded.wth
