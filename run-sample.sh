#!/bin/sh
# The main job on the bundled sample: decode it with tlvdec and print what was
# found, then play it through the filter in a real DirectShow graph under Wine,
# grabbing every frame and taking pictures of the system renderer's window: plain,
# with a text layer over the video, and with the information overlay plug-in; and
# a picture of each of the filter's property pages.
# Everything lands in out/sample/.
set -e
cd "$(dirname "$0")"
. scripts/packages.sh
scripts/ensure-packages.sh $TL_BUILD_PACKAGES $TL_WINDOWS_PACKAGES

SAMPLE=tests/streams/intl_tff_ogop.m2v
OUT=out/sample
rm -rf "$OUT"
mkdir -p "$OUT"

cmake --preset native >/dev/null
cmake --build --preset native --target tlvdec
build/native/bin/tlvdec "$SAMPLE" --info -o "$OUT/pictures.yuv" --snapshot 10 "$OUT/picture10.bmp" |
  tee "$OUT/info.txt"

# The filter (x64 build: this machine runs 64-bit Windows code only) registered in
# the build tree's own Wine prefix, the one tlvplay then runs in.
cmake --preset mingw-x64 >/dev/null
cmake --build --preset mingw-x64 --target tlVideoDecoder tlvplay tlframedriver
WIN=build/mingw-x64/bin
export WINEPREFIX="$PWD/build/mingw-x64/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wine regsvr32 /s "$WIN/tlVideoDecoder.ax"
cmake/wine-run "$WIN/tlvplay.exe" "$SAMPLE" --renderer grab "$OUT/frames" --format rgb24 | tee -a "$OUT/info.txt"
scripts/renderer-screenshot.sh "$WIN/tlvplay.exe" "$SAMPLE" vmr9 "$OUT/renderer.png"
scripts/renderer-screenshot.sh "$WIN/tlvplay.exe" "$SAMPLE" vmr9 "$OUT/renderer-layer.png" \
  --osd-text "Tarvello MPEG Video Decoder" --osd-rect 16,16,336,72 --osd-colors 0xA0000040,0xFFFFFF00
scripts/renderer-screenshot.sh "$WIN/tlvplay.exe" "$SAMPLE" vmr9 "$OUT/renderer-info.png" --plugin InfoLayer
scripts/property-page-screenshots.sh "$WIN" "$SAMPLE" "$OUT/pages"

echo
echo "Decoded by tlvdec (raw planar 4:2:0, 352x576): $OUT/pictures.yuv; picture 10: $OUT/picture10.bmp"
echo "Frames the filter delivered in a DirectShow graph: $OUT/frames/ ($(ls "$OUT/frames" | wc -l) BMP files;"
echo "  the sample is interlaced, so the default deinterlacing gives two frames per picture)"
echo "The system video renderer (VMR-9) showing the sample: $OUT/renderer.png"
echo "The same with a text layer (yellow on translucent blue) over its top: $OUT/renderer-layer.png"
echo "The same with the information overlay plug-in's live report: $OUT/renderer-info.png"
echo "The filter's property pages while the sample plays: $OUT/pages/ ($(ls "$OUT/pages" | wc -l) PNG files)"
