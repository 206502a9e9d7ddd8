#!/usr/bin/env bash
# Conversion throughput of our kernels against ffmpeg's swscale doing the same
# format change on the same 4:2:0 pictures, SD 720x576 and HD 1920x1080.
#
#   bench/convert-bench.sh [--bench PATH/convert_bench] [--seconds S] [--tier best|mmx|sse|sse2|avx2]
#
# Ours: convert_bench (build it with `cmake --build --preset native --target convert_bench`),
# megapixels per second of conversion time at the tier the dispatcher picks, in each
# deinterlace mode (progressive, weave, bob, bob2: two samples per picture, one per
# field), each picture rewritten untimed before its conversion, as the decoder
# leaves it (and as ffmpeg's raw reader leaves the frame swscale converts).
# swscale: ffmpeg -threads 1 decoding raw yuv420p and converting to the matching
# pixel format into the null muxer; its conversion time is the user time of that
# run minus the user time of the same run without a conversion (YV12: the copy
# filter, a plane copy like ours), each the best of three runs. Three swscale
# columns, each with its ratio our MP/s / swscale MP/s:
# - swscale as it runs here, with every instruction set this processor has;
# - sws-SSE2: the same with ffmpeg's -cpuflags limited to MMX, SSE and SSE2,
#   what swscale does on a processor without SSSE3 or AVX: the measure for our
#   SSE2 tier (--tier sse2);
# - exact (RGB formats): accurate_rnd and full_chroma_int, every pixel's own
#   chroma and exact rounding, the work our RGB kernels do (swscale's default
#   shares one chroma sample between the two pixels of a pair and rounds in
#   16 bits).
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

# User seconds of ffmpeg over the clip looped to $frames frames: the best of
# three runs. Flags: swscale's, then optional -cpuflags.
ffmpeg_utime() {
    local clip=$1 size=$2 frames=$3 pixfmt=$4 filter=$5 flags=${6:-bilinear} cpu=${7:-}
    local args=(-hide_banner -nostdin -benchmark -threads 1 -filter_threads 1)
    [ -n "$cpu" ] && args+=(-cpuflags "$cpu")
    args+=(-stream_loop -1 -f rawvideo -pix_fmt yuv420p -s "$size" -i "$clip"
           -frames:v "$frames" -an -sws_flags "$flags")
    [ -n "$filter" ] && args+=(-vf "$filter")
    args+=(-threads 1 -pix_fmt "$pixfmt" -f null -)
    for _ in 1 2 3; do
        ffmpeg "${args[@]}" 2>&1 | sed -n 's/.*bench: utime=\([0-9.]*\)s.*/\1/p' | tail -1
    done | sort -g | head -1
}

# What swscale gets on a processor with SSE2 and nothing newer, the floor our
# SSE2 tier is built for.
sse2_cpu=mmx+mmxext+sse+sse2+cmov

printf '%-7s %-10s %-5s %-12s %10s %9s %6s %10s %6s %10s %6s\n' format size tier mode "ours MP/s" \
    "swscale" ratio "sws-SSE2" ratio "exact" ratio
for size in 720x576 1920x1080; do
    w=${size%x*}; h=${size#*x}
    clip="$work/convert-$size.yuv"
    if [ ! -s "$clip" ]; then
        ffmpeg -hide_banner -nostdin -loglevel error -f lavfi -i "testsrc2=size=$size:rate=25" \
            -frames:v 8 -pix_fmt yuv420p -f rawvideo -y "$clip"
    fi
    # About a second of swscale work per run at its fastest: the figures are
    # differences of two runs, and shorter runs left them noisy.
    frames=$(( 3000000000 / (w * h) ))
    slow_frames=$(( frames / 10 ))  # the exact path runs about a tenth as fast
    # A plane copy takes a tenth of a second over those frames, as little as
    # the run's own noise: five times as many for YV12.
    copy_frames=$(( frames * 5 ))
    base=$(ffmpeg_utime "$clip" "$size" "$frames" yuv420p "")
    base_sse2=$(ffmpeg_utime "$clip" "$size" "$frames" yuv420p "" bilinear "$sse2_cpu")
    base_slow=$(ffmpeg_utime "$clip" "$size" "$slow_frames" yuv420p "")
    base_copy=$(ffmpeg_utime "$clip" "$size" "$copy_frames" yuv420p "")
    base_copy_sse2=$(ffmpeg_utime "$clip" "$size" "$copy_frames" yuv420p "" bilinear "$sse2_cpu")
    ours=$("$bench" --size "$size" --seconds "$seconds" --tier "$tier" --mode all)
    for f in $formats; do
        name=${f%%:*}; rest=${f#*:}; pixfmt=${rest%%:*}; filter=${rest#*:}
        n=$frames; b=$base; b2=$base_sse2
        [ "$name" = yv12 ] && { n=$copy_frames; b=$base_copy; b2=$base_copy_sse2; }
        t=$(ffmpeg_utime "$clip" "$size" "$n" "$pixfmt" "$filter")
        t_sse2=$(ffmpeg_utime "$clip" "$size" "$n" "$pixfmt" "$filter" bilinear "$sse2_cpu")
        exact=""
        case "$name" in rgb*)
            exact=$(ffmpeg_utime "$clip" "$size" "$slow_frames" "$pixfmt" "$filter" bilinear+accurate_rnd+full_chroma_int) ;;
        esac
        echo "$ours" | awk -v n="$name" '$1 == n' | while read -r _ _ our_tier mode our_mpps _; do
            awk -v n="$name" -v s="$size" -v tier="$our_tier" -v mode="$mode" -v ours="$our_mpps" -v w="$w" -v h="$h" \
                -v t="$t" -v b="$b" -v fr="$n" -v t2="$t_sse2" -v b2="$b2" \
                -v e="$exact" -v be="$base_slow" -v fe="$slow_frames" '
                function column(u, base, frames) {
                    if (u == "") return sprintf(" %10s %6s", "-", "-")
                    if (u - base <= 0.001) return sprintf(" %10s %6s", "n/a", "n/a")
                    sws = frames * w * h / (u - base) / 1e6
                    return sprintf(" %10.1f %6.2f", sws, ours / sws)
                }
                BEGIN { printf "%-7s %-10s %-5s %-12s %10.1f%s%s%s\n", n, s, tier, mode, ours,
                        column(t, b, fr), column(t2, b2, fr), column(e, be, fe) }'
        done
    done
done
