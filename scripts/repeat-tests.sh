#!/usr/bin/env bash
# Runs the README's test command (scripts/deps.sh && scripts/test.sh) N times
# on a fresh clone of the current commit, to show that the suite passes every
# time and not only by luck. Prints one line per run, then every test that
# failed at least once with how often; exits non-zero when any run failed.
# Usage: scripts/repeat-tests.sh [N]   (default 10)
#   KEEP=1 keeps the clone; the logs of failed runs are always kept.
set -uo pipefail
runs="${1:-10}"
case "$runs" in '' | *[!0-9]* | 0) echo "usage: $0 [N] (N >= 1)" >&2; exit 2 ;; esac
root="$(cd "$(dirname "$0")/.." && pwd)"
commit="$(git -C "$root" rev-parse HEAD)" || exit 2
tmp="$(mktemp -d "${TMPDIR:-/tmp}/repeat-tests.XXXXXX")"
clone="$tmp/tavrin"
logs="$tmp/logs"
mkdir -p "$logs"

git clone --quiet --no-hardlinks "$root" "$clone" || exit 2
git -C "$clone" checkout --quiet --detach "$commit" || exit 2
echo "repeat-tests: $runs runs of 'scripts/deps.sh && scripts/test.sh' on a fresh clone of $(git -C "$clone" log -1 --format='%h %s' | cut -c1-72)"
echo "repeat-tests: clone $clone"

# Objects compiled for an earlier clone are reused, whatever folder it was in
# (ccache keys on paths relative to the clone).
export CCACHE_BASEDIR="$clone" CCACHE_NOHASHDIR=true

declare -A failures=()
failed_runs=0
failed_list="$clone/build/default/Testing/Temporary/LastTestsFailed.log"
for i in $(seq "$runs"); do
    log="$logs/run-$i.log"
    rm -f "$failed_list"
    start=$(date +%s)
    (cd "$clone" && scripts/deps.sh && scripts/test.sh) >"$log" 2>&1
    status=$?
    took=$(($(date +%s) - start))
    summary="$(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -1)"
    if [ "$status" -eq 0 ]; then
        echo "run $i/$runs: passed in ${took} s (${summary:-no CTest summary})"
        rm -f "$log"
        continue
    fi
    failed_runs=$((failed_runs + 1))
    names=()
    if [ -s "$failed_list" ]; then
        # Lines "<number>:<test name>".
        while IFS= read -r line; do names+=("${line#*:}"); done <"$failed_list"
    else
        names=("(no test ran: deps, configure or build failed)")
    fi
    for n in "${names[@]}"; do failures["$n"]=$((${failures["$n"]:-0} + 1)); done
    echo "run $i/$runs: FAILED in ${took} s (${#names[@]} failed: ${names[*]}); log $log"
done

echo
if [ "$failed_runs" -eq 0 ]; then
    echo "repeat-tests: $runs of $runs runs passed"
else
    echo "repeat-tests: $failed_runs of $runs runs failed; tests that failed at least once:"
    for n in "${!failures[@]}"; do printf '  %3d of %d  %s\n' "${failures[$n]}" "$runs" "$n"; done | sort -k4
    echo "repeat-tests: logs of the failed runs in $logs"
fi
if [ -z "${KEEP:-}" ]; then
    rm -rf "$clone"
    [ "$failed_runs" -eq 0 ] && rm -rf "$tmp"
fi
[ "$failed_runs" -eq 0 ]
