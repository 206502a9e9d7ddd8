#!/bin/sh
# Runs a command on a private X server (Xvfb). Wine's desktop process serves the
# display it started on, so the prefix (WINEPREFIX, one kept for display tests)
# is let go before and after. Exit 77 (skipped) without xvfb-run.
# usage: on_display.sh COMMAND [ARG...]
command -v xvfb-run >/dev/null || { echo "xvfb-run missing"; exit 77; }
wineserver -w
exec xvfb-run -a -s "-screen 0 1024x768x24" sh -c '"$@"; status=$?; wineserver -w; exit $status' sh "$@"
