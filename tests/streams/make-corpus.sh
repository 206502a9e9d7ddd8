#!/usr/bin/env bash
# Regenerates the decoder test corpus in this directory from nothing: every stream,
# its <name>.md5 (one digest per displayed picture, display order, from ffmpeg with
# the AP-922 "xvid" inverse DCT) and its <name>.info (facts from ffprobe and from
# inspect_stream.py). Deterministic: single-threaded bit-exact encoding of synthetic
# lavfi sources, so running it twice gives identical files.
#
# Each stream is checked for the coding tools it is meant to carry (inspect_stream.py,
# intra_levels.py); the script fails rather than write a stream that silently lost
# its feature.
#
# Needs ffmpeg/ffprobe, mpeg2enc (mjpegtools) and python3.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cd "$here"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for tool in ffmpeg ffprobe mpeg2enc python3; do
    command -v "$tool" >/dev/null || { echo "make-corpus: $tool is required" >&2; exit 1; }
done

ff=(ffmpeg -hide_banner -loglevel error -nostdin -y -threads 1)
# Fixed encoder state: no scene-change GOP cuts, no version strings, one thread.
enc_common=(-fflags +bitexact -flags +bitexact -threads 1 -sc_threshold 1000000000)

# Interlaced sources are rendered at twice the frame rate and woven two fields per
# frame, so the fields really differ in time and field prediction pays off. A slight
# blur keeps the synthetic detail (and so the stream size) at camera-like levels.
woven_tff="gblur=sigma=1.2,tinterlace=mode=interleave_top,setfield=tff"
woven_bff="gblur=sigma=1.2,tinterlace=mode=interleave_bottom,setfield=bff"

# ffmpeg_es NAME FRAMES SOURCE FILTERS ENCODER-OPTIONS...: an mpeg2video elementary stream.
ffmpeg_es() {
    local name=$1 frames=$2 source=$3 filters=$4
    shift 4
    "${ff[@]}" -f lavfi -i "$source" -vf "$filters" -frames:v "$frames" \
        -c:v mpeg2video "${enc_common[@]}" "$@" -f mpeg2video "$name.m2v"
}

# mpeg2enc_es NAME FRAMES SOURCE FILTERS MPEG2ENC-OPTIONS...
mpeg2enc_es() {
    local name=$1 frames=$2 source=$3 filters=$4
    shift 4
    "${ff[@]}" -f lavfi -i "$source" -vf "$filters" -frames:v "$frames" -pix_fmt yuv420p \
        -f yuv4mpegpipe - | mpeg2enc -v 0 -M 0 "$@" -o "$work/$name.m2v"
    mv "$work/$name.m2v" "$name.m2v"
}

# The video elementary stream of FILE, for inspection (program streams are unwrapped).
video_es() {
    local file=$1
    case "$file" in
    *.mpg)
        "${ff[@]}" -i "$file" -map 0:v:0 -c:v copy -f mpeg2video "$work/es.m2v"
        echo "$work/es.m2v"
        ;;
    *) echo "$file" ;;
    esac
}

probe_stream() {
    ffprobe -v error -select_streams v:0 -show_entries "stream=$1" -of default=nw=1:nk=1 "$2"
}

# describe NAME FILE: writes NAME.md5 and NAME.info and leaves the header summary in
# $work/NAME.headers for the checks.
describe() {
    local name=$1 file=$2
    local es headers
    es=$(video_es "$file")
    headers="$work/$name.headers"
    python3 "$here/inspect_stream.py" "$es" >"$headers"
    header() { sed -n "s/^$1=//p" "$headers"; }

    local width height rate aspect pixfmt chroma profile level bitrate types frames interlaced mpeg1
    width=$(probe_stream width "$file")
    height=$(probe_stream height "$file")
    aspect=$(probe_stream display_aspect_ratio "$file")
    pixfmt=$(probe_stream pix_fmt "$file")
    profile=$(probe_stream profile "$file")
    level=$(probe_stream level "$file")
    bitrate=$(probe_stream bit_rate "$file")
    case "$pixfmt" in
    yuv420p) chroma=420 ;;
    yuv422p) chroma=422 ;;
    yuv444p) chroma=444 ;;
    *) echo "make-corpus: $name: unexpected pixel format $pixfmt" >&2; exit 1 ;;
    esac
    # The rate the sequence header codes. ffprobe's r_frame_rate agrees except for
    # repeat_first_field streams, where it reports the field rate.
    rate=$(python3 - "$(header frame_rate_code)" <<'EOF'
import sys
rates = {1: '24000/1001', 2: '24/1', 3: '25/1', 4: '30000/1001', 5: '30/1', 6: '50/1',
         7: '60000/1001', 8: '60/1'}
print(rates[int(sys.argv[1])])
EOF
)
    mpeg1=0
    [ "$(header mpeg2)" = 1 ] || mpeg1=1
    interlaced=0
    [ "$(header progressive_sequence)" = 0 ] && interlaced=1

    if [ "$mpeg1" = 1 ]; then
        # Parsed, never decoded: no pictures are delivered.
        : >"$name.md5"
        frames=0
        types=
    else
        "${ff[@]}" -idct xvid -i "$file" -map 0:v:0 -fps_mode passthrough -f framemd5 - |
            sed -n 's/^0, *[-0-9]*, *[-0-9]*, *[0-9]*, *[0-9]*, *\([0-9a-f]\{32\}\)$/\1/p' >"$name.md5"
        frames=$(wc -l <"$name.md5")
        types=$(ffprobe -v error -select_streams v:0 -show_entries frame=pict_type -of default=nw=1:nk=1 "$file" |
            tr -cd "IPBSD")
        # Every coded frame picture is shown exactly once, repeat_first_field or not.
        if [ "$frames" != "$(header pictures)" ] || [ "$frames" != "${#types}" ]; then
            echo "make-corpus: $name: $frames digests, $(header pictures) coded pictures," \
                "${#types} probed frames" >&2
            exit 1
        fi
        # The digest must cover exactly the visible planes.
        local cw=$(((width + 1) / 2)) ch=$height bytes
        [ "$chroma" = 420 ] && ch=$(((height + 1) / 2))
        [ "$chroma" = 444 ] && cw=$width
        bytes=$("${ff[@]}" -idct xvid -i "$file" -map 0:v:0 -fps_mode passthrough -f rawvideo - | wc -c)
        if [ "$bytes" != $(((width * height + 2 * cw * ch) * frames)) ]; then
            echo "make-corpus: $name: raw output is $bytes bytes, not $frames visible pictures" >&2
            exit 1
        fi
    fi

    {
        echo "file=$file"
        case "$file" in *.mpg) echo "container=ps" ;; *) echo "container=es" ;; esac
        echo "width=$width"
        echo "height=$height"
        echo "frame_rate=$rate"
        [ -n "$aspect" ] && [ "$aspect" != N/A ] && [ "$aspect" != 0:1 ] && echo "display_aspect=$aspect"
        echo "chroma=$chroma"
        echo "frames=$frames"
        echo "picture_types=$types"
        echo "interlaced=$interlaced"
        [ -n "$profile" ] && [ "$profile" != unknown ] && echo "profile=$profile"
        [ -n "$level" ] && [ "$level" != -99 ] && echo "level=$level"
        # 104857200 is the all-ones bit_rate value that marks a variable rate.
        [ -n "$bitrate" ] && [ "$bitrate" != N/A ] && [ "$bitrate" != 104857200 ] && echo "bit_rate=$bitrate"
        [ "$mpeg1" = 1 ] && echo "mpeg1=1"
    } >"$name.info"
    return 0
}

# expect NAME KEY PATTERN: the header summary value of KEY must match the extended regex.
expect() {
    local name=$1 key=$2 pattern=$3 value
    value=$(sed -n "s/^$key=//p" "$work/$name.headers")
    if ! [[ "$value" =~ ^($pattern)$ ]]; then
        echo "make-corpus: $name: $key is '$value', expected $pattern" >&2
        exit 1
    fi
}

rm -f ./*.m2v ./*.m1v ./*.mpg ./*.md5 ./*.info

src_small="testsrc2=size=352x288:rate=25"
src_small_50="testsrc2=size=352x576:rate=50"
src_fractal_50="mandelbrot=size=352x576:rate=50:maxiter=256"
nonzero="[1-9][0-9]*"

# Progressive 4:2:0 frame pictures, closed GOPs of I, P and B pictures.
ffmpeg_es prog420_cgop 36 "$src_small" setfield=prog -g 12 -bf 2 -flags +cgop+bitexact -b:v 700k
describe prog420_cgop prog420_cgop.m2v
expect prog420_cgop progressive_sequence 1
expect prog420_cgop closed_gops "$nonzero"
expect prog420_cgop open_gops ""
expect prog420_cgop coded_types "I[IPB]*B[IPB]*"

# Interlaced, top field first, open GOPs, field DCT and field motion in frame pictures.
ffmpeg_es intl_tff_ogop 30 "$src_small_50" "$woven_tff" -g 12 -bf 2 -flags +ildct+ilme+bitexact -top 1 \
    -aspect 4:3 -b:v 900k
describe intl_tff_ogop intl_tff_ogop.m2v
expect intl_tff_ogop progressive_sequence 0
expect intl_tff_ogop top_field_first 1
expect intl_tff_ogop open_gops "$nonzero"
expect intl_tff_ogop frame_pred_frame_dct 0
expect intl_tff_ogop first_mb_frame_motion_field "$nonzero"

# Interlaced, bottom field first, open GOPs, 16:9.
ffmpeg_es intl_bff_ogop 24 "$src_fractal_50" "$woven_bff" -g 12 -bf 2 -flags +ildct+ilme+bitexact -top 0 \
    -aspect 16:9 -b:v 700k
describe intl_bff_ogop intl_bff_ogop.m2v
expect intl_bff_ogop progressive_sequence 0
expect intl_bff_ogop top_field_first 0
expect intl_bff_ogop open_gops "$nonzero"
expect intl_bff_ogop aspect_ratio_information 3

# 4:2:2 profile, interlaced (field DCT of the taller chroma blocks), 10-bit intra DC.
ffmpeg_es chroma422 24 "testsrc2=size=352x576:rate=50" "$woven_tff,format=yuv422p" -pix_fmt yuv422p \
    -g 12 -bf 2 -flags +ildct+ilme+bitexact -top 1 -dc 10 -aspect 4:3 -b:v 1000k
describe chroma422 chroma422.m2v
expect chroma422 chroma_format 2
expect chroma422 profile 0
expect chroma422 intra_dc_precision 10

# Alternate scan, on interlaced material where it is normally used.
ffmpeg_es altscan 24 "$src_small_50" "$woven_tff" -g 12 -bf 2 -flags +ildct+ilme+bitexact -top 1 \
    -alternate_scan 1 -aspect 4:3 -b:v 900k
describe altscan altscan.m2v
expect altscan alternate_scan 1

# Intra VLC table (B-15) for intra blocks.
ffmpeg_es intravlc 24 "$src_small" setfield=prog -g 12 -bf 2 -intra_vlc 1 -b:v 1200k
describe intravlc intravlc.m2v
expect intravlc intra_vlc_format 1

# Non-linear quantiser scale, with adaptive quantisation so many scale codes occur.
ffmpeg_es nonlinear_q 24 "$src_small" setfield=prog -g 12 -bf 2 -non_linear_quant 1 -qmin 1 -qmax 28 \
    -lumi_mask 0.2 -dark_mask 0.2 -p_mask 0.2 -scplx_mask 0.3 -b:v 1000k
describe nonlinear_q nonlinear_q.m2v
expect nonlinear_q q_scale_type 1
expect nonlinear_q first_mb_quant "$nonzero"

# Non-default, non-flat intra and non-intra matrices in the sequence header.
intra_matrix="8,12,14,18,22,26,30,34,12,14,18,22,26,30,34,38,14,18,22,26,30,34,38,42,18,22,26,30,34,38,42,46,\
22,26,30,34,38,42,46,50,26,30,34,38,42,46,50,54,30,34,38,42,46,50,54,58,34,38,42,46,50,54,58,62"
inter_matrix="20,18,19,20,21,22,23,24,18,19,20,21,22,23,24,25,19,20,21,22,23,24,25,26,20,21,22,23,24,25,26,27,\
21,22,23,24,25,26,27,28,22,23,24,25,26,27,28,29,23,24,25,26,27,28,29,30,24,25,26,27,28,29,30,31"
ffmpeg_es custom_matrix 24 "$src_small" setfield=prog -g 12 -bf 2 -intra_matrix "$intra_matrix" \
    -inter_matrix "$inter_matrix" -b:v 1200k
describe custom_matrix custom_matrix.m2v
expect custom_matrix load_intra_quantiser_matrix "$nonzero"
expect custom_matrix load_non_intra_quantiser_matrix "$nonzero"

# Dual-prime motion: interlaced P pictures only (no B pictures, as dual prime requires).
mpeg2enc_es dualprime 25 "$src_small_50" "$woven_tff" -f 3 -I 1 --dualprime-mpeg2 -R 0 -g 12 -G 12 \
    -b 1500 -a 2 -n p
describe dualprime dualprime.m2v
expect dualprime first_mb_frame_motion_dualprime "$nonzero"
expect dualprime progressive_sequence 0

# 3:2 pulldown: 23.976 fps film coded at 29.97 with repeat_first_field.
mpeg2enc_es pulldown32 24 "testsrc2=size=352x480:rate=24000/1001" setfield=prog -f 3 -p -F 4 -n n -R 2 \
    -b 1500
describe pulldown32 pulldown32.m2v
expect pulldown32 repeat_first_field "$nonzero"
expect pulldown32 top_field_first "0,1"
expect pulldown32 frame_rate_code 4

# Odd picture size, neither dimension a multiple of 16 (odd chroma sizes round up).
ffmpeg_es size331x249 24 "$src_small" "scale=331:249,setfield=prog" -g 12 -bf 2 -b:v 1000k
describe size331x249 size331x249.m2v
expect size331x249 width 331
expect size331x249 height 249

# 1920x1080 interlaced, coded as 1088 lines.
ffmpeg_es hd1080i 10 \
    "smptehdbars=size=1920x1080:rate=50[bars];testsrc2=size=480x360:rate=50[box];[bars][box]overlay=x=t*900:y=t*400" \
    "$woven_tff" -g 12 -bf 2 -flags +ildct+ilme+bitexact -top 1 -b:v 3000k
describe hd1080i hd1080i.m2v
expect hd1080i height 1080
expect hd1080i progressive_sequence 0

# Program stream (DVD-style packs) with an audio stream to skip.
"${ff[@]}" -f lavfi -i "$src_small" -f lavfi -i "sine=frequency=440:sample_rate=48000" -frames:v 25 -shortest \
    -vf setfield=prog -c:v mpeg2video "${enc_common[@]}" -g 12 -bf 2 -b:v 1200k -c:a mp2 -b:a 128k \
    -f vob program.mpg
describe program program.mpg
expect program pictures 25

# MPEG-1 video: must be recognised and never decoded.
"${ff[@]}" -f lavfi -i "testsrc2=size=352x240:rate=30000/1001" -frames:v 15 -c:v mpeg1video \
    "${enc_common[@]}" -g 15 -bf 2 -b:v 1000k -f mpeg1video mpeg1.m1v
describe mpeg1 mpeg1.m1v
expect mpeg1 mpeg2 0

# A mix of quantiser scales: variable rate with per-macroblock quantiser changes.
ffmpeg_es quant_mix 24 "$src_small" setfield=prog -g 12 -bf 2 -qmin 1 -qmax 31 -lumi_mask 0.3 -dark_mask 0.3 \
    -p_mask 0.3 -scplx_mask 0.5 -tcplx_mask 0.3 -b:v 800k -maxrate 3000k -bufsize 1835k
describe quant_mix quant_mix.m2v
expect quant_mix first_mb_quant "$nonzero"
expect quant_mix slice_quantiser_scale_code "[0-9]+(,[0-9]+){4,}"

# quant_mix in every container a user may have, its video copied bit for bit, so
# each must decode to quant_mix.md5. No .info of their own: they are read only by
# the container test. The transport stream has a radio program without video first.
"${ff[@]}" -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=1" -fflags +genpts -r 25 -i quant_mix.m2v \
    -map 0:a -map 1:v -c:v copy -c:a mp2 -b:a 64k -program title=radio:st=0 -program title=tv:st=1 \
    -fflags +bitexact -f mpegts quant_mix.ts
"${ff[@]}" -fflags +genpts -r 25 -i quant_mix.m2v -c copy -fflags +bitexact -f mpegts -mpegts_m2ts_mode 1 \
    quant_mix.m2ts
"${ff[@]}" -fflags +genpts -r 25 -i quant_mix.m2v -c copy -fflags +bitexact -f vob quant_mix.vob
"${ff[@]}" -fflags +genpts -r 25 -i quant_mix.m2v -c copy -fflags +bitexact -f mpeg quant_mix_system.mpg

# Quantiser scale 1 on noise: large coefficients and escape codes; 11-bit intra DC
# (High profile).
ffmpeg_es escapes 8 "testsrc2=size=176x144:rate=25,noise=alls=40:allf=t+u:all_seed=7" setfield=prog \
    -g 8 -bf 2 -q:v 1 -qmin 1 -qmax 1 -dc 11 -profile:v 1
describe escapes escapes.m2v
expect escapes slice_quantiser_scale_code 1
expect escapes intra_dc_precision 11
expect escapes profile High
# Quantiser code 1 is scale 2 with the linear scale.
python3 "$here/intra_levels.py" escapes.m2v 176 144 2 >>"$work/escapes.headers"
expect escapes escaped_intra_ac_levels "$nonzero"

# Several sequences: an mpeg2enc sequence ending in sequence_end_code, then an ffmpeg
# sequence with a sequence header before every GOP and its own matrices.
mpeg2enc_es multiseq_a 15 "$src_small" setfield=prog -f 3 -g 6 -G 6 -R 2 -b 1200 -n p -F 3
ffmpeg_es multiseq_b 18 "mandelbrot=size=352x288:rate=25" setfield=prog -g 6 -bf 2 -flags +cgop+bitexact \
    -intra_matrix "$intra_matrix" -b:v 1200k
cat multiseq_a.m2v multiseq_b.m2v >multiseq.m2v
rm multiseq_a.m2v multiseq_b.m2v
describe multiseq multiseq.m2v
expect multiseq sequence_headers "[4-9]|[1-9][0-9]+"
expect multiseq sequence_end_codes "[1-9]"
expect multiseq gops "[6-9]|[1-9][0-9]+"

ls -l ./*.m2v ./*.m1v ./*.mpg ./*.vob ./*.ts ./*.m2ts | awk '{ total += $5; print } END { print total " bytes in all" }'
