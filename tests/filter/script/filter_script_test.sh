#!/bin/sh
# Runs filter_script_test.js with Wine's cscript against the registered module and
# the test's graph player, registered here by its ProgID.
# usage: filter_script_test.sh MODULE_AX PLAYER_DLL SOURCE_DIR
set -u
module=$1 player=$2 source_dir=$3
WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$player")/.." && pwd)/wineprefix}
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
wine regsvr32 /s "$module" || { echo "FAIL: regsvr32 $module"; exit 1; }
clsid='{6A3C1E20-5D4B-4F0E-9C61-2B7E4D8A9F10}'
wine reg add "HKCR\\CLSID\\$clsid\\InprocServer32" /ve /d "$(wine winepath -w "$player")" /f >/dev/null &&
    wine reg add "HKCR\\CLSID\\$clsid\\InprocServer32" /v ThreadingModel /d Apartment /f >/dev/null &&
    wine reg add 'HKCR\TlTest.GraphPlayer\CLSID' /ve /d "$clsid" /f >/dev/null || { echo "FAIL: registering $player"; exit 1; }
info=$source_dir/tests/streams/intl_tff_ogop.info
value() { sed -n "s/^$1=//p" "$info"; }
# cscript takes anything that starts with a slash for one of its own switches.
script=$(wine winepath -w "$source_dir/tests/filter/script/filter_script_test.js")
out=$(wine cscript //nologo "$script" \
      "$source_dir/tests/streams/intl_tff_ogop.m2v" "$(value frames)" "$(value width)" "$(value height)" 2>&1)
rc=$?
echo "$out"
# A script error ends cscript without the final line, whatever its exit code.
[ $rc -eq 0 ] && echo "$out" | grep -q '^PASS '
