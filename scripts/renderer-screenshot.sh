#!/bin/sh
# Plays a file with tlvplay into a system video renderer on a private X server
# (Xvfb) and saves a picture of the renderer's window while it shows the video.
# The module must be registered in the Wine prefix that wine-run picks for tlvplay.
# usage: renderer-screenshot.sh TLVPLAY_EXE INPUT RENDERER OUTPUT_PNG [TLVPLAY_OPTION...]
set -u
tlvplay=$1 input=$2 renderer=$3 shot=$4
shift 4
wine_run=$(cd "$(dirname "$0")/../cmake" && pwd)/wine-run
rm -f "$shot"
WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$tlvplay")/.." && pwd)/wineprefix}
# Wine's desktop process belongs to the X display it started on: a prefix still
# alive from a run on another (gone) display cannot open windows on this one, and
# one left running here would lose its display when Xvfb ends.
wineserver -w
export WINEPREFIX wine_run tlvplay input renderer shot
# --seconds keeps a short stream's last picture on the window until the grab.
xvfb-run -a -s "-screen 0 800x600x24" sh -c '
    "$wine_run" "$tlvplay" "$input" --renderer "$renderer" --seconds 10 "$@" &
    player=$!
    window=
    for i in $(seq 1 300); do
        window=$(xwininfo -name tlvplay 2>/dev/null | sed -n "s/.*Window id: \(0x[0-9a-f]*\).*/\1/p")
        [ -n "$window" ] && break
        sleep 0.1
    done
    if [ -n "$window" ]; then
        sleep 2
        import -window "$window" "$shot"
    fi
    wait $player
    status=$?
    wineserver -w
    exit $status' sh "$@"
rc=$?
[ $rc -eq 0 ] || { echo "tlvplay --renderer $renderer exited $rc" >&2; exit 1; }
[ -s "$shot" ] || { echo "no renderer window appeared" >&2; exit 1; }
