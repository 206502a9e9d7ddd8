#!/bin/sh
# A system video renderer on Xvfb showing the bundled sample: the picture of its
# window is kept in the build tree as an artifact and must show the video lit and
# the right way up (the sample's dark time-code box is at its top left, above the
# red bar). Exit 77 (skipped) without xvfb-run, xwininfo or imagemagick.
# usage: tlvplay_screenshot.sh TLVPLAY_EXE MODULE_AX SOURCE_DIR RENDERER OUTPUT_PNG
set -u
tlvplay=$1 module=$2 source_dir=$3 renderer=$4 shot=$5
. "$(dirname "$0")/tlvplay_screenshot_setup.sh"
shoot "$renderer" || { echo "FAIL: no screenshot"; exit 1; }
echo "screenshot: $shot"
# Mean of a channel over a part of the picture, 0 to 1.
mean() { convert "$shot" -crop "$2" +repage -format "%[fx:$1]" info:; }
height=$(convert "$shot" -format "%h" info:)
whole=$(mean mean 100%x100%+0+0)
box=$(mean mean.r 24x6+4+20)
bar=$(mean mean.r 24x6+4+$((height - 26)))
echo "brightness of the window $whole; red below the time code $box, at the bottom left $bar"
awk -v w="$whole" 'BEGIN { exit !(w > 0.1) }' || { echo "FAIL: the window is dark"; exit 1; }
awk -v t="$box" -v b="$bar" 'BEGIN { exit !(t < 0.6 * b) }' || { echo "FAIL: the picture is upside down"; exit 1; }
