#!/bin/sh
# The VMR-9 renderer on Xvfb with the information overlay switched on for the run
# (tlvplay --plugin InfoLayer), drawn on an opaque navy box for the check: the
# box must cover its viewport on the window and carry light text, the report.
# The plug-in's appearance values are removed again afterwards.
# Exit 77 (skipped) without xvfb-run, xwininfo or imagemagick.
# usage: tlvplay_info_layer_screenshot.sh TLVPLAY_EXE MODULE_AX SOURCE_DIR OUTPUT_PNG
set -u
tlvplay=$1 module=$2 source_dir=$3 shot=$4
. "$(dirname "$0")/tlvplay_screenshot_setup.sh"
key='HKCU\Software\Kelmarin Systems GmbH\Video Decoder\Plugins\InfoLayer'
# Rows 8 to 399 and the picture's whole width but 8 pixels each side, of 352 x 576.
set_value() { wine reg add "$key" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null; }
set_value dwBackgroundColor 0xFF000080
set_value dwForegroundColor 0xFFFFFFFF
set_value dwViewPortLeft 8
set_value dwViewPortTop 8
set_value dwViewPortRight 344
set_value dwViewPortBottom 400
shoot vmr9 --plugin InfoLayer
status=$?
for value in dwBackgroundColor dwForegroundColor dwViewPortLeft dwViewPortTop dwViewPortRight dwViewPortBottom; do
    wine reg delete "$key" /v $value /f >/dev/null 2>&1
done
[ $status -eq 0 ] || { echo "FAIL: no screenshot"; exit 1; }
echo "screenshot: $shot"
width=$(convert "$shot" -format "%w" info:)
height=$(convert "$shot" -format "%h" info:)
# Inside the box: 5% to 95% of the window's width, 3% to 67% of its height.
box="$((width * 9 / 10))x$((height * 64 / 100))+$((width / 20))+$((height * 3 / 100))"
navy=$(convert "$shot" -crop "$box" +repage -fx "b > 0.4 && b < 0.6 && r < 0.1 && g < 0.1 ? 1 : 0" \
       -format "%[fx:mean]" info:)
light=$(convert "$shot" -crop "$box" +repage -fx "r > 0.7 && g > 0.7 && b > 0.7 ? 1 : 0" \
        -format "%[fx:mean]" info:)
# Below the box the video shows: no navy there (its colour bars are brighter).
below=$(convert "$shot" -crop "$((width * 9 / 10))x$((height / 5))+$((width / 20))+$((height * 75 / 100))" +repage \
        -fx "b > 0.4 && b < 0.6 && r < 0.1 && g < 0.1 ? 1 : 0" -format "%[fx:mean]" info:)
echo "navy inside: $navy, light text inside: $light, navy below: $below"
echo "$navy $light $below" | awk '{ exit !($1 > 0.6 && $2 > 0.02 && $3 < 0.05) }' ||
    { echo "FAIL: no information overlay on the window"; exit 1; }
