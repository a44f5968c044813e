#!/usr/bin/env bash
# The program's files stay its own and stay what they were. The working
# folder "App" has a sibling "APP" with the same file set (the resolved
# names are upper case); tavrin.ini is a symbolic link with mode 0600 to a
# file elsewhere, the box file has mode 0600. A run that switches socket 1
# and ends with "Beenden" writes only App's files: the link is still a link
# (its target changed, mode 0600 kept), the box file keeps its mode, the
# sibling's files are byte for byte what they were, and nothing is left
# beside the files.
# Usage: test_files_kept.sh <path of tavrin>   (TAVRIN_SIM: nelta-sim)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
app="$work/App"
make_app "$app"
make_app "$work/APP"
set_ini "$work/APP/tavrin.ini" TAVRIN PositionX 777
mkdir -p "$work/elsewhere"
mv "$app/tavrin.ini" "$work/elsewhere/tavrin.ini"
chmod 600 "$work/elsewhere/tavrin.ini"
ln -s "$work/elsewhere/tavrin.ini" "$app/tavrin.ini"
box="$(box_file)"
chmod 600 "$box"
sibling_sum() { (cd "$work/APP" && find . -type f ! -path './System/Logging/*' -print0 | sort -z | xargs -0 md5sum); }
before="$(sibling_sum)"
listing() { ls -A "$1"; }
app_before="$(listing "$app")"
config_before="$(listing "$app/System/AC_Config")"

start_sim --model USB-NELTA4
start_restored 4
from=$(box_count)
click_slot "$win" 1
wait_box atn1 50 "$from" || fail "no atn1 from the page button"
wait_quiet 50
menu_quit "$win" || fail "the menu did not open"
wait_end "$tpid" 150 || fail "the program did not end"
[ "$rc" -eq 0 ] || fail "ended with $rc"

[ -L "$app/tavrin.ini" ] || fail "tavrin.ini is no longer a link"
[ "$(readlink "$app/tavrin.ini")" = "$work/elsewhere/tavrin.ini" ] || fail "the link points elsewhere"
[ "$(stat -c %a "$work/elsewhere/tavrin.ini")" = 600 ] || fail "tavrin.ini lost its mode 0600"
[ "$(stat -c %a "$box")" = 600 ] || fail "the box file lost its mode 0600"
expect_ini "$box" AC ACPower01 ON
[ "$(ini_get "$work/elsewhere/tavrin.ini" TAVRIN PositionX)" != 777 ] || fail "App's tavrin.ini holds the sibling's value"
[ "$(sibling_sum)" = "$before" ] || fail "the sibling folder APP was changed"
[ -z "$(ls "$work/APP/System/Logging" 2>/dev/null)" ] || fail "the program logged into the sibling folder"
[ "$(listing "$app")" = "$app_before" ] || fail "files left beside tavrin.ini: $(listing "$app")"
[ "$(listing "$app/System/AC_Config")" = "$config_before" ] || fail "files left beside the box file"
[ "$(listing "$work/elsewhere")" = "tavrin.ini" ] || fail "files left beside the link's target"
pass
