# Sourced by the tlvplay screenshot tests once they have set tlvplay, module,
# source_dir and shot: exits 77 (skipped) without xvfb-run, xwininfo or
# imagemagick, registers the module in the Wine prefix, and defines
# `shoot RENDERER [TLVPLAY OPTION...]`, which keeps the window's picture of the
# interlaced sample in $shot. Wine's renderers now and then fail to set up their
# Direct3D or GDI surface on a busy X server, so shoot tries once more before it
# fails: that tells a flaky surface apart from a filter that never shows.
for tool in xvfb-run xwininfo import convert; do
    command -v $tool >/dev/null || { echo "$tool missing"; exit 77; }
done
WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$tlvplay")/.." && pwd)/wineprefix}
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wine regsvr32 /s "$module" || exit 1
shoot_once() {
    sh "$source_dir/scripts/renderer-screenshot.sh" "$tlvplay" "$source_dir/tests/streams/intl_tff_ogop.m2v" "$@"
}
shoot() {
    renderer=$1
    shift
    shoot_once "$renderer" "$shot" "$@" || { echo "first attempt failed; trying once more"; shoot_once "$renderer" "$shot" "$@"; }
}
