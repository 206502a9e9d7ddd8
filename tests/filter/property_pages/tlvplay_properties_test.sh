#!/bin/sh
# tlvplay --properties without --seconds: the frame shows the playing filter and
# closes itself when the stream ends, and tlvplay reports the whole stream.
# usage: tlvplay_properties_test.sh TLVPLAY_EXE MODULE_AX STREAM  (under on_display.sh)
set -u
tlvplay=$1 module=$2 stream=$3
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wine regsvr32 /s "$module" || { echo "FAIL: regsvr32"; exit 1; }
report=$(timeout 120 wine "$tlvplay" "$stream" --renderer null --properties | tr -d '\r')
echo "$report"
echo "$report" | grep -q "errors=0 .*end=complete" || { echo "FAIL: the frame did not close at the end"; exit 1; }
