#!/bin/sh
# tlvplay with a system video renderer in a real X server (Xvfb): plays for two
# seconds and takes a screenshot of the screen while it plays, kept in the build
# tree as an artifact. Exit 77 (skipped) without xvfb-run or a screenshot tool.
# usage: tlvplay_screenshot.sh WINE_RUN TLVPLAY_EXE MODULE_AX SOURCE_DIR RENDERER OUTPUT_PNG
set -u
wine_run=$1 tlvplay=$2 module=$3 source_dir=$4 renderer=$5 shot=$6
command -v xvfb-run >/dev/null || { echo "xvfb-run missing"; exit 77; }
if command -v import >/dev/null; then
    grab='import -window root "$shot"'
elif command -v xwd >/dev/null && command -v convert >/dev/null; then
    grab='xwd -root -silent | convert xwd:- "$shot"'
else
    echo "no screenshot tool (imagemagick or xwd)"; exit 77
fi
WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$tlvplay")/.." && pwd)/wineprefix}
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wine regsvr32 /s "$module" || exit 1
rm -f "$shot"
# Wine's desktop process belongs to the X display it started on; a prefix still
# alive from a run on another (gone) display cannot open windows on this one.
wineserver -w
export wine_run tlvplay source_dir renderer shot grab
xvfb-run -a -s "-screen 0 800x600x24" sh -c '
    "$wine_run" "$tlvplay" "$source_dir/tests/streams/intl_tff_ogop.m2v" --renderer "$renderer" --seconds 2 &
    player=$!
    sleep 1
    eval "$grab"
    wait $player'
rc=$?
wineserver -w
echo "screenshot: $shot"
[ $rc -eq 0 ] || { echo "FAIL: tlvplay --renderer $renderer exited $rc"; exit 1; }
[ -s "$shot" ] || { echo "FAIL: no screenshot"; exit 1; }
