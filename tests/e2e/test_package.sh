#!/usr/bin/env bash
# The Debian package of the tested build (scripts/package.sh --build-dir):
#  1. its control data names the version of the build and the Depends that
#     the binaries' libraries need; every file belongs to root; the binaries
#     are stripped; the programs, the desktop entry, the icons, the AppStream
#     record, the compressed manual pages, the completion, the help, the
#     default file set, the copyright file and changelog.Debian.gz are in it;
#  2. unpacked into a scratch root, its launcher makes the data folder from
#     the package's own default file set on the first run and its program
#     finds the box and restores it; the package's tavrinctl (once the build
#     has one) answers "status" through the running program and, after the
#     program's end, directly from the box;
#  3. lintian, when installed, reports no error.
# Usage: test_package.sh <path of tavrin in its build folder>
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
build="$(cd "$(dirname "$tavrin")/.." && pwd)"
command -v dpkg-deb >/dev/null || fail "dpkg-deb missing"

# ---- 1. The package -----------------------------------------------------------
bash "$e2e_root/scripts/package.sh" --build-dir "$build" "$work/pkg" >"$work/package.out" 2>&1 ||
    fail "package.sh failed: $(tail -20 "$work/package.out")"
deb="$(tail -1 "$work/package.out")"
[ -f "$deb" ] || fail "package.sh names no package: $(tail -5 "$work/package.out")"
upstream="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$build/CMakeCache.txt")"
arch="$(dpkg --print-architecture)"
[ "$(basename "$deb")" = "tavrin_${upstream}-1_${arch}.deb" ] || fail "package file name: $(basename "$deb")"

info="$(dpkg-deb -I "$deb")" || fail "dpkg-deb -I failed"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tavrin ] || fail "Package: $(field Package)"
[ "$(field Version)" = "${upstream}-1" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
depends="$(field Depends)"
depends_names="$(tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/[ (].*//')"
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
    grep -qxF "$lib" <<<"$depends_names" || fail "Depends lacks $lib: $depends"
done
grep -q '^ Installed-Size: [1-9]' <<<"$info" || fail "no Installed-Size: $info"

listing="$(dpkg-deb -c "$deb")" || fail "dpkg-deb -c failed"
owners="$(awk '{print $2}' <<<"$listing" | sort -u)"
[ "$owners" = "root/root" ] || fail "files not owned by root: $owners"

root="$work/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
usr="$root/usr"
for f in bin/tavrin bin/tavrin-launch bin/nelta-sim share/applications/tavrin.desktop \
    share/icons/hicolor/48x48/apps/tavrin.png share/icons/hicolor/scalable/apps/tavrin.svg \
    share/metainfo/de.tavrin.Tavrin.metainfo.xml share/bash-completion/completions/tavrinctl \
    share/man/man1/tavrin.1.gz share/man/man1/tavrin-launch.1.gz share/man/man1/tavrinctl.1.gz \
    share/man/man1/nelta-sim.1.gz share/tavrin/System/Hilfe/tavrin_DE.chm \
    share/tavrin/defaults/tavrin.ini share/tavrin/defaults/System/AC_Config/AC_Power_16.ini \
    share/doc/tavrin/copyright share/doc/tavrin/changelog.Debian.gz; do
    [ -e "$usr/$f" ] || fail "not in the package: /usr/$f"
done
[ -z "$(find "$usr/share/man" -name '*.[0-9]')" ] || fail "uncompressed manual pages: $(find "$usr/share/man" -name '*.[0-9]')"
head -1 "$usr/share/doc/tavrin/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright is not machine-readable"
zcat "$usr/share/doc/tavrin/changelog.Debian.gz" | head -1 | grep -qF "tavrin (${upstream}-1)" ||
    fail "changelog.Debian does not start with this version"

elf=0
for f in "$usr"/bin/*; do
    file -b "$f" | grep -q '^ELF' || continue
    elf=$((elf + 1))
    file -b "$f" | grep -q ', stripped' || fail "$(basename "$f") is not stripped: $(file -b "$f")"
    readelf -S -W "$f" | grep -qE '\.(debug_|symtab|comment)' && fail "$(basename "$f") keeps debug, symbol or comment sections"
done
[ "$elf" -ge 2 ] || fail "only $elf ELF programs in /usr/bin"
if command -v appstreamcli >/dev/null; then
    appstreamcli validate-tree --no-net --no-color "$root" >"$work/appstream.out" 2>&1 ||
        fail "appstreamcli validate-tree: $(cat "$work/appstream.out")"
fi
echo "package: $(basename "$deb"), Depends: $depends"

# ---- 2. The unpacked package runs ---------------------------------------------
export XDG_DATA_HOME="$work/data"
unset TAVRIN_HOME
app="$XDG_DATA_HOME/tavrin"
ctl="$usr/bin/tavrinctl"
start_sim --com 2 --model USB-NELTA4
"$usr/bin/tavrin-launch" >"$work/launch.out" 2>&1 &
tpid=$!
e2e_pids+=("$tpid")
wait_restored 4 || fail "the packaged program did not restore the box"
wait_window '^Tavrin$' 100 >/dev/null || fail "main window did not appear"
message_shown && fail "a message appeared on the first run"
[ "$(ls "$app/System/AC_Config" | wc -l)" -eq 16 ] || fail "box files: $(ls "$app/System/AC_Config")"
cmp -s "$usr/share/tavrin/defaults/System/AC_Config/AC_Power_16.ini" "$app/System/AC_Config/AC_Power_16.ini" ||
    fail "the data folder's box file 16 is not the package's default"
cmp -s "$usr/share/tavrin/System/Hilfe/tavrin_DE.chm" "$app/System/Hilfe/tavrin_DE.chm" || fail "help not in the data folder"
if [ -x "$ctl" ]; then
    wait_quiet 50 || fail "the box keeps receiving commands"
    out="$("$ctl" --timeout 10 --json status 2>&1)" || fail "tavrinctl status through the program ended with $?: $out"
    grep -q 'NELTA4' <<<"$out" || fail "tavrinctl status through the program: $out"
else
    echo "no tavrinctl in the package: its status check is left out"
fi
kill -TERM "$tpid"
wait_end "$tpid" 100 || fail "program does not end on SIGTERM"
[ "$rc" -eq 0 ] || fail "program ended with $rc"
[ "$(ini_get "$(box_file)" COM Port)" = "COM2" ] || fail "box file does not hold the port found: $(ini_get "$(box_file)" COM Port)"
if [ -x "$ctl" ]; then
    out="$("$ctl" --timeout 10 --json status 2>&1)" || fail "tavrinctl status from the box ended with $?: $out"
    grep -q 'NELTA4' <<<"$out" || fail "tavrinctl status from the box: $out"
fi

# ---- 3. lintian ---------------------------------------------------------------
if command -v lintian >/dev/null; then
    lintian --fail-on error "$deb" >"$work/lintian.out" 2>&1 || fail "lintian: $(cat "$work/lintian.out")"
    echo "lintian: $(grep -c '^W:' "$work/lintian.out") warnings"
fi
pass
