#!/usr/bin/env bash
# Times start-up from outside: process start to the splash, the main window and the start page
# being shown, over several runs, and prints the medians in milliseconds. Needs a display (run
# it under xvfb-run) and the built program: bench/startup_time.sh [build/app/tagloom] [runs]
set -euo pipefail
program=$(realpath "${1:-build/app/tagloom}")
runs=${2:-7}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$program" "$(dirname "$program")/help.html" "$work/"
export QT_LOGGING_RULES="tagloom.startup.debug=true"
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1

for run in $(seq "$runs"); do
    rm -f "$work"/HTML-TGLM-*.html
    start=$(date +%s%3N)
    "$work/tagloom" 2>"$work/log" &
    pid=$!
    for _ in $(seq 200); do
        grep -q "tagloom.startup: start page" "$work/log" 2>/dev/null && break
        sleep 0.05
    done
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    awk -v start="$start" '$1 == "tagloom.startup:" {
        key = ($2 == "start") ? "page" : $2; printf "%s=%d ", key, $NF - start } END { print "" }' "$work/log"
done | tee "$work/times"

median() { tr ' ' '\n' <"$work/times" | grep "^$1=" | cut -d= -f2 | sort -n |
    awk '{ a[NR] = $1 } END { print (NR % 2 ? a[(NR + 1) / 2] : int((a[NR / 2] + a[NR / 2 + 1]) / 2)) }'; }
splash=$(median splash)
timer=$(median timer)
main=$(median main)
page=$(median page)
echo "median of $runs runs, ms from process start: splash $splash, splash timer $timer," \
    "main window $main (+$((main - timer)) after the timer), start page $page"
