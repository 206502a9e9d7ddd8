#!/bin/sh
# Plays a stream with `tlvplay --properties` on a private X server (Xvfb) and saves
# a PNG of the property frame showing each page of the decoder (About, Preferences,
# Statistics, ProcAmp, Plugins and Capture), then the Preferences
# page once more with the user's interface language German. Every picture is
# checked for content: each visible control of the page must be drawn (its
# rectangle holds more than one colour). BIN_DIR is a Windows build's bin directory
# (tlVideoDecoder.ax, tlvplay.exe, tlframedriver.exe); the module is registered in
# the Wine prefix WINEPREFIX (default: the build tree's wineprefix-display).
# usage: property-page-screenshots.sh BIN_DIR STREAM OUTPUT_DIR
set -u
bin=$(cd "$1" && pwd) stream=$2 out=$3
tlvplay=$bin/tlvplay.exe driver=$bin/tlframedriver.exe
for tool in xvfb-run xwininfo import convert compare; do
    command -v $tool >/dev/null || { echo "$tool missing" >&2; exit 77; }
done
mkdir -p "$out"
rm -f "$out"/*.png
WINEPREFIX=${WINEPREFIX:-$(dirname "$bin")/wineprefix-display}
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" tlvplay driver stream out
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wine regsvr32 /s "$bin/tlVideoDecoder.ax" || { echo "cannot register $bin/tlVideoDecoder.ax" >&2; exit 1; }
wineserver -w
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    # Which page the driver shows, told by the controls it lists.
    page_name() {
        for pair in 1010:about 1020:preferences 1040:statistics 1050:capture 1070:plugins 1080:procamp; do
            grep -q "^control ${pair%%:*} " "$1" && { echo "${pair#*:}"; return; }
        done
        echo unknown
    }
    # The frame on screen while tlvplay plays for $1 seconds; pages are shot as
    # "$2<page>.png" (all of them, or only the page named by $3).
    shoot() {
        wine "$tlvplay" "$stream" --renderer null --format rgb32 --properties --seconds "$1" >/dev/null &
        player=$!
        for index in 0 1 2 3 4 5 6; do
            wine "$driver" "Video Decoder" select $index 2>/dev/null | tr -d "\r" >"$out/controls.txt"
            [ -s "$out/controls.txt" ] || break
            name=$(page_name "$out/controls.txt")
            [ -n "${3:-}" ] && [ "$name" != "$3" ] && continue
            [ -f "$out/$2$name.png" ] && break
            window=$(xwininfo -name "$(sed -n "s/^caption //p" "$out/controls.txt")" 2>/dev/null |
                     sed -n "s/.*Window id: \(0x[0-9a-f]*\).*/\1/p")
            [ -n "$window" ] && import -window "$window" "$out/$2$name.png"
            cp "$out/controls.txt" "$out/$2$name.controls"
        done
        wine "$driver" "Video Decoder" ok >/dev/null 2>&1
        wait $player
    }
    shoot 30 ""
    LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 shoot 30 de- preferences
    rm -f "$out/controls.txt"
    wineserver -w'
failed=0
for expected in about preferences statistics procamp plugins capture de-preferences; do
    [ -s "$out/$expected.png" ] || { echo "FAIL: no picture of the $expected page"; failed=1; }
done
for shot in "$out"/*.png; do
    [ -s "$shot" ] || continue
    controls=${shot%.png}.controls
    blank=$(while read -r _ id class x y w h; do
                colours=$(convert "$shot" -crop "${w}x${h}+${x}+${y}" +repage -format "%k" info:)
                [ "$colours" -gt 1 ] || echo "$id($class)"
            done <<CONTROLS
$(grep "^control " "$controls")
CONTROLS
)
    count=$(grep -c "^control " "$controls")
    if [ -n "$blank" ]; then
        echo "FAIL: $(basename "$shot"): controls not drawn: $blank"
        failed=1
    else
        echo "$(basename "$shot"): $count controls drawn"
    fi
done
# The German frame differs from the English one at least in the tab titles.
if [ -s "$out/preferences.png" ] && [ -s "$out/de-preferences.png" ]; then
    changed=$(compare -metric AE "$out/preferences.png" "$out/de-preferences.png" null: 2>&1)
    echo "de-preferences.png: $changed pixels differ from preferences.png"
    [ "${changed%%[!0-9]*}" -gt 0 ] || { echo "FAIL: the German page looks English"; failed=1; }
fi
exit $failed
