#!/usr/bin/env bash
# Checks the desktop integration and the Debian package of a build folder
# (default build/): the desktop entry and the AppStream data validate,
# lintian finds no error in the .deb, and the program unpacked from the
# .deb into a temporary root prints its version, converts the examples byte
# for byte as the build's own program does, and its MIME data names *.led.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
built="$(cd "$build" && pwd)/led2vqn"
start=$(date +%s)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

desktop-file-validate data/org.led2vqn.led2vqn.desktop
appstreamcli validate --no-net --pedantic data/org.led2vqn.led2vqn.metainfo.xml >/dev/null

rm -f "$build"/led2vqn_*.deb
cmake --build "$build" --target package >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$build"/led2vqn_*.deb)
echo "package: $deb ($(stat -c %s "$deb") bytes)"
dpkg-deb -f "$deb" Depends

# No warnings. `lintian -I` adds four notes, kept on purpose: extra-license-file
# (the LICENSE is installed beside Debian's copyright file, as the README
# names it), hardening-no-bindnow and hardening-no-fortify-functions (the
# project's own compiler flags, not Debian's build flags), and
# binary-has-unneeded-section .comment (CPack strips debug data only).
lintian --fail-on error "$deb" 2> >(grep -v 'root privileges' >&2)

root="$work/root"
dpkg-deb -x "$deb" "$root"
"$root/usr/bin/led2vqn" --version
mkdir "$work/installed" "$work/built"
for d in installed built; do cp examples/Gcode.sdc examples/*.led "$work/$d/"; done
(cd "$work/installed" && "$root/usr/bin/led2vqn" convert --model z71rgb --settings Gcode.sdc spring.led autumn.led >/dev/null)
(cd "$work/built" && "$built" convert --model z71rgb --settings Gcode.sdc spring.led autumn.led >/dev/null)
ls "$work/installed"/*.vqn >/dev/null
for card in "$work/built"/*.vqn; do cmp "$card" "$work/installed/$(basename "$card")"; done

update-mime-database "$root/usr/share/mime" >/dev/null 2>&1
grep -q 'application/x-led2vqn-program:\*\.led' "$root/usr/share/mime/globs2"
test -s "$root/usr/share/man/man1/led2vqn.1.gz"
echo "package checks passed in $(( $(date +%s) - start )) s"
