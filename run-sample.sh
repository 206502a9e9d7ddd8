#!/bin/sh
# The main job on the bundled sample: decode it with tlvdec, print what was found
# and keep the decoded pictures in out/sample/.
set -e
cd "$(dirname "$0")"
. scripts/packages.sh
scripts/ensure-packages.sh $TL_BUILD_PACKAGES

SAMPLE=tests/streams/intl_tff_ogop.m2v
OUT=out/sample
mkdir -p "$OUT"

cmake --preset native >/dev/null
cmake --build --preset native --target tlvdec

build/native/bin/tlvdec "$SAMPLE" --info -o "$OUT/pictures.yuv" --snapshot 10 "$OUT/picture10.bmp" |
  tee "$OUT/info.txt"
echo "Decoded pictures (raw planar 4:2:0, 352x576): $OUT/pictures.yuv"
echo "Picture 10 as an image: $OUT/picture10.bmp"
