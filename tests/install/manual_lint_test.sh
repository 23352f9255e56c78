#!/bin/sh
# The manual page passes the linters without a warning: mandoc's and groff's, whichever are here.
set -eu
page=$1
checked=0
if command -v mandoc >/dev/null; then
  out=$(mandoc -T lint -W warning "$page" 2>&1) || { echo "$out" >&2; exit 1; }
  [ -z "$out" ] || { echo "$out" >&2; exit 1; }
  checked=$((checked + 1))
fi
if command -v groff >/dev/null; then
  out=$(groff -ww -man -z "$page" 2>&1) || { echo "$out" >&2; exit 1; }
  [ -z "$out" ] || { echo "$out" >&2; exit 1; }
  checked=$((checked + 1))
fi
[ "$checked" -gt 0 ] || { echo "install.manual: neither mandoc nor groff, skipped"; exit 77; }
echo "install.manual: $page lints clean"
