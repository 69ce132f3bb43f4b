#!/usr/bin/env bash
# `cmake --install` into a scratch folder: the program, its menu entry and its icons land where a
# Linux desktop looks for them, the entry is valid and names what was installed, and the
# installed program runs. usage: installed_files.sh BUILD_DIR
set -uo pipefail
source "$(dirname "$0")/../../testing/verdicts.sh"

build=$1

dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT

if ! DESTDIR="$dest" cmake --install "$build" --prefix /usr >"$dest/install.log" 2>&1; then
    cat "$dest/install.log"
    echo "FAIL: cmake --install"
    exit 1
fi
usr=$dest/usr
entry=$usr/share/applications/korven-sonavel.desktop

verdict "the program is installed as bin/korven-sonavel" test -x "$usr/bin/korven-sonavel"
verdict "the menu entry is installed" test -f "$entry"
verdict "desktop-file-validate accepts the menu entry" desktop-file-validate "$entry"

key() { sed -n "s/^$1=//p" "$entry"; }
verdict "the entry starts the installed program" test -x "$usr/bin/$(key Exec | cut -d' ' -f1)"
verdict "the entry's window class is the application's name" test "$(key StartupWMClass)" = "KORVEN Sonavel"

icon=$(key Icon)
for size in 16 24 32 48 64 128 256; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
    verdict "a ${size} x ${size} icon is installed" test "$(identify -format '%wx%h' "$png" 2>/dev/null)" = "${size}x${size}"
done
verdict "a scalable icon is installed" test -s "$usr/share/icons/hicolor/scalable/apps/$icon.svg"

# No display here on purpose: the installed program must start, notice, say so and leave.
env -u DISPLAY HOME="$dest/home" XDG_RUNTIME_DIR= "$usr/bin/korven-sonavel" >"$dest/run.txt" 2>&1
verdict "the installed program runs (and without a display says so and exits with code 1)" \
    test $? -eq 1 -a -n "$(grep -i 'display' "$dest/run.txt")"

verdict "the copyright file and the changelog are installed" \
    test -s "$usr/share/doc/korven-sonavel/copyright" -a -s "$usr/share/doc/korven-sonavel/changelog.gz"

unexpected=$(cd "$dest" && find usr -type f | grep -v -e '^usr/bin/korven-sonavel$' \
    -e '^usr/share/applications/korven-sonavel.desktop$' -e '^usr/share/icons/hicolor/' \
    -e '^usr/share/doc/korven-sonavel/copyright$' -e '^usr/share/doc/korven-sonavel/changelog.gz$')
verdict "nothing else is installed${unexpected:+: $unexpected}" test -z "$unexpected"

conclude "installed files"
