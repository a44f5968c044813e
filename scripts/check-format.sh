#!/usr/bin/env bash
# Checks that every tracked C++ source of src, tests, tools and bench is
# formatted as .clang-format says; names each file that clang-format would
# change and fails then. With --fix it formats those files in place instead.
# Usage: scripts/check-format.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "check-format: clang-format missing (scripts/deps.sh installs it)"; exit 1; }
fix=no
case "${1:-}" in
--fix) fix=yes ;;
"") ;;
*) echo "usage: $0 [--fix]" >&2; exit 2 ;;
esac

files=()
while IFS= read -r -d '' f; do
    [ -f "$f" ] && files+=("$f")
done < <(git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
    'tools/*.cpp' 'tools/*.h' 'bench/*.cpp' 'bench/*.h')
[ ${#files[@]} -gt 0 ] || { echo "check-format: no sources found"; exit 1; }

if [ "$fix" = yes ]; then
    clang-format -i --style=file "${files[@]}"
    echo "check-format: formatted ${#files[@]} files"
    exit 0
fi

# One clang-format for all files; it names every line it would change.
report="$(clang-format --dry-run -Werror --style=file "${files[@]}" 2>&1)" && status=0 || status=$?
mapfile -t bad < <(printf '%s\n' "$report" | sed -n 's/^\([^: ]*\):[0-9]*:[0-9]*: error: .*/\1/p' | sort -u)
if [ "$status" -ne 0 ] && [ ${#bad[@]} -eq 0 ]; then
    echo "check-format: clang-format failed:"
    printf '%s\n' "$report" | head -20
    exit 1
fi
if [ ${#bad[@]} -gt 0 ]; then
    echo "check-format: ${#bad[@]} of ${#files[@]} files are not formatted as .clang-format says:"
    printf '  %s\n' "${bad[@]}"
    echo "check-format: the first differences:"
    printf '%s\n' "$report" | head -20
    echo "check-format: scripts/check-format.sh --fix formats them"
    exit 1
fi
echo "check-format: ${#files[@]} files formatted"
