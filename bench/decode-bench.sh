#!/usr/bin/env bash
# Whole-stream decoding speed and memory of tlvdec against libmpeg2 (mpeg2dec) and
# ffmpeg, on the same streams in the same run. The streams are generated here on first
# use into bench/work/ (git-ignored): SD 720x576 and HD 1920x1080, both interlaced 4:2:0
# with B pictures, at broadcast-like bit rates; a 4:2:2 SD interlaced stream (studio
# contribution) and a progressive 1280x720 stream.
#
# Usage: bench/decode-bench.sh [--runs N] [--cpu plain|mmx|sse|sse2|avx2] [--tlvdec PATH] [--only sd|hd|422|720p]
#
# For each decoder and stream: the best and the median wall time of N runs (default 5),
# the decoders taking turns run by run, pictures per second (of the best run) and the
# peak resident set size. Ratios: speed = their best time / our best time (above 1
# means we are faster), memory = our peak / their peak (below 1 means we use less).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
# The decoders we compare against, and ffmpeg to make the streams.
. "$root/scripts/packages.sh"
"$root/scripts/ensure-packages.sh" $TL_ORACLE_PACKAGES
work="$here/work"

runs=5
cpu=
only=
tlvdec="$root/build/native/bin/tlvdec"

usage() {
    sed -n 's/^# Usage: /usage: /p' "$0" >&2
    exit 2
}

while [ $# -gt 0 ]; do
    case "$1" in
    --runs) runs=${2:?}; shift 2 ;;
    --cpu)
        cpu=${2:?}
        case "$cpu" in plain | mmx | sse | sse2) ;; *) usage ;; esac
        shift 2
        ;;
    --tlvdec) tlvdec=${2:?}; shift 2 ;;
    --only)
        only=${2:?}
        case "$only" in sd | hd | 422 | 720p) ;; *) usage ;; esac
        shift 2
        ;;
    -h | --help) usage ;;
    *) usage ;;
    esac
done
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || usage

for tool in ffmpeg mpeg2dec; do
    command -v "$tool" >/dev/null || { echo "decode-bench: $tool is required" >&2; exit 1; }
done

have_tlvdec=1
if [ ! -x "$tlvdec" ]; then
    have_tlvdec=0
    echo "decode-bench: tlvdec not found at $tlvdec; build it first" >&2
    echo "  (cmake --preset native && cmake --build --preset native --target tlvdec)." >&2
    echo "  Measuring the other decoders only; ratios are n/a." >&2
fi

have_time=1
[ -x /usr/bin/time ] || have_time=0
if [ "$have_time" = 0 ]; then
    echo "decode-bench: /usr/bin/time is missing; peak memory is sampled from /proc/PID/status" \
        "(VmHWM) every 50 ms, which can miss a peak reached just before exit; the polling also costs some time." >&2
fi

mkdir -p "$work"

# make_stream NAME PICTURES ENCODER-AND-FILTER-OPTIONS...: encoded once; a stamp of the
# options makes a changed recipe regenerate the stream.
make_stream() {
    local name=$1 pictures=$2
    shift 2
    local file="$work/$name.m2v" stamp="$work/$name.recipe"
    local recipe="$pictures $*"
    if [ -f "$file" ] && [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
        return
    fi
    echo "decode-bench: generating $file ($pictures pictures)" >&2
    ffmpeg -hide_banner -loglevel error -nostdin -y "$@" -frames:v "$pictures" -c:v mpeg2video \
        -f mpeg2video "$file"
    echo "$recipe" >"$stamp"
}

# Rendered at the field rate and woven, so the fields differ in time; light temporal
# noise gives the synthetic pattern enough texture to fill a broadcast bit rate.
woven="noise=alls=8:allf=t:all_seed=1,gblur=sigma=0.8,tinterlace=mode=interleave_top,setfield=tff"
interlaced_b=(-flags +ildct+ilme -top 1 -g 12 -bf 2 -sc_threshold 1000000000)

streams=()
if [ -z "$only" ] || [ "$only" = sd ]; then
    make_stream sd576i 300 -f lavfi -i "testsrc2=size=720x576:rate=50" -vf "$woven" "${interlaced_b[@]}" \
        -b:v 7000k -maxrate 9000k -bufsize 1835k -aspect 4:3
    streams+=("sd576i:300")
fi
if [ -z "$only" ] || [ "$only" = hd ]; then
    make_stream hd1080i 150 -f lavfi -i "testsrc2=size=1920x1080:rate=50" -vf "$woven" "${interlaced_b[@]}" -b:v 18000k -maxrate 20000k -bufsize 9781k
    streams+=("hd1080i:150")
fi
if [ -z "$only" ] || [ "$only" = 422 ]; then
    make_stream sd422i 200 -f lavfi -i "testsrc2=size=720x576:rate=50" -vf "$woven,format=yuv422p" \
        "${interlaced_b[@]}" -pix_fmt yuv422p -b:v 15000k -maxrate 18000k -bufsize 3670k -aspect 4:3
    streams+=("sd422i:200")
fi
if [ -z "$only" ] || [ "$only" = 720p ]; then
    make_stream hd720p 200 -f lavfi -i "testsrc2=size=1280x720:rate=50" -vf "noise=alls=8:allf=t:all_seed=1,gblur=sigma=0.8" \
        -g 12 -bf 2 -sc_threshold 1000000000 -b:v 12000k -maxrate 14000k -bufsize 4893k
    streams+=("hd720p:200")
fi

# run_once LABEL COMMAND...: runs the command once; prints "seconds peak_kib".
# Output of the decoder goes to $work/last-<label>.log for inspection.
run_once() {
    local label=$1
    shift
    local log="$work/last-$label.log" start end kib
    if [ "$have_time" = 1 ]; then
        start=$EPOCHREALTIME
        /usr/bin/time -f '%M' -o "$work/time.out" "$@" >"$log" 2>&1 || {
            echo "decode-bench: '$*' failed, see $log" >&2
            return 1
        }
        end=$EPOCHREALTIME
        kib=$(tail -n 1 "$work/time.out")
    else
        start=$EPOCHREALTIME
        "$@" >"$log" 2>&1 &
        local pid=$! sample
        kib=0
        while kill -0 "$pid" 2>/dev/null; do
            sample=$(sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$pid/status" 2>/dev/null || true)
            [ -n "$sample" ] && [ "$sample" -gt "$kib" ] && kib=$sample
            sleep 0.05
        done
        wait "$pid" || { echo "decode-bench: '$*' failed, see $log" >&2; return 1; }
        end=$EPOCHREALTIME
    fi
    awk -v a="$start" -v b="$end" -v k="$kib" 'BEGIN { printf "%.6f %d\n", b - a, k }'
}

# summary "SECONDS PEAK" lines...: prints "best_seconds median_seconds peak_kib".
summary() {
    sort -g | awk '{ t[NR] = $1; if ($2 > peak) peak = $2 }
        END { m = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2; printf "%.6f %.6f %d\n", t[1], m, peak }'
}

echo
echo "runs per measurement: $runs${cpu:+, tlvdec tier: $cpu}; $(nproc) CPUs; $(date -u '+%Y-%m-%d %H:%M UTC')"
printf '%-12s %-9s %10s %10s %10s %10s %8s %8s\n' stream decoder "best s" "median s" "pict/s" "peak MiB" speed memory
for entry in "${streams[@]}"; do
    name=${entry%%:*}
    pictures=${entry##*:}
    file="$work/$name.m2v"
    decoders=(mpeg2dec ffmpeg)
    [ "$have_tlvdec" = 1 ] && decoders=(tlvdec "${decoders[@]}")
    declare -A samples=()
    # The decoders take turns run by run, so a slow spell of the machine falls
    # on all of them alike.
    for ((i = 0; i < runs; i++)); do
        for decoder in "${decoders[@]}"; do
            case "$decoder" in
            tlvdec) cmd=("$tlvdec" "$file" --bench ${cpu:+--cpu "$cpu"}) ;;
            mpeg2dec) cmd=(mpeg2dec -o null "$file") ;;
            ffmpeg) cmd=(ffmpeg -nostdin -v error -threads 1 -i "$file" -f null -) ;;
            esac
            samples[$decoder]+="$(run_once "$decoder-$name" "${cmd[@]}")"$'\n'
        done
    done
    if [ "$have_tlvdec" = 1 ]; then
        reported=$(grep -oiE 'pictures[=: ]+[0-9]+' "$work/last-tlvdec-$name.log" | grep -oE '[0-9]+$' | head -n 1 || true)
        if [ -n "$reported" ] && [ "$reported" != "$pictures" ]; then
            echo "decode-bench: tlvdec reported $reported pictures for $name, the stream has $pictures" >&2
        fi
    fi
    ours_time=
    ours_peak=
    for decoder in "${decoders[@]}"; do
        read -r t median peak <<<"$(printf '%s' "${samples[$decoder]}" | summary)"
        speed=
        memory=
        if [ "$decoder" = tlvdec ]; then
            ours_time=$t
            ours_peak=$peak
        elif [ -n "$ours_time" ]; then
            speed=$(awk -v a="$t" -v b="$ours_time" 'BEGIN { printf "%.2f", a / b }')
            memory=$(awk -v a="$ours_peak" -v b="$peak" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }')
        else
            speed=n/a
            memory=n/a
        fi
        printf '%-12s %-9s %10.3f %10.3f %10.1f %10.1f %8s %8s\n' "$name" "$decoder" "$t" "$median" \
            "$(awk -v n="$pictures" -v t="$t" 'BEGIN { print n / t }')" \
            "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" "$speed" "$memory"
    done
    unset samples
done
echo
echo "speed = their best time / ours (above 1: tlvdec is faster);" \
    "memory = our peak / theirs (below 1: tlvdec uses less)."
