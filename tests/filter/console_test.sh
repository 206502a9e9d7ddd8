#!/bin/sh
# Runs the console test on a private X server (the console is a real window).
# When the test hands over its window (DIR/console.ready: the window's place and
# those of the script edit and the Run button), this script takes a picture of
# the display with import, keeps the window's part as a PNG in the build tree
# and checks it: the edit white with dark script text on it, the button with its
# dark caption. Its verdict goes back to the test in DIR/console.done.
# Exit 77 (skipped) without xvfb-run or imagemagick.
# usage: console_test.sh TEST_EXE OUTPUT_PNG [TEST_OPTION...]
set -u
exe=$1 shot=$2
shift 2
for tool in xvfb-run import convert; do
    command -v $tool >/dev/null || { echo "$tool missing"; exit 77; }
done
wine_run=$(cd "$(dirname "$0")/../../cmake" && pwd)/wine-run
WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$exe")/.." && pwd)/wineprefix}
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
dir=$(mktemp -d) && trap 'rm -rf "$dir"' EXIT
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
TL_SCREENSHOT_DIR=$(wine winepath -w "$dir" 2>/dev/null)
# Wine's desktop process belongs to the display it started on.
wineserver -w
rm -f "$shot"
export TL_SCREENSHOT_DIR wine_run exe dir shot
cat > "$dir/display.sh" <<'INNER'
shares() {  # SHOT CROP: shares of pixels darker than 0.3 and lighter than 0.8
    dark=$(convert "$1" -crop "$2" +repage -colorspace gray -threshold 30% -negate -format "%[fx:mean]" info:)
    light=$(convert "$1" -crop "$2" +repage -colorspace gray -threshold 80% -format "%[fx:mean]" info:)
    echo "$dark $light"
}
watch() {
    for i in $(seq 1 600); do [ -f "$dir/console.ready" ] && break; sleep 0.1; done
    [ -f "$dir/console.ready" ] || return
    read x y w h ex ey ew eh bx by bw bh < "$dir/console.ready"
    sleep 1
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shot"
    edit=$(shares "$shot" "$((ew - 8))x$((eh - 8))+$((ex + 4))+$((ey + 4))")
    run=$(shares "$shot" "$((bw - 6))x$((bh - 6))+$((bx + 3))+$((by + 3))")
    echo "screenshot: $shot; script edit dark, light: $edit; Run button dark, light: $run"
    verdict=$(echo "$edit $run" | awk '{
        if ($2 < 0.7) print "the script edit is not white"
        else if ($1 < 0.002) print "no script text in the edit"
        else if ($3 < 0.01) print "no caption on the Run button"
        else print "ok" }')
    echo "$verdict" > "$dir/console.done"
}
watch &
"$wine_run" "$exe" "$@"
status=$?
wait
wineserver -w
exit $status
INNER
xvfb-run -a -s "-screen 0 800x600x24" sh "$dir/display.sh" "$@"
