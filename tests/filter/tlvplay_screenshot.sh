#!/bin/sh
# tlvplay with a system video renderer in a real X server (Xvfb): takes a picture
# of the renderer's window while it shows the bundled sample, keeps it in the build
# tree as an artifact, and checks that it shows the picture the right way up (the
# sample's dark time-code box is at its top left, above the red bar).
# Exit 77 (skipped) without xvfb-run, xwininfo or imagemagick.
# usage: tlvplay_screenshot.sh WINE_RUN TLVPLAY_EXE MODULE_AX SOURCE_DIR RENDERER OUTPUT_PNG
set -u
wine_run=$1 tlvplay=$2 module=$3 source_dir=$4 renderer=$5 shot=$6
for tool in xvfb-run xwininfo import convert; do
    command -v $tool >/dev/null || { echo "$tool missing"; exit 77; }
done
WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$tlvplay")/.." && pwd)/wineprefix}
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wine regsvr32 /s "$module" || exit 1
rm -f "$shot"
# Wine's desktop process belongs to the X display it started on; a prefix still
# alive from a run on another (gone) display cannot open windows on this one.
wineserver -w
export wine_run tlvplay source_dir renderer shot
# The stream lasts 1.2 s; --seconds keeps its last picture on the window after that.
xvfb-run -a -s "-screen 0 800x600x24" sh -c '
    "$wine_run" "$tlvplay" "$source_dir/tests/streams/intl_tff_ogop.m2v" --renderer "$renderer" --seconds 6 &
    player=$!
    window=
    for i in $(seq 1 150); do
        window=$(xwininfo -name tlvplay 2>/dev/null | sed -n "s/.*Window id: \(0x[0-9a-f]*\).*/\1/p")
        [ -n "$window" ] && break
        sleep 0.1
    done
    if [ -n "$window" ]; then
        sleep 2
        import -window "$window" "$shot"
    fi
    wait $player'
rc=$?
wineserver -w
echo "screenshot: $shot"
[ $rc -eq 0 ] || { echo "FAIL: tlvplay --renderer $renderer exited $rc"; exit 1; }
[ -s "$shot" ] || { echo "FAIL: no renderer window appeared"; exit 1; }
# Mean of a channel over a part of the picture, 0 to 1.
mean() { convert "$shot" -crop "$2" +repage -format "%[fx:$1]" info:; }
height=$(convert "$shot" -format "%h" info:)
whole=$(mean mean 100%x100%+0+0)
box=$(mean mean.r 24x6+4+20)
bar=$(mean mean.r 24x6+4+$((height - 26)))
echo "brightness of the window $whole; red below the time code $box, at the bottom left $bar"
awk -v w="$whole" 'BEGIN { exit !(w > 0.1) }' || { echo "FAIL: the window is dark"; exit 1; }
awk -v t="$box" -v b="$bar" 'BEGIN { exit !(t < 0.6 * b) }' || { echo "FAIL: the picture is upside down"; exit 1; }
