#!/usr/bin/env bash
# Makes docs/viewer.png, the README's picture of the weather-file viewer: builds, makes
# the synthetic TMY2 year of the example (examples/tmy2.dat) in build/example/,
# converts it with tolvex and saves the viewer on it, zoomed to the whole period with
# the read-out on 4 July, as a picture of 64 colours (about 80 KB).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
mkdir -p build/example docs
cp examples/tmy2.dat build/example/
(cd build/example && ../bin/gen_weather tmy2 synthetic.tm2 && ../bin/tolvex tmy2.dat >/dev/null)
build/bin/viewer_shot build/example/synthetic.wth build/example/viewer.png period 7/4 2>/dev/null
convert build/example/viewer.png +dither -colors 64 PNG8:docs/viewer.png
echo "docs/viewer.png: $(stat -c %s docs/viewer.png) bytes"
