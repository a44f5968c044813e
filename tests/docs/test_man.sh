#!/usr/bin/env bash
# The manual pages: each of the four programs has one; every page renders
# with groff's warnings on (-ww) and through man -l without a message; its
# NAME line names the page's own program (what apropos and lintian read);
# it has the sections a reader looks for; and every page it refers to under
# SEE ALSO among the project's programs exists.
# Usage: test_man.sh <source folder>
set -u
src="$1"
man_dir="$src/docs/man"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

command -v groff >/dev/null || { echo "FAIL: groff missing"; exit 1; }
programs=(tavrin tavrin-launch tavrinctl nelta-sim)
for p in "${programs[@]}"; do
    [ -f "$man_dir/$p.1" ] || fail "no manual page $p.1"
done

for page in "$man_dir"/*.1; do
    name="$(basename "$page" .1)"
    err="$(LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$page" 2>&1)" || fail "$name.1: groff failed"
    [ -z "$err" ] || fail "$name.1: groff warns: $err"
    if command -v man >/dev/null; then
        text="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>"${TMPDIR:-/tmp}/man.$$.err")" ||
            fail "$name.1: man -l failed"
        err="$(cat "${TMPDIR:-/tmp}/man.$$.err")"
        rm -f "${TMPDIR:-/tmp}/man.$$.err"
        [ -z "$err" ] || fail "$name.1: man -l warns: $err"
    else
        text="$(LC_ALL=C.UTF-8 groff -man -Tutf8 -P-cbou "$page" 2>/dev/null)"
    fi

    # .TH names the program in capitals; NAME is "program \- summary".
    th="$(sed -n 's/^\.TH \([^ ]*\) 1 .*/\1/p' "$page" | sed 's/\\-/-/g')"
    [ "$th" = "${name^^}" ] || fail "$name.1: .TH names '$th'"
    whatis="$(sed -n '/^\.SH NAME/{n;p;q}' "$page")"
    case "$whatis" in
    "$(sed 's/-/\\-/g' <<<"$name") \\- "?*) ;;
    *) fail "$name.1: NAME line is '$whatis'" ;;
    esac
    for section in NAME SYNOPSIS DESCRIPTION "EXIT STATUS" EXAMPLES "SEE ALSO"; do
        grep -qx "$section" <<<"$text" || fail "$name.1: no section $section"
    done
    # Sections a page shows under OPTIONS and ENVIRONMENT must not be empty.
    for section in OPTIONS ENVIRONMENT; do
        if grep -qx "$section" <<<"$text"; then
            body="$(awk -v s="$section" '$0 == s {on = 1; next} on && /^[A-Z]/ {exit} on && NF {print}' <<<"$text")"
            [ -n "$body" ] || fail "$name.1: section $section is empty"
        fi
    done

    # SEE ALSO: the project's own pages that are named exist (and no page
    # names itself).
    see="$(awk '/^\.SH SEE ALSO/ {on = 1; next} /^\.SH/ {on = 0} on' "$page" |
        sed -n 's/^\.BR \([^ ]*\) (1).*/\1/p' | sed 's/\\-/-/g')"
    [ -n "$see" ] || fail "$name.1: SEE ALSO names no page"
    for ref in $see; do
        [ "$ref" != "$name" ] || fail "$name.1: SEE ALSO names the page itself"
        [ -f "$man_dir/$ref.1" ] || fail "$name.1: SEE ALSO names $ref(1), which does not exist"
    done
done

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "PASS"
