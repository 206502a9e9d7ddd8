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
# grabber, Wine's null renderer) and the graph cannot reconnect while it runs:
# every picture still arrives, fitted into the size the renderer kept and
# counted as fitted. A larger picture is scaled down to fit (here by exactly
# two), a smaller one centred on black at its own size.
small=escapes large=prog420_cgop    # 176x144 and 352x288
n_small=$(frames_of $small) n_large=$(frames_of $large)
for name in $small $large; do
    "$wine_run" "$tlvplay" "$streams/$name.m2v" --renderer grab "$work/native_$name" >/dev/null 2>&1 ||
        fail "$name: tlvplay failed"
done

# Pixel (x, y) of a 24-bit BMP, y counted from the top, as "B G R".
pixels() { od -An -v -tu1 -j54 -w3 "$1"; }

# compare GROWN|SHRUNK FRAME NATIVE: the grabbed frame against the stream's own.
compare() {
    { pixels "$3"; echo "--"; pixels "$2"; } | awk -v mode="$1" '
        $1 == "--" { second = 1; n = 0; next }
        !second { src[n++] = $1 " " $2 " " $3; next }
        { dst[n++] = $1 " " $2 " " $3 }
        END {
            if (mode == "grown") { sw = 352; sh = 288; dw = 176; dh = 144 }
            else { sw = 176; sh = 144; dw = 352; dh = 288 }
            if (n != dw * dh) { print "size"; exit }
            bad = 0
            for (y = 0; y < dh; y++) for (x = 0; x < dw; x++) {
                d = dst[(dh - 1 - y) * dw + x]
                if (mode == "grown") want = src[(sh - 1 - 2 * y) * sw + 2 * x]
                else if (x >= 88 && x < 264 && y >= 72 && y < 216) want = src[(sh - 1 - (y - 72)) * sw + x - 88]
                else want = "0 0 0"
                if (d != want) bad++
            }
            print bad
        }'
}

for case in "grown $small $large $n_small $n_large" "shrunk $large $small $n_large $n_small"; do
    set -- $case
    mode=$1 first=$2 second=$3 before=$4 after=$5
    cat "$streams/$first.m2v" "$streams/$second.m2v" > "$work/$mode.m2v"
    out=$("$wine_run" "$tlvplay" "$work/$mode.m2v" --renderer grab "$work/$mode" 2>&1)
    echo "$mode: $out"
    total=$((before + after))
    written=$(ls "$work/$mode" 2>/dev/null | grep -c '^frame_[0-9]*\.bmp$')
    [ "$written" = "$total" ] || fail "$mode: $written frames written of $total"
    echo "$out" | grep -q "^tlvplay: frames=$total errors=0 fitted=$after .*end=complete" ||
        fail "$mode: the summary does not report $total frames, $after of them fitted"
    for k in 0 $((after / 2)) $((after - 1)); do
        frame=$work/$mode/frame_$(printf %05d $((before + k))).bmp
        native=$work/native_$second/frame_$(printf %05d $k).bmp
        result=$(compare "$mode" "$frame" "$native")
        [ "$result" = 0 ] || fail "$mode: frame $((before + k)): $result pixels differ from the fitted picture"
    done
done

# Wine's null renderer refuses the new size the same way; the decoder still
# delivers every picture and counts the fitted ones.
out=$("$wine_run" "$tlvplay" "$work/grown.m2v" --renderer null 2>&1)
echo "null: $out"
echo "$out" | grep -q "^tlvplay: frames=$((n_small + n_large)) errors=0 fitted=$n_large .*end=complete" ||
    fail "null renderer: not every picture delivered and counted"

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
