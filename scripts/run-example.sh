#!/usr/bin/env bash
# Sets up, builds, and runs the bundled examples (examples/, installed with the
# package's documentation) with the built converters in a copy of the folder,
# build/example/; the logs stay beside the converters in build/bin/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
rm -rf build/example
cp -r examples build/example
cd build/example
# A week of the generator's synthetic weather as TMY2 and as EPW, and a template.
for control in tmy2 epw template; do
  ../bin/tolvex $control.dat
  echo "tolvex wrote build/example/$control.wth ($(wc -l < $control.wth) lines) from $control.dat"
done
head -n 14 tmy2.wth
echo "log: build/bin/TOLVEX.LOG"
echo
../bin/renval upgrade.dat
echo "renval wrote build/example/upgraded.wth and upgraded.ctm; log build/bin/RENVAL.LOG"
head -n 14 upgraded.wth
