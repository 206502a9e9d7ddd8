#!/bin/sh
# The whole tlvplay under Wine: registers the module beside it, then plays corpus
# streams through the decoder filter into the frame grabber (one BMP per displayed
# picture, as the stream's .info counts them) and the null renderer, compares
# grabbed frames with tlvdec's snapshots, plays size changes the renderer will
# not take, and checks that bad command lines fail with a reason.
# usage: tlvplay_end_to_end.sh WINE_RUN TLVPLAY_EXE MODULE_AX SOURCE_DIR WORK_DIR
set -u
wine_run=$1 tlvplay=$2 module=$3 source_dir=$4 work=$5
streams=$source_dir/tests/streams
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# regsvr32 in the build tree's prefix, the one wine-run uses for the tool.
WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$tlvplay")/.." && pwd)/wineprefix}
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wine regsvr32 /s "$module" || { echo "FAIL: regsvr32 $module"; exit 1; }

rm -rf "$work" && mkdir -p "$work" || exit 1
frames_of() { sed -n 's/^frames=//p' "$streams/$1.info"; }

# stream, extension, extra options
for case in "program mpg" "quant_mix ts" "quant_mix m2ts" "quant_mix vob" "prog420_cgop m2v" "intl_tff_ogop m2v --format yv12 --deinterlace software-bob" \
            "size331x249 m2v --format rgb24" "pulldown32 m2v --format uyvy"; do
    set -- $case
    name=$1 ext=$2
    shift 2
    dir=$work/$name
    out=$("$wine_run" "$tlvplay" "$streams/$name.$ext" --renderer grab "$dir" "$@" 2>&1)
    rc=$?
    expected=$(frames_of "$name")
    written=$(ls "$dir" 2>/dev/null | grep -c '^frame_[0-9]*\.bmp$')
    echo "$name: $out"
    [ $rc -eq 0 ] || fail "$name: exit $rc"
    [ "$written" = "$expected" ] || fail "$name: $written BMP files, .info counts $expected pictures"
    echo "$out" | grep -q "frames=$expected .*end=complete" || fail "$name: summary does not report $expected frames"
    echo "$out" | grep -q 'errors=0' || fail "$name: decoder errors reported"
done

out=$("$wine_run" "$tlvplay" "$streams/program.mpg" --renderer null 2>&1)
rc=$?
echo "null: $out"
[ $rc -eq 0 ] || fail "null renderer: exit $rc"
echo "$out" | grep -q 'end=complete' || fail "null renderer: no EC_COMPLETE"
echo "$out" | grep -q 'frames=25 ' || fail "null renderer: no frame count from the decoder"

out=$("$wine_run" "$tlvplay" "$streams/program.mpg" --renderer grab "$work/raw" --raw --format yuy2 2>&1)
[ $? -eq 0 ] || fail "raw grab: $out"
size=$(wc -c < "$work/raw/frame_00000.raw" 2>/dev/null || echo 0)
[ "$size" -eq $((352 * 2 * 288)) ] || fail "raw YUY2 frame of $size bytes"

# A text layer from the command line: raw YUY2 frames differ from the plain
# ones inside the layer's rectangle (x 32..231, rows 40..79) and nowhere else.
out=$("$wine_run" "$tlvplay" "$streams/program.mpg" --renderer grab "$work/osd" --raw --format yuy2 \
      --osd-text "Tarvello" --osd-rect 32,40,232,80 --osd-colors 0xA0000080,0xFFFFFF00 2>&1)
[ $? -eq 0 ] || fail "osd text: $out"
counts=$(cmp -l "$work/raw/frame_00003.raw" "$work/osd/frame_00003.raw" | awk -v pitch=704 '
    { o = $1 - 1; row = int(o / pitch); x = int((o % pitch) / 2)
      if (x < 32 || x >= 232 || row < 40 || row >= 80) outside++; else inside++ }
    END { print inside + 0, outside + 0 }')
set -- $counts
[ "$1" -gt 10000 ] || fail "osd text: only $1 bytes changed inside the layer"
[ "$2" -eq 0 ] || fail "osd text: $2 bytes changed outside the layer"

# The information overlay for one run (--plugin InfoLayer): raw frames change
# inside its default viewport (16,16)-(400,214), clipped to the picture, and
# nowhere else; its plug-in entry is switched off again afterwards. The grabber
# keeps no clock, so the whole stream can pass within the default 300 ms before
# the first report: it is redrawn every 10 ms here.
info_key='HKCU\Software\Kelmarin Systems GmbH\Video Decoder\Plugins\InfoLayer'
wine reg add "$info_key" /v dwRefreshTimeout /t REG_DWORD /d 10 /f >/dev/null
out=$("$wine_run" "$tlvplay" "$streams/program.mpg" --renderer grab "$work/info" --raw --format yuy2 \
      --plugin InfoLayer 2>&1)
[ $? -eq 0 ] || fail "info layer: $out"
wine reg add "$info_key" /v dwRefreshTimeout /t REG_DWORD /d 300 /f >/dev/null
counts=$(cmp -l "$work/raw/frame_00020.raw" "$work/info/frame_00020.raw" | awk -v pitch=704 '
    { o = $1 - 1; row = int(o / pitch); x = int((o % pitch) / 2)
      if (x < 16 || row < 16 || row >= 214) outside++; else inside++ }
    END { print inside + 0, outside + 0 }')
set -- $counts
[ "$1" -gt 30000 ] || fail "info layer: only $1 bytes changed inside its viewport"
[ "$2" -eq 0 ] || fail "info layer: $2 bytes changed outside its viewport"
wine reg query "$info_key" /v bPluginEnabled |
    tr -d '\r' | grep -Eq 'REG_DWORD[[:space:]]+0x0$' || fail "info layer: bPluginEnabled not switched off again"
"$wine_run" "$tlvplay" "$streams/program.mpg" --plugin Nope >/dev/null 2>"$work/noplugin.txt"
[ $? -eq 2 ] || fail "unknown plug-in: wrong exit code"
grep -q "no plug-in named 'Nope'" "$work/noplugin.txt" || fail "unknown plug-in: no reason given"

"$wine_run" "$tlvplay" "$streams/program.mpg" --renderer evr >/dev/null 2>"$work/bad.txt"
rc=$?
[ $rc -eq 2 ] || fail "unknown renderer: exit $rc"
grep -q "unknown renderer 'evr'" "$work/bad.txt" || fail "unknown renderer: no reason given"
grep -q '^usage: tlvplay' "$work/bad.txt" || fail "unknown renderer: no usage"

"$wine_run" "$tlvplay" "$work/missing.m2v" >/dev/null 2>"$work/missing.txt"
[ $? -eq 1 ] || fail "missing input: wrong exit code"
grep -q 'cannot open' "$work/missing.txt" || fail "missing input: no reason given"

# tlvdec's --snapshot and tlvplay's grabbed frames are the same BMP file for the
# same picture: RGB24 by default, and converted by the tools from any format.
tlvdec=$(dirname "$tlvplay")/tlvdec.exe
for case in "prog420_cgop 7" "intl_tff_ogop 5 yuy2" "size331x249 3 rgb565"; do
    set -- $case
    name=$1 index=$2 format=${3:-}
    shot=$work/snapshot_$name.bmp grabbed=$work/grab_$name
    "$wine_run" "$tlvdec" "$streams/$name.m2v" --snapshot "$index" "$shot" ${format:+-f $format} >/dev/null 2>&1 ||
        fail "$name: tlvdec --snapshot failed"
    "$wine_run" "$tlvplay" "$streams/$name.m2v" --renderer grab "$grabbed" ${format:+--format $format} \
        >/dev/null 2>&1 || fail "$name: tlvplay grab failed"
    [ -n "$format" ] && "$wine_run" "$tlvdec" "$streams/$name.m2v" -f "$format" -o "$work/$name.$format" >/dev/null 2>&1
    cmp -s "$shot" "$grabbed/frame_$(printf %05d "$index").bmp" ||
        fail "$name ${format:-rgb24}: tlvplay's frame $index is not tlvdec's snapshot"
done

# A picture size change mid-stream that the renderer will not renegotiate (our
# grabber, Wine's null renderer): a smaller picture shows at the top left of the
# size the renderer kept, on black; a larger one cannot be shown whole, so it is
# decoded, not delivered, and counted, in the summary and on standard error.
small=escapes large=prog420_cgop    # 176x144 and 352x288
n_small=$(frames_of $small) n_large=$(frames_of $large)
"$wine_run" "$tlvplay" "$streams/$small.m2v" --renderer grab "$work/native_$small" >/dev/null 2>&1 ||
    fail "$small: tlvplay failed"

cat "$streams/$small.m2v" "$streams/$large.m2v" > "$work/grown.m2v"
cat "$streams/$large.m2v" "$streams/$small.m2v" > "$work/shrunk.m2v"
for renderer in "grab $work/grown" null; do
    out=$("$wine_run" "$tlvplay" "$work/grown.m2v" --renderer $renderer 2>&1)
    echo "grown $renderer: $out"
    echo "$out" | grep -q "^tlvplay: frames=$n_small errors=0 undelivered=$n_large .*end=complete" ||
        fail "grown $renderer: the summary does not report $n_small frames shown and $n_large undelivered"
    echo "$out" | grep -q "^tlvplay: $n_large pictures were larger than the size the renderer kept" ||
        fail "grown $renderer: no warning about the pictures not shown"
done
written=$(ls "$work/grown" | grep -c '^frame_[0-9]*\.bmp$')
[ "$written" = "$n_small" ] || fail "grown: $written frames written, $n_small expected"

out=$("$wine_run" "$tlvplay" "$work/shrunk.m2v" --renderer grab "$work/shrunk" 2>&1)
echo "shrunk: $out"
total=$((n_large + n_small))
echo "$out" | grep -q "^tlvplay: frames=$total errors=0 undelivered=0 .*end=complete" ||
    fail "shrunk: the summary does not report all $total frames"
# Pixel rows of a bottom-up 24-bit BMP, top row first, as "B G R" per pixel.
rows_top_down() { od -An -v -tu1 -j54 -w3 "$1" | awk -v w="$2" '{ p[n++] = $1 " " $2 " " $3 } END { for (y = n / w - 1; y >= 0; y--) for (x = 0; x < w; x++) print p[y * w + x] }'; }
for k in 0 $((n_small / 2)) $((n_small - 1)); do
    frame=$work/shrunk/frame_$(printf %05d $((n_large + k))).bmp
    native=$work/native_$small/frame_$(printf %05d $k).bmp
    differing=$({ rows_top_down "$native" 176; echo "--"; rows_top_down "$frame" 352; } | awk '
        $1 == "--" { second = 1; n = 0; next }
        !second { src[n++] = $0; next }
        { x = n % 352; y = int(n / 352); n++
          want = (x < 176 && y < 144) ? src[y * 176 + x] : "0 0 0"
          if ($0 != want) bad++ }
        END { print n == 352 * 288 ? bad + 0 : "size" }')
    [ "$differing" = 0 ] || fail "shrunk: frame $((n_large + k)): $differing pixels differ from the picture at the top left on black"
done

# DirectX VA: the renderer of ours connects as a DXVA renderer does, around the
# software accelerator; every surface it displays equals the YV12 frame the
# software path delivers for the same picture (interlaced and 3:2 pulldown).
for name in intl_tff_ogop pulldown32; do
    out=$("$wine_run" "$tlvplay" "$streams/$name.m2v" --renderer dxva grab "$work/dxva_$name" 2>&1)
    rc=$?
    echo "$name dxva: $out"
    [ $rc -eq 0 ] || fail "$name dxva: exit $rc"
    "$wine_run" "$tlvplay" "$streams/$name.m2v" --renderer grab "$work/yv12_$name" --format yv12 \
        --deinterlace weave >/dev/null 2>&1 || fail "$name yv12: tlvplay failed"
    expected=$(frames_of "$name")
    written=$(ls "$work/dxva_$name" 2>/dev/null | grep -c '^frame_[0-9]*\.bmp$')
    [ "$written" = "$expected" ] || fail "$name dxva: $written surfaces shown, .info counts $expected pictures"
    differing=0
    for f in "$work/dxva_$name"/frame_*.bmp; do
        cmp -s "$f" "$work/yv12_$name/$(basename "$f")" || differing=$((differing + 1))
    done
    [ $differing -eq 0 ] || fail "$name dxva: $differing surfaces differ from the software frames"
done

[ $failures -eq 0 ] && echo "tlvplay end to end: all passed"
exit $((failures != 0))
