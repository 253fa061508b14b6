#!/usr/bin/env bash
# What an idle window costs the processor. Starts the built program on an X server of its own
# (Xvfb, software OpenGL, openbox) in a fresh application folder, pastes a real page into the
# text pane (the preview then shows it), leaves the focus in the pane and waits without input;
# then sums utime+stime of the program and its browser helper processes over a span and prints
# it as a share of one core. The bare window of the toolkit (bench/idle_baseline.cpp: a text box
# and a browser view holding the same page, sized as the program's window) is measured the same
# way in the same run.
#
#   bench/idle_cpu.sh [build/app/tagloom] [build/bench/tagloom_idle_baseline] [runs]
#
# IDLE_SETTLE (15) seconds without input, then IDLE_SPAN (20) seconds measured.
# IDLE_SHOTS=<folder> keeps a screenshot (.xwd) of each window taken after its measurement.
set -euo pipefail
program=$(realpath "${1:-build/app/tagloom}")
baseline=$(realpath "${2:-build/bench/tagloom_idle_baseline}")
runs=${3:-3}
settle=${IDLE_SETTLE:-15}
span=${IDLE_SPAN:-20}
page=$(dirname "$program")/help.html
work=$(mktemp -d)
started=()
cleanup() {
    for pid in "${started[@]}" $(cat "$work/pids" 2>/dev/null); do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own, so nothing else draws or types on it.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
started+=("$xvfb")
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=":$(head -n1 "$work/display")"
export DISPLAY
openbox >/dev/null 2>&1 &
started+=("$!")
sleep 1
export QT_QPA_PLATFORM=xcb
export QT_LOGGING_RULES="tagloom.startup.debug=true"
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1

# The process and every process below it.
tree() {
    ps -e -o pid=,ppid= | awk -v root="$1" '
        { parent[$1] = $2 } END {
            keep[root] = 1; grew = 1
            while (grew) { grew = 0
                for (p in parent) if (!(p in keep) && (parent[p] in keep)) { keep[p] = 1; grew = 1 } }
            for (p in keep) print p }'
}

# Clock ticks a set of processes has used, all their threads included.
ticks() {
    local total=0 pid fields
    for pid in "$@"; do
        fields=$(cat "/proc/$pid/stat" 2>/dev/null) || continue
        fields=${fields##*) }
        total=$((total + $(awk '{ print $12 + $13 }' <<<"$fields")))
    done
    echo "$total"
}

wait_for_window() {
    local id=""
    for _ in $(seq 300); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1) && [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || { echo "no window named $1" >&2; return 1; }
    echo "$id"
}

# Waits without input, then prints the processor share of the tree under $1 over the span.
measure() {
    local root=$1 name=$2 hz before after xbefore xafter pids
    hz=$(getconf CLK_TCK)
    sleep "$settle"
    mapfile -t pids < <(tree "$root")
    before=$(ticks "${pids[@]}")
    xbefore=$(ticks "$xvfb")
    sleep "$span"
    mapfile -t pids < <(tree "$root")
    after=$(ticks "${pids[@]}")
    xafter=$(ticks "$xvfb")
    if [ -n "${IDLE_SHOTS:-}" ] && command -v xwd >/dev/null; then
        mkdir -p "$IDLE_SHOTS"
        xwd -root -silent -out "$IDLE_SHOTS/$name.xwd" || true
    fi
    awk -v t=$((after - before)) -v x=$((xafter - xbefore)) -v hz="$hz" -v s="$span" \
        -v n="${#pids[@]}" \
        'BEGIN { printf "%.2f %.2f %d\n", 100 * t / hz / s, 100 * x / hz / s, n }'
}

run_program() {
    local folder="$work/app" pid window
    rm -rf "$folder"
    mkdir -p "$folder"
    cp "$program" "$page" "$folder/"
    (cd "$folder" && exec ./tagloom 2>"$work/log") &
    pid=$!
    echo "$pid" >>"$work/pids"
    window=$(wait_for_window '^Tagloom -$')
    # The bare window is given the same size: composing a window costs by its area.
    xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=' >"$work/geometry"
    for _ in $(seq 300); do
        grep -q "tagloom.startup: start page" "$work/log" 2>/dev/null && break
        sleep 0.1
    done
    xclip -quiet -selection clipboard -i "$page" 2>/dev/null &
    local clip=$!
    echo "$clip" >>"$work/pids"
    sleep 0.5
    xdotool mousemove --window "$window" 150 300 click 1
    xdotool key --window "$window" ctrl+v
    for _ in $(seq 300); do
        grep -q "</html>" "$folder/HTML-TGLM-temp.html" 2>/dev/null && break
        sleep 0.1
    done
    xdotool key --window "$window" ctrl+Home
    kill "$clip" 2>/dev/null || true
    measure "$pid" tagloom
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

run_baseline() {
    local pid window
    "$baseline" "$page" 2>/dev/null &
    pid=$!
    echo "$pid" >>"$work/pids"
    window=$(wait_for_window '^idle baseline$')
    # shellcheck disable=SC1091
    . "$work/geometry"
    xdotool windowsize "$window" "$WIDTH" "$HEIGHT"
    sleep 2
    xdotool mousemove --window "$window" 150 300 click 1
    xdotool key --window "$window" ctrl+Home
    measure "$pid" baseline
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

echo "idle ${settle} s, then measured over ${span} s: % of one core (the X server's own share)"
for run in $(seq "$runs"); do
    read -r p px pn < <(run_program)
    read -r b bx bn < <(run_baseline)
    echo "run $run: tagloom $p% ($pn processes; X server $px%), bare window $b% ($bn processes; X server $bx%)"
    echo "$p $b" >>"$work/results"
done
sort -n -k1 "$work/results" | awk '{ a[NR] = $1 } END { printf "median tagloom %.2f%%", a[int((NR + 1) / 2)] }'
sort -n -k2 "$work/results" | awk '{ a[NR] = $2 } END { printf ", bare window %.2f%%\n", a[int((NR + 1) / 2)] }'
