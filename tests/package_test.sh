#!/usr/bin/env bash
# Checks the packages that `cmake --build <build> --target package` makes, as their users meet
# them. One check a call:
#   package_test.sh make    <build>              makes the packages afresh in <build>/packages
#   package_test.sh deb     <build> <arch>       the Debian package for arch (amd64, arm64,
#                                                armhf): its files, its fields, and lintian,
#                                                which must report nothing
#   package_test.sh tarball <build> <example> <processor> [<emulator> ...]
#                                                the Linux tarball for processor (x86_64,
#                                                aarch64, armhf): its files, and its program,
#                                                run by the emulator if one is given, converts
#                                                the example as the build does
#   package_test.sh zip     <build> <example> <wine64> <wineserver>
#                                                the Windows zip: its files, and its program
#                                                converts the example under Wine as the build does
set -euo pipefail
check=$1
build=$2
packages=$build/packages
converter_page=$build/web/tapemill-converter.html
version=1.1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "package test ($check): $*" >&2; exit 1; }

# Requires the listing on standard input to be exactly the names given, one a line.
expect_files() {
  local listing=$work/listing
  sort > "$listing"
  printf '%s\n' "$@" | sort | diff -u - "$listing" > "$work/diff" ||
    fail "files differ from what the package must hold:
$(cat "$work/diff")"
}

# The tape the build's own program makes of the example.
built_tape() {
  "$build/tapemill" "$1" "$work/built.tap" > /dev/null
  echo "$work/built.tap"
}

case $check in
make)
  rm -rf "$packages"
  (cd "$build" && cpack > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
  ls "$packages"
  ;;

deb)
  arch=$3
  deb=$packages/tapemill_${version}_${arch}.deb
  [ -f "$deb" ] || fail "no $deb"
  dpkg-deb --fsys-tarfile "$deb" | tar t | grep -v '/$' | expect_files \
    ./usr/bin/tapemill \
    ./usr/share/man/man1/tapemill.1.gz \
    ./usr/share/doc/tapemill/copyright \
    ./usr/share/doc/tapemill/changelog.gz \
    ./usr/share/lintian/overrides/tapemill \
    ./usr/share/tapemill/tapemill-converter.html
  for field in Package:tapemill Version:$version Architecture:$arch Section:graphics \
    Priority:optional; do
    [ "$(dpkg-deb -f "$deb" "${field%%:*}")" = "${field#*:}" ] || fail "${field%%:*} is not ${field#*:}"
  done
  [ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"
  [ -z "$(dpkg-deb -f "$deb" Depends)" ] || fail "the static program depends on nothing, yet: $(dpkg-deb -f "$deb" Depends)"
  description=$(dpkg-deb -f "$deb" Description)
  [[ $description == *'ZX Spectrum'* ]] || fail "the description does not say what it converts"
  # Every tag lintian knows, informational, pedantic and experimental ones too. Overridden ones,
  # each with its reason in the package, are not shown and do not count.
  lintian --display-info --display-experimental --pedantic \
    --fail-on error,warning,info,pedantic,experimental "$deb" > "$work/lintian.log" 2>&1 ||
    fail "lintian failed: $(cat "$work/lintian.log")"
  grep -v -e '^running with root privileges' "$work/lintian.log" > "$work/tags" || true
  [ ! -s "$work/tags" ] || fail "lintian reports:
$(cat "$work/tags")"
  echo "deb ($arch): $(stat -c %s "$deb") bytes; lintian reports nothing"
  ;;

tarball)
  example=$3
  processor=$4
  emulator=("${@:5}")
  top=tapemill-$version-linux-$processor
  tarball=$packages/$top.tar.gz
  [ -f "$tarball" ] || fail "no $tarball"
  tar tzf "$tarball" | grep -v '/$' | expect_files \
    "$top/tapemill" "$top/tapemill.1" "$top/README.md" "$top/LICENSE" "$top/example.bmp" \
    "$top/tapemill-converter.html"
  tar xzf "$tarball" -C "$work"
  cmp "$work/$top/example.bmp" "$example" || fail "the example picture differs"
  cmp "$work/$top/tapemill-converter.html" "$converter_page" || fail "the converter page differs"
  "${emulator[@]}" "$work/$top/tapemill" "$work/$top/example.bmp" "$work/unpacked.tap" > /dev/null
  cmp "$work/unpacked.tap" "$(built_tape "$example")" || fail "the tarball's program made another tape"
  echo "tarball ($processor): $(stat -c %s "$tarball") bytes; its program converts the example to the build's tape"
  ;;

zip)
  example=$3
  wine64=$4
  wineserver=$5
  zip=$packages/tapemill-$version-windows-x86_64.zip
  [ -f "$zip" ] || fail "no $zip"
  top=tapemill-$version-windows-x86_64
  cmake -E tar tf "$zip" | grep -v '/$' | expect_files \
    "$top/tapemill.exe" "$top/tapemill-manual.html" "$top/README.md" "$top/LICENSE" \
    "$top/example.bmp" "$top/tapemill-converter.html"
  (cd "$work" && cmake -E tar xf "$zip")
  grep -q 'SCREEN\$' "$work/$top/tapemill-manual.html" || fail "the manual page in the zip is empty"
  cmp "$work/$top/tapemill-converter.html" "$converter_page" || fail "the converter page differs"
  # Wine with no display to look for, and a runtime folder of its own. Its server is waited
  # for before the prefix is removed, so that it writes nothing there any more.
  mkdir -m 700 "$work/runtime"
  export WINEPREFIX=$work/wine XDG_RUNTIME_DIR=$work/runtime WINEDEBUG=-all
  unset DISPLAY WAYLAND_DISPLAY
  trap '"$wineserver" --wait; rm -rf "$work"' EXIT
  (cd "$work/$top" && "$wine64" tapemill.exe example.bmp unpacked.tap > /dev/null 2> "$work/wine.log") ||
    { cat "$work/wine.log" >&2; fail "the zip's tapemill.exe failed under Wine"; }
  cmp "$work/$top/unpacked.tap" "$(built_tape "$example")" || fail "the zip's program made another tape"
  echo "zip: $(stat -c %s "$zip") bytes; its tapemill.exe converts the example under Wine to the build's tape"
  ;;

*)
  fail "no such check"
  ;;
esac
