#!/bin/sh
# Builds the Debian package with CPack into a temporary folder, checks what it holds, runs the
# program it carries and, where lintian is installed, fails on any error lintian reports.
# Arguments: the cpack program and the build folder.
set -eu
cpack=$1
build=$2
command -v dpkg-deb >/dev/null || { echo "install.deb: no dpkg-deb, skipped"; exit 77; }
work=$(mktemp -d "${TMPDIR:-/tmp}/quovrel-deb-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "install.deb: $*" >&2; exit 1; }

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/log" 2>&1 ||
  { cat "$work/log" >&2; fail "cpack failed"; }
set -- "$work"/out/quovrel_*.deb
[ -f "$1" ] || fail "no quovrel_*.deb was made"
deb=$1
[ "$(dpkg-deb -f "$deb" Package)" = quovrel ] || fail "the package is not named quovrel"
dpkg-deb -c "$deb" >"$work/contents"
grep -q ' \./usr/bin/quovrel$' "$work/contents" || fail "no /usr/bin/quovrel in the package"
grep -q ' \./usr/share/man/man1/quovrel\.1\.gz$' "$work/contents" || fail "no manual page in the package"
grep -q ' \./usr/share/doc/quovrel/copyright$' "$work/contents" || fail "no copyright file in the package"
dpkg-deb -x "$deb" "$work/root"
# The C++ runtime is linked into the program (a run then costs less memory), so neither the
# program nor the package needs the shared one; a sanitizer build links it shared.
if ! readelf -d "$build/quovrel" | grep -q 'libasan'; then
  if readelf -d "$work/root/usr/bin/quovrel" | grep -q 'NEEDED.*libstdc++'; then
    fail "the packaged program needs the shared C++ runtime"
  fi
  if dpkg-deb -f "$deb" Depends | grep -q 'libstdc++'; then
    fail "the package depends on libstdc++"
  fi
fi
"$work/root/usr/bin/quovrel" /V >"$work/banner"
"$build/quovrel" /V >"$work/banner.built"
cmp -s "$work/banner" "$work/banner.built" || fail "the packaged program differs"
checked="lintian not installed"
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$work/lintian" 2>&1 ||
    { cat "$work/lintian" >&2; fail "lintian failed"; }
  cat "$work/lintian"
  checked="no lintian errors"
fi
echo "install.deb: $(basename "$deb") holds the program and its manual page; $checked"
