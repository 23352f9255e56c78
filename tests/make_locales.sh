#!/bin/sh
# Makes the two Japanese locales the tests run the program in, where they are missing:
# ja_JP.SJIS for the classic mode, and ja_JP.UTF-8 for the Linux mode's Japanese texts (and for
# wine, to which it gives the ANSI code page 932). Needs the locales package's sources and root.
set -u
has_locale() { locale -a 2>/dev/null | grep -qix "$1"; }
has_locale 'ja_JP\.utf-\?8' || localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
# localedef warns that Shift_JIS is not ASCII compatible and exits 1, yet makes the locale: the
# list of locales tells.
has_locale 'ja_JP\.sjis' || localedef -i ja_JP -f SHIFT_JIS ja_JP.SJIS 2>/dev/null
for wanted in 'ja_JP\.utf-\?8' 'ja_JP\.sjis'; do
  has_locale "$wanted" || { echo "make_locales.sh: cannot make the locale $wanted" >&2; exit 1; }
done
