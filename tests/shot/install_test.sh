#!/bin/sh
# Installs the command's part of a build into a scratch prefix and checks what lands there: the
# program on the PATH, runnable from there with its module for the page processes, and its manual
# page, which must format cleanly.
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --component shot --prefix "$prefix" >/dev/null
test -x "$prefix/bin/pagrovix-shot"
PATH="$prefix/bin:$PATH" pagrovix-shot --version | grep -q '^pagrovix-shot [0-9]'
# The module that adds --header to requests is found from the installed program's own place.
test -n "$(find "$prefix" -name pagrovix-shot-headers.so)"
PATH="$prefix/bin:$PATH" pagrovix-shot --quiet --header 'X-Check: yes' 'data:text/html,<p>x' \
    "$prefix/page.png"
test -s "$prefix/page.png"
page="$prefix/share/man/man1/pagrovix-shot.1"
test -f "$page"
if command -v man >/dev/null 2>&1; then
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then
        echo "$warnings" >&2
        exit 1
    fi
    LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q -- '--crop X0,Y0,X1,Y1'
fi
echo "installed and checked under $prefix"
