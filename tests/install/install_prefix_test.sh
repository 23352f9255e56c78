#!/bin/sh
# Installs the build into a temporary prefix, then runs the installed program and reads its
# manual page there. Arguments: the cmake program and the build folder.
set -eu
# The classic mode, whose bytes are compared.
export LC_ALL=ja_JP.SJIS
cmake=$1
build=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/quovrel-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "install.prefix: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$work/prefix" >/dev/null
program=$work/prefix/bin/quovrel
page=$work/prefix/share/man/man1/quovrel.1.gz
[ -x "$program" ] || fail "no bin/quovrel under the prefix"
[ -f "$page" ] || fail "no share/man/man1/quovrel.1.gz under the prefix"

# The chart of a small tree, byte for byte: code page 932, CR LF, nothing on standard error.
mkdir -p "$work/tree/docs" "$work/tree/src"
printf 'hello\n' >"$work/tree/readme.txt"
: >"$work/tree/docs/設計.txt"
printf '%s\r\n' "$work/tree（1 ファイル 6 バイト）" "│  readme.txt" \
  "├─docs（1 ファイル 0 バイト）" "│      設計.txt" "└─src（0 ファイル 0 バイト）" |
  iconv -f UTF-8 -t CP932 >"$work/expected"
"$program" "$work/tree" /F /Sum >"$work/out" 2>"$work/err" || fail "the chart ended with $?"
cmp -s "$work/expected" "$work/out" || fail "the installed program charts differently"
[ ! -s "$work/err" ] || fail "the installed program wrote to standard error"

# The help as the built program prints it, and the failure status of a missing folder.
"$program" /? >"$work/help"
"$build/quovrel" /? >"$work/help.built"
cmp -s "$work/help" "$work/help.built" || fail "the installed help differs from the built one"
status=0
"$program" "$work/missing" >/dev/null || status=$?
[ "$status" -eq 1 ] || fail "a missing folder ended with $status, not 1"

# The page as man shows it, with groff's warnings on.
if command -v man >/dev/null; then
  MANWIDTH=80 man --warnings -l "$page" >"$work/page" 2>"$work/page.err" || fail "man -l failed"
  [ ! -s "$work/page.err" ] || { cat "$work/page.err" >&2; fail "man -l warned"; }
  grep -q 'quovrel - chart the folder structure' "$work/page" || fail "man -l shows no NAME"
fi
echo "install.prefix: $program runs; $page renders"
