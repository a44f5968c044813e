#!/usr/bin/env bash
# The installation and its first run: `cmake --install` into a fresh prefix
# puts the program, the launcher, the desktop entry, the icons, the help and
# the default file set in place; the launcher makes the user's data folder
# from the default file set, starts the program there (it finds the box and
# writes its settings there), and on a later start keeps every file the user
# has, adding only what is missing.
# Usage: test_install.sh <path of tavrin in its build folder>
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
build="$(cd "$(dirname "$tavrin")/.." && pwd)"
prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.out" 2>&1 || fail "cmake --install failed"

for f in bin/tavrin bin/tavrin-launch bin/nelta-sim share/applications/tavrin.desktop \
    share/icons/hicolor/48x48/apps/tavrin.png share/icons/hicolor/scalable/apps/tavrin.svg \
    share/tavrin/System/Hilfe/tavrin_DE.chm share/tavrin/defaults/tavrin.ini \
    share/tavrin/defaults/System/AC_Config/AC_Power_16.ini; do
    [ -e "$prefix/$f" ] || fail "not installed: $f"
done
grep -qx 'Exec=tavrin-launch' "$prefix/share/applications/tavrin.desktop" || fail "desktop entry does not start the launcher"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/tavrin.desktop" >"$work/validate.out" 2>&1 ||
        fail "desktop entry invalid: $(cat "$work/validate.out")"
fi

# First run: the data folder does not exist yet.
export XDG_DATA_HOME="$work/data"
app="$XDG_DATA_HOME/tavrin"
start_sim --com 2 --model USB-NELTA4
"$prefix/bin/tavrin-launch" >"$work/launch.out" 2>&1 &
tpid=$!
e2e_pids+=("$tpid")
wait_restored 4 || fail "the launched program did not restore the box"
wait_window '^Tavrin$' 100 >/dev/null || fail "main window did not appear"
message_shown && fail "a message appeared on the first run"
cmp -s "$prefix/share/tavrin/System/Hilfe/tavrin_DE.chm" "$app/System/Hilfe/tavrin_DE.chm" || fail "help not in the data folder"
[ "$(ls "$app/System/AC_Config" | wc -l)" -eq 16 ] || fail "box files: $(ls "$app/System/AC_Config")"
kill -TERM "$tpid"
wait_end "$tpid" 100 || fail "program does not end on SIGTERM"
[ "$rc" -eq 0 ] || fail "program ended with $rc"
[ "$(ini_get "$(box_file)" COM Port)" = "COM2" ] || fail "box file does not hold the port found: $(ini_get "$(box_file)" COM Port)"

# Second run: the user's settings stay, a removed box file comes back, an
# outdated help file is replaced.
set_ini "$app/tavrin.ini" TAVRIN PositionX 321
set_ini "$(box_file)" AC AC_Name01 Drucker
rm "$app/System/AC_Config/AC_Power_09.ini"
echo "alt" >"$app/System/Hilfe/tavrin_DE.chm"
TAVRIN_HOME="" "$prefix/bin/tavrin-launch" >>"$work/launch.out" 2>&1 &
tpid=$!
e2e_pids+=("$tpid")
from=$(box_count)
wait_box 'at[no]4' 300 "$from" || fail "the second start did not restore the box"
[ "$(ini_get "$(box_file)" AC AC_Name01)" = "Drucker" ] || fail "socket name overwritten"
[ -f "$app/System/AC_Config/AC_Power_09.ini" ] || fail "missing box file not added"
cmp -s "$prefix/share/tavrin/System/Hilfe/tavrin_DE.chm" "$app/System/Hilfe/tavrin_DE.chm" || fail "outdated help kept"
kill -TERM "$tpid"
wait_end "$tpid" 100 || fail "program does not end on SIGTERM"
[ "$(ini_get "$(box_file)" AC AC_Name01)" = "Drucker" ] || fail "socket name lost at the end"

# A data folder that cannot be made: a clear message, no program.
out=$(XDG_DATA_HOME=/proc/tavrin-nowhere "$prefix/bin/tavrin-launch" 2>&1) && fail "launcher succeeded without a data folder"
case "$out" in *"cannot create the data folder"*) ;; *) fail "launcher message: $out" ;; esac
pass
