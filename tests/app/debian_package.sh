#!/usr/bin/env bash
# The Debian package that `cpack -G DEB` makes: it carries a copyright file and a changelog,
# recommends the ALSA plugins that take PortAudio to the desktop's sound server, and lintian
# finds no error in it. usage: debian_package.sh BUILD_DIR
set -uo pipefail
source "$(dirname "$0")/../../testing/verdicts.sh"

build=$1

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    echo "FAIL: cpack"
    exit 1
fi
deb=$(ls "$out"/korven-sonavel_*.deb)

verdict "the package carries its copyright file" \
    eval 'dpkg-deb -c "$deb" | grep " ./usr/share/doc/korven-sonavel/copyright$" >/dev/null'
verdict "the copyright file is machine-readable and names the GPL-3 text" \
    eval 'dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/korven-sonavel/copyright | grep "^Format: .*copyright-format/1.0/" >/dev/null &&
          dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/korven-sonavel/copyright | grep "/usr/share/common-licenses/GPL-3" >/dev/null'
verdict "it recommends libasound2-plugins" test "$(dpkg-deb -f "$deb" Recommends)" = "libasound2-plugins"
lintian --fail-on error "$deb" >"$out/lintian.txt" 2>&1
status=$?
grep -v 'root privileges' "$out/lintian.txt"
verdict "lintian reports no error" test "$status" -eq 0

conclude "debian package"
