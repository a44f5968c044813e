#!/usr/bin/env bash
# The settings dialog (menu key Alt+E) against a USB-NELTA8:
#  1. Opening it checks the box and reads its serial number ("at", "atsn"),
#     and loading the stored beeper setting into its check box switches the
#     beeper on ("at", "atbon").
#  2. On page " Allgemein" the auto-hide, autostart and silent-start check
#     boxes are ticked; autostart puts the program's link into the user's
#     autostart folder. On page " Desktop " "Unten-Rechts" moves the main
#     window to the bottom right. "Ok" closes the dialog.
#  3. After "Beenden" tavrin.ini holds PrgHide, AUTOSTART and SILENT "ON" and
#     FormPos "ButtomRight"; the box file holds the serial number.
#  4. The next start is silent: the box is initialised, the silent-start
#     window stays (without silent start it hides itself after its tick);
#     the program ends on SIGTERM with status 0.
# Usage: test_settings.sh <path of tavrin>   (TAVRIN_SIM: nelta-sim)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
ini="$app/tavrin.ini"
box="$(box_file)"
make_app
start_sim --model USB-NELTA8 --serial NELTA-004711
start_restored 8
for w in $(xdotool search --onlyvisible --classname '^tavrin$' 2>/dev/null); do
    [ "$(win_width "$w")" = 1 ] && fail "the silent-start window is still shown without silent start"
done

# ---- 1. Opening ---------------------------------------------------------------
from=$(box_count)
dlg=$(open_settings "$win") || fail "settings dialog did not open"
wait_box atbon 50 "$from" || fail "no beeper command on opening (got: $(box_after "$from" | tr '\n' ' '))"
wait_quiet 50
[ "$(box_after "$from" | tr '\n' ' ')" = "at atsn at atbon " ] ||
    fail "opening sent: $(box_after "$from" | tr '\n' ' ')"

# ---- 2. Options ---------------------------------------------------------------
# Page " Allgemein": the check boxes' captions, left column of the dialog.
# tick <x> <y> <handler>: a click on a check box; its handler is through
# when the trace holds one more line of its end.
tick() {
    local n rx="<<-- PROCEDURE : $3[[:space:]]*$"
    n=$(log_count "$rx")
    click_at "$dlg" "$1" "$2"
    wait_until 50 log_grew "$rx" "$n" || fail "the click at $1,$2 did not run $3"
}
tick 100 93 'TForm_AC_Einstellung1.Action_PWD_AutoCloseExecute' # "Bei längerer Inaktivität den Tavrin automatisch"
tick 100 186 'TTavrin1.Action_SetAutoStartExecute'              # "Windows Autostart vom Tavrin aktivieren."
tick 100 211 'TTavrin1.Action_SetSilentExecute'                 # "Silent-Modus vom Tavrin aktivieren."
ls "$HOME"/.config/autostart/tavrin.* >/dev/null 2>&1 || fail "no autostart link after ticking autostart"
# Page " Desktop ": the tab under the pages; once the page shows (the right
# part of the page area, empty on " Allgemein", holds the right column of
# the positions), "Unten-Rechts".
page_area=250x70+320+80
page=$(region_sum "$dlg" "$page_area")
click_at "$dlg" 125 314
wait_until 50 region_changed "$dlg" "$page_area" "$page" || fail "the page \" Desktop \" does not show"
click_at "$dlg" 440 143
at_bottom_right() {
    eval "$(xdotool getwindowgeometry --shell "$win")"
    [ "$X" -gt 600 ] && [ "$Y" -gt 400 ]
}
wait_until 30 at_bottom_right || fail "main window at $X,$Y after \"Unten-Rechts\""
press_keys "$dlg" alt+o || fail "the settings dialog does not take the focus"
wait_until 30 no_foreign "$win" || fail "settings dialog still open after Ok"

# ---- 3. Saved at the end ------------------------------------------------------
menu_quit "$win"
wait_end "$tpid" 100 || fail "\"Beenden\" does not end the program"
[ "$rc" -eq 0 ] || fail "ended with $rc"
expect_ini "$ini" TAVRIN PrgHide ON
expect_ini "$ini" TAVRIN AUTOSTART ON
expect_ini "$ini" TAVRIN SILENT ON
expect_ini "$ini" TAVRIN FormPos ButtomRight
expect_ini "$box" AC AC_SN NELTA-004711
expect_ini "$box" AC AC_BEEPER ON
ini_intact "$ini" "$defaults/tavrin.ini"

# ---- 4. Silent start -------------------------------------------------------------
# The 1 x 1 silent-start window hides itself after its tick unless the start
# is silent; the box is initialised either way, and the main window, visible
# since the search found the box, is left as it is (not brought forward).
silent_window_shown() {
    local w
    for w in $(xdotool search --onlyvisible --classname '^tavrin$' 2>/dev/null); do
        [ "$(win_width "$w")" = 1 ] && return 0
    done
    return 1
}
: >"$boxlog"
start_tavrin
wait_restored 8 300 || fail "box not initialised on the silent start"
wait_quiet 50
silent_window_shown || fail "the silent-start window is gone on a silent start"
kill -0 "$tpid" 2>/dev/null || fail "program ended on the silent start"
kill -TERM "$tpid"
wait_end "$tpid" 100 || fail "program does not end on SIGTERM"
[ "$rc" -eq 0 ] || fail "ended with $rc"
expect_ini "$ini" TAVRIN SILENT ON
pass
