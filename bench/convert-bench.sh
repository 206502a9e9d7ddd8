#!/usr/bin/env bash
# Conversion throughput of our kernels against ffmpeg's swscale doing the same
# format change on the same 4:2:0 pictures, SD 720x576 and HD 1920x1080.
#
#   bench/convert-bench.sh [--bench PATH/convert_bench] [--seconds S] [--tier best|mmx|sse|sse2|avx2]
#
# Ours: convert_bench (build it with `cmake --build --preset native --target convert_bench`),
# megapixels per second of CPU time at the tier the dispatcher picks, in each deinterlace
# mode (progressive, weave, bob, bob2: two samples per picture, one per field).
# swscale: ffmpeg -threads 1 decoding raw yuv420p and converting to the matching
# pixel format into the null muxer; its conversion time is the user time of that
# run minus the user time of the same run without a conversion (YV12: the copy
# filter, a plane copy like ours). Ratio = our MP/s / swscale MP/s.
# For the RGB formats a second swscale figure runs it with accurate_rnd and
# full_chroma_int: every pixel's own chroma and exact rounding, the work our RGB
# kernels do; its ratio is the last column (swscale's default shares one chroma
# sample between the two pixels of a pair and rounds in 16 bits).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bench="$root/build/native/bin/convert_bench"
seconds=1
tier=best
while [ $# -gt 0 ]; do
    case "$1" in
    --bench) bench="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    --tier) tier="$2"; shift 2 ;;
    *) echo "usage: $0 [--bench PATH] [--seconds S] [--tier best|mmx|sse|sse2|avx2]" >&2; exit 2 ;;
    esac
done
[ -x "$bench" ] || { echo "no convert_bench at $bench (build the convert_bench target)" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "ffmpeg not found" >&2; exit 1; }

work="$root/bench/work"
mkdir -p "$work"

# name:swscale pix_fmt:extra filter
formats="yuy2:yuyv422: uyvy:uyvy422: yv12:yuv420p:copy rgb32:bgra: rgb24:bgr24: rgb565:rgb565le: rgb555:rgb555le:"

# User seconds of one ffmpeg run over the clip, looped to $frames frames.
ffmpeg_utime() {
    local clip=$1 size=$2 frames=$3 pixfmt=$4 filter=$5 flags=${6:-bilinear}
    local args=(-hide_banner -nostdin -benchmark -threads 1 -filter_threads 1
                -stream_loop -1 -f rawvideo -pix_fmt yuv420p -s "$size" -i "$clip"
                -frames:v "$frames" -an -sws_flags "$flags")
    [ -n "$filter" ] && args+=(-vf "$filter")
    args+=(-threads 1 -pix_fmt "$pixfmt" -f null -)
    ffmpeg "${args[@]}" 2>&1 | sed -n 's/.*bench: utime=\([0-9.]*\)s.*/\1/p' | tail -1
}

printf '%-7s %-10s %-5s %-12s %10s %12s %8s %12s %8s\n' format size tier mode "ours MP/s" "swscale MP/s" ratio \
    "exact MP/s" ratio
for size in 720x576 1920x1080; do
    w=${size%x*}; h=${size#*x}
    clip="$work/convert-$size.yuv"
    if [ ! -s "$clip" ]; then
        ffmpeg -hide_banner -nostdin -loglevel error -f lavfi -i "testsrc2=size=$size:rate=25" \
            -frames:v 8 -pix_fmt yuv420p -f rawvideo -y "$clip"
    fi
    # About two seconds of swscale work per format at a few hundred MP/s.
    frames=$(( 600000000 / (w * h) ))
    base=$(ffmpeg_utime "$clip" "$size" "$frames" yuv420p "")
    ours=$("$bench" --size "$size" --seconds "$seconds" --tier "$tier" --mode all)
    for f in $formats; do
        name=${f%%:*}; rest=${f#*:}; pixfmt=${rest%%:*}; filter=${rest#*:}
        t=$(ffmpeg_utime "$clip" "$size" "$frames" "$pixfmt" "$filter")
        exact=""
        case "$name" in rgb*)
            exact=$(ffmpeg_utime "$clip" "$size" "$frames" "$pixfmt" "$filter" bilinear+accurate_rnd+full_chroma_int) ;;
        esac
        echo "$ours" | awk -v n="$name" '$1 == n' | while read -r _ _ our_tier mode our_mpps _; do
            awk -v n="$name" -v s="$size" -v tier="$our_tier" -v mode="$mode" -v ours="$our_mpps" -v t="$t" \
                -v e="$exact" -v b="$base" -v fr="$frames" -v w="$w" -v h="$h" '
                function column(u) {
                    if (u == "") return sprintf(" %12s %8s", "-", "-")
                    if (u - b <= 0.001) return sprintf(" %12s %8s", "n/a", "n/a")
                    sws = fr * w * h / (u - b) / 1e6
                    return sprintf(" %12.1f %8.2f", sws, ours / sws)
                }
                BEGIN { printf "%-7s %-10s %-5s %-12s %10.1f%s%s\n", n, s, tier, mode, ours, column(t), column(e) }'
        done
    done
done
