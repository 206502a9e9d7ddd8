#!/bin/sh
# Installs the Debian packages named on the command line when any is missing.
# A failing index of one suite must not stop the install, so the result of
# `apt-get update` is not fatal; apt-get install reports what really failed.
set -e
missing=""
for pkg in "$@"; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing="$missing $pkg"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO apt-get update || echo "apt-get update reported a failure; continuing with the indexes it got"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
