#!/bin/bash
# What the layer overlay costs: decode + conversion of an SD stream to YUY2 and
# RGB32 with no overlay, with a transparent overlay over the whole picture, and
# with an opaque 400x200 box, all in one run. Prints the median wall time of
# each and its cost against no overlay.
#
#   bench/overlay-bench.sh [--runs 5] [--tlvdec PATH]
#
# The stream (720x576, 4:2:0, 1000 pictures, so that what is paid once per run
# hardly counts) and the two BMP overlays are made on first use in bench/work/
# (git-ignored). On a shared machine differences of a few percent are noise.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work="$here/work"
tlvdec="$here/../build/native/bin/tlvdec"
runs=5
while [ $# -gt 0 ]; do
    case $1 in
        --runs) runs=$2; shift 2 ;;
        --tlvdec) tlvdec=$2; shift 2 ;;
        *) echo "usage: $0 [--runs N] [--tlvdec PATH]" >&2; exit 2 ;;
    esac
done
[ -x "$tlvdec" ] || { echo "overlay-bench: no tlvdec at $tlvdec" >&2; exit 1; }
mkdir -p "$work"

stream="$work/overlay_sd576p_1000.m2v"
[ -f "$stream" ] || ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "testsrc2=size=720x576:rate=25" \
    -vf "noise=alls=8:allf=t:all_seed=1" -frames:v 1000 -c:v mpeg2video -g 12 -bf 2 -b:v 7000k -maxrate 9000k \
    -bufsize 1835k -f mpeg2video "$stream"

# bmp WIDTH HEIGHT BITS B G R A FILE: one colour, top-down rows.
bmp() {
    python3 - "$@" <<'PY'
import struct, sys
w, h, bits, b, g, r, a = map(int, sys.argv[1:8])
pixel = bytes([b, g, r, a][: bits // 8])
stride = (w * bits // 8 + 3) & ~3
row = (pixel * w).ljust(stride, b"\0")
header = struct.pack("<2sIHHI", b"BM", 54 + stride * h, 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, w, -h, 1, bits, 0, stride * h, 2835, 2835, 0, 0)
open(sys.argv[8], "wb").write(header + info + row * h)
PY
}
[ -f "$work/overlay_clear.bmp" ] || bmp 720 576 32 0 0 0 0 "$work/overlay_clear.bmp"
[ -f "$work/overlay_box.bmp" ] || bmp 400 200 24 40 60 200 255 "$work/overlay_box.bmp"

# median_seconds ARGS...: tlvdec run $runs times.
median_seconds() {
    local times=() i start end
    for ((i = 0; i < runs; i++)); do
        start=$(date +%s.%N)
        "$tlvdec" "$stream" --deinterlace weave -o /dev/null "$@"
        end=$(date +%s.%N)
        times+=("$(echo "$end - $start" | bc -l)")
    done
    printf '%s\n' "${times[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p"
}

printf '%-7s %12s %12s %8s %12s %8s\n' format none transparent cost box400x200 cost
for format in yuy2 rgb32; do
    none=$(median_seconds -f "$format")
    clear=$(median_seconds -f "$format" --overlay "$work/overlay_clear.bmp" 0 0)
    box=$(median_seconds -f "$format" --overlay "$work/overlay_box.bmp" 160 188)
    printf '%-7s %11.3fs %11.3fs %7.1f%% %11.3fs %7.1f%%\n' "$format" "$none" "$clear" \
        "$(echo "($clear / $none - 1) * 100" | bc -l)" "$box" "$(echo "($box / $none - 1) * 100" | bc -l)"
done
