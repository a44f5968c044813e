#!/usr/bin/env bash
# The programs' own usage: `nelta-sim --help` and `tavrin-launch --help`
# print it and end with status 0, and list exactly the options of their
# manual pages. The launcher's --help (wherever it stands) is its own: the
# program is not started and no data folder is made; any other argument
# reaches the program unchanged, started in the data folder.
# Usage: test_usage.sh <source folder> <nelta-sim> <tavrin-launch of the build>
set -u
src="$1"
sim="$2"
launcher="$3"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The options a manual page lists under OPTIONS, sorted, one a line.
page_options() {
    awk '/^\.SH / {on = ($2 == "OPTIONS"); next}
        on && /^\.T[PQ]/ {item = 1; next}
        on && item {print; item = 0}' "$src/docs/man/$1.1" | sed 's/\\-/-/g' |
        grep -o -- '-\{1,2\}[a-z][a-z-]*' | sort -u
}
# The options a usage text lists at the start of its lines.
usage_options() { grep -oE -- '^ +-{1,2}[a-z][a-z-]*(, +-{1,2}[a-z][a-z-]*)*' | grep -oE -- '-{1,2}[a-z][a-z-]*' | sort -u; }

# ---- nelta-sim -------------------------------------------------------------
out="$("$sim" --help 2>"$work/err")"
rc=$?
[ "$rc" -eq 0 ] || fail "nelta-sim --help ended with $rc"
[ ! -s "$work/err" ] || fail "nelta-sim --help wrote to stderr: $(cat "$work/err")"
case "$out" in "usage: nelta-sim "*) ;; *) fail "nelta-sim --help: $out" ;; esac
[ "$(usage_options <<<"$out")" = "$(page_options nelta-sim)" ] ||
    fail "nelta-sim: --help lists $(usage_options <<<"$out" | paste -sd' '), the page $(page_options nelta-sim | paste -sd' ')"
"$sim" --no-such-option >/dev/null 2>"$work/err"
rc=$?
[ "$rc" -eq 2 ] || fail "nelta-sim with an unknown option ended with $rc"
grep -q '^usage: nelta-sim' "$work/err" || fail "nelta-sim with an unknown option prints no usage"

# ---- tavrin-launch ----------------------------------------------------------
# A fake installation around the built launcher: a "tavrin" that records
# where it runs and what it was given, a default file set and a help file.
inst="$work/inst"
mkdir -p "$inst/bin" "$inst/share/tavrin/defaults/System/AC_Config" "$inst/share/tavrin/System/Hilfe"
cp "$launcher" "$inst/bin/tavrin-launch"
cat >"$inst/bin/tavrin" <<FAKE
#!/bin/sh
pwd >"$work/ran"
for a in "\$@"; do printf '<%s>' "\$a"; done >>"$work/ran"
FAKE
chmod +x "$inst/bin/tavrin" "$inst/bin/tavrin-launch"
echo "[TAVRIN]" >"$inst/share/tavrin/defaults/tavrin.ini"
echo "[AC]" >"$inst/share/tavrin/defaults/System/AC_Config/AC_Power_01.ini"
echo "help" >"$inst/share/tavrin/System/Hilfe/tavrin_DE.chm"
data="$work/data"

# launch <args...>: runs the launcher with the data folder $data; its
# output in out, its status in rc.
launch() {
    rm -f "$work/ran"
    out="$(env -i HOME="$work" PATH="$PATH" TAVRIN_HOME="$data" "$inst/bin/tavrin-launch" "$@" 2>&1)"
    rc=$?
}

for args in "--help" "-h" "/silent --help" "--help /silent"; do
    # shellcheck disable=SC2086
    launch $args
    [ "$rc" -eq 0 ] || fail "tavrin-launch $args ended with $rc"
    case "$out" in "usage: tavrin-launch "*) ;; *) fail "tavrin-launch $args: $out" ;; esac
    [ ! -e "$work/ran" ] || fail "tavrin-launch $args started the program"
    [ ! -e "$data" ] || fail "tavrin-launch $args made the data folder"
done
launch --help
grep -qF "(now: $data)" <<<"$out" || fail "tavrin-launch --help does not name the data folder: $out"
grep -qF "$inst/bin/tavrin" <<<"$out" || fail "tavrin-launch --help does not name the program: $out"
[ "$(usage_options <<<"$out")" = "$(page_options tavrin-launch)" ] ||
    fail "tavrin-launch: --help lists $(usage_options <<<"$out" | paste -sd' '), the page $(page_options tavrin-launch | paste -sd' ')"

launch /silent "two words" "" "--"
[ "$rc" -eq 0 ] || fail "tavrin-launch with arguments ended with $rc: $out"
if [ -f "$work/ran" ]; then
    [ "$(sed -n 1p "$work/ran")" = "$data" ] || fail "the program ran in $(sed -n 1p "$work/ran")"
    [ "$(sed -n 2p "$work/ran")" = "</silent><two words><><-->" ] || fail "the program got $(sed -n 2p "$work/ran")"
else
    fail "tavrin-launch with arguments did not start the program: $out"
fi
[ -f "$data/System/AC_Config/AC_Power_01.ini" ] || fail "the first start did not make the data folder"

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "PASS"
