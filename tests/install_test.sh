#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a user gets there: the program in
# bin/, which converts the example, and the manual page in share/man/man1/, which man renders
# without a single warning; nothing else.
# Usage: install_test.sh <build folder> <example picture>
set -euo pipefail
build=$1
example=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" > /dev/null

fail() { echo "install test: $*" >&2; exit 1; }
[ -x "$prefix/bin/tapemill" ] || fail "no bin/tapemill"
[ -f "$prefix/share/man/man1/tapemill.1" ] || fail "no share/man/man1/tapemill.1"
# Only those two: the packages' own files stay out of a plain install.
installed=$(cd "$prefix" && find . -type f | sort | tr '\n' ' ')
[ "$installed" = "./bin/tapemill ./share/man/man1/tapemill.1 " ] || fail "installs more: $installed"

"$prefix/bin/tapemill" "$example" "$prefix/example.tap" > /dev/null
[ "$(stat -c %s "$prefix/example.tap")" -eq 6937 ] || fail "the installed program wrote no whole tape"

warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/tapemill.1" 2>&1 > "$prefix/page.txt")
[ -z "$warnings" ] || fail "man warns: $warnings"
grep -q 'LOAD "" SCREEN\$' "$prefix/page.txt" || fail "the page did not render"
echo "install test: bin/tapemill and share/man/man1/tapemill.1 in place; the page renders cleanly"
