#!/bin/sh
# rundll32 tlVideoDecoder.ax,FilterProperties_RunDLL on a display: the frame's
# caption names the filter, the Preferences page stores an unchecked Frame Skipping
# with Save Defaults, and closing the frame saves the filter's settings again.
# usage: launcher_test.sh MODULE_AX TLFRAMEDRIVER_EXE  (under on_display.sh)
set -u
module=$1 driver=$2
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
key='HKCU\Software\Kelmarin Systems GmbH\Video Decoder'
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wine reg delete "$key" /f >/dev/null 2>&1
wine regsvr32 /s "$module" || { echo "FAIL: regsvr32"; exit 1; }
wine rundll32 "$(winepath -w "$module")",FilterProperties_RunDLL &
launcher=$!
fail() {
    echo "FAIL: $1"
    kill $launcher
    wineserver -k
    exit 1
}
# Found by the ASCII part of its name, whatever code page Wine gives the arguments.
frame="MPEG Video Decoder" name="Tarvello® MPEG Video Decoder"
controls=$(wine "$driver" "$frame" select 1 | tr -d '\r')
echo "$controls" | grep -q "^caption .*$name" || fail "no frame captioned '$name'"
echo "$controls" | grep -q "^control 1028 " || fail "page 1 is not Preferences"
# Wine's frame never calls IPropertyPage::Apply, so the page's own Save Defaults
# stores the unchecked Frame Skipping; a value changed behind the filter's back
# then shows that closing the frame saves the filter's settings once more.
wine "$driver" "$frame" click 1028 && wine "$driver" "$frame" click 1035 || fail "cannot drive the page"
value() { wine reg query "$key" /v "$1" | tr -d '\r' | awk -v name="$1" '$1 == name { print $3 }'; }
[ "$(value bFrameSkipping)" = "0x0" ] || fail "Save Defaults did not store the unchecked Frame Skipping"
wine reg add "$key" /v bColorCorrection /t REG_DWORD /d 1 /f >/dev/null
wine "$driver" "$frame" ok || fail "cannot close the frame"
wait $launcher
wineserver -w
echo "after the frame closed: bFrameSkipping $(value bFrameSkipping), bColorCorrection $(value bColorCorrection)"
[ "$(value bFrameSkipping)" = "0x0" ] && [ "$(value bColorCorrection)" = "0x0" ] ||
    { echo "FAIL: the filter's settings were not saved when the frame closed"; exit 1; }
