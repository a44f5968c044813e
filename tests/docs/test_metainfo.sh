#!/usr/bin/env bash
# The AppStream record and the desktop entry: both validate
# (appstreamcli validate --no-net; desktop-file-validate); the record's
# launchable is the desktop entry that is installed, its icon the entry's
# icon, each screenshot one of docs/screenshots, and every binary it
# provides has a manual page.
# Usage: test_metainfo.sh <source folder>
set -u
src="$1"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

shopt -s nullglob
records=("$src"/resources/metainfo/*.metainfo.xml)
[ ${#records[@]} -eq 1 ] || { echo "FAIL: expected one AppStream record, found ${#records[@]}"; exit 1; }
record="${records[0]}"
id="$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$record")"
[ "$(basename "$record")" = "$id.metainfo.xml" ] || fail "$(basename "$record") holds the id '$id'"

for tool in appstreamcli desktop-file-validate; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool missing (scripts/deps.sh installs it)"; exit 1; }
done
appstreamcli validate --no-net --no-color "$record" >"${TMPDIR:-/tmp}/as.$$" 2>&1 ||
    fail "appstreamcli validate: $(cat "${TMPDIR:-/tmp}/as.$$")"
rm -f "${TMPDIR:-/tmp}/as.$$"

desktop_id="$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$record")"
desktop="$src/resources/desktop/$desktop_id"
if [ -f "$desktop" ]; then
    out="$(desktop-file-validate "$desktop" 2>&1)" || fail "desktop-file-validate: $out"
    [ -z "$out" ] || fail "desktop-file-validate: $out"
    icon="$(sed -n 's:.*<icon type="stock">\(.*\)</icon>.*:\1:p' "$record")"
    grep -qx "Icon=$icon" "$desktop" || fail "the record's icon '$icon' is not the desktop entry's"
    grep -q "resources/desktop/$desktop_id" "$src/src/CMakeLists.txt" || fail "$desktop_id is not installed"
else
    fail "the launchable '$desktop_id' is no desktop entry of resources/desktop"
fi

shots="$(grep -o '<image type="source">[^<]*</image>' "$record" | sed 's:.*>\(.*\)</image>:\1:')"
[ -n "$shots" ] || fail "no screenshots"
for url in $shots; do
    [ -f "$src/docs/screenshots/${url##*/}" ] || fail "screenshot $url is none of docs/screenshots"
done

binaries="$(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$record")"
[ -n "$binaries" ] || fail "the record provides no binary"
for b in $binaries; do
    [ -f "$src/docs/man/$b.1" ] || fail "the provided binary $b has no manual page"
done

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "PASS"
