#!/bin/sh
# The VMR-9 renderer on Xvfb showing the bundled sample under an opaque green
# text layer across the middle of the picture (tlvplay --osd-text): the window
# must be green where the layer is. The picture is kept in the build tree.
# Exit 77 (skipped) without xvfb-run, xwininfo or imagemagick.
# usage: tlvplay_layer_screenshot.sh TLVPLAY_EXE MODULE_AX SOURCE_DIR OUTPUT_PNG
set -u
tlvplay=$1 module=$2 source_dir=$3 shot=$4
. "$(dirname "$0")/tlvplay_screenshot_setup.sh"
# Rows 200 to 375 of the 352 x 576 picture; the text sits at the layer's top.
shoot vmr9 --osd-text "Tarvello layers" --osd-rect 8,200,344,376 --osd-colors 0xFF00C000,0xFFFFFFFF ||
    { echo "FAIL: no screenshot"; exit 1; }
echo "screenshot: $shot"
width=$(convert "$shot" -format "%w" info:)
height=$(convert "$shot" -format "%h" info:)
# The middle half of the window's width, 45% to 55% of its height: inside the layer, below its text.
band=$(convert "$shot" -crop "$((width / 2))x$((height / 10))+$((width / 4))+$((height * 45 / 100))" +repage \
       -format "%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]" info:)
echo "layer band red, green, blue: $band"
echo "$band" | awk '{ exit !($2 > 0.55 && $1 < 0.25 && $3 < 0.25) }' || { echo "FAIL: no green layer"; exit 1; }
