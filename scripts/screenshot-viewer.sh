#!/usr/bin/env bash
# Makes docs/viewer.png, the README's picture of the weather-file viewer: builds, makes
# a synthetic TMY2 year in build/screenshot/, converts it with tolvex and saves the
# viewer on it, zoomed to the whole period with the read-out on 4 July, as a picture
# of 64 colours (about 80 KB).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
mkdir -p build/screenshot docs
cd build/screenshot
../bin/gen_weather tmy2 synthetic.tm2
printf '%s\r\n' "Synthetic year made by gen_weather, TMY2 layout" synthetic.tm2 TMY2 synthetic.wth \
  "01/01 12/31" " 1 " " 2 " "7/4 8" "12/25 9" "03/25 10/28" >year.dat
../bin/tolvex year.dat >/dev/null
../bin/viewer_shot synthetic.wth viewer.png period 7/4 1040x720 2>/dev/null
cd ../..
convert build/screenshot/viewer.png +dither -colors 64 PNG8:docs/viewer.png
echo "docs/viewer.png: $(stat -c %s docs/viewer.png) bytes"
