#!/bin/sh
# Starts (or, with --stop, ends) the wineserver of the Windows program's tests and makes their
# wine prefix, so that the tests themselves never pay for a wine start-up.
# Usage: wine_start.sh PREFIX WINE WINESERVER (PROGRAM | --stop)
set -eu
prefix=$1 wine=$2 wineserver=$3 program=$4
export WINEPREFIX="$prefix" WINEDEBUG=-all LANG=ja_JP.UTF-8
unset LC_ALL

if [ "$program" = --stop ]; then
  "$wineserver" -k </dev/null >/dev/null 2>&1 || true
  exit 0
fi

mkdir -p "$prefix"
# Kept up until --stop (one already up is used as it is); its output must not hold the test's
# pipes open.
"$wineserver" -p </dev/null >/dev/null 2>&1 || true
# The first run makes the prefix; the banner proves that the program starts.
banner=$("$wine" "$program" /V </dev/null 2>/dev/null)
case "$banner" in
  Quovrel*) echo "wine is ready: $("$wine" --version 2>/dev/null || echo wine)" ;;
  *) echo "the Windows program did not start under wine" >&2; exit 1 ;;
esac
