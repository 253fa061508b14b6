#!/usr/bin/env bash
# The real program on a desktop of its own: an X server, a window manager that draws frames and
# a clipboard keeper. Checks what only such a desktop shows: the main window's outer frame is
# placed at the work area less 30 pixels, and a word copied with "コピー" is still on the
# clipboard after "終了". Usage: desktop_session.sh PROGRAM KEEPER
set -euo pipefail
program=$1
keeper=$2
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
wait_for() { # seconds, command...
    local tries=$(($1 * 10))
    shift
    for _ in $(seq "$tries"); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
wait_for 10 test -s "$work/display" || fail "no X server"
export DISPLAY=":$(cat "$work/display")"
openbox >/dev/null 2>&1 &
pids+=($!)
wait_for 10 xprop -root _NET_SUPPORTING_WM_CHECK || fail "no window manager"
"$keeper" >"$work/keeper" 2>&1 &
pids+=($!)
wait_for 10 grep -q ready "$work/keeper" || fail "no clipboard keeper"

mkdir "$work/app"
cp "$program" "$(dirname "$program")/help.html" "$work/app/"
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
"$work/app/tagloom" 2>"$work/log" &
app=$!
pids+=($app)
wait_for 30 xdotool search --onlyvisible --name '^Tagloom -$' || fail "the main window did not appear"
win=$(xdotool search --onlyvisible --name '^Tagloom -$' | head -1)

# The outer frame: the work area's right and bottom less 30, once the frame is known.
read -r ax ay aw ah < <(xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g' | cut -d' ' -f1-4)
outer() {
    eval "$(xdotool getwindowgeometry --shell "$win")"
    read -r l r t b < <(xprop -id "$win" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    echo "$((WIDTH + l + r))x$((HEIGHT + t + b))"
}
expected="$((ax + aw - 30))x$((ay + ah - 30))"
wait_for 5 test "$(outer)" = "$expected" || fail "outer size $(outer), expected $expected"
echo "outer frame $(outer) as expected"

# Type a word, select it, copy it with the menu, and end with "終了", not saving.
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
xdotool mousemove --window "$win" 150 300 click 1
sleep 0.3
xdotool type --delay 30 "keepme"
xdotool key ctrl+a
sleep 0.3
xdotool key alt+e
sleep 0.3
xdotool key c
sleep 0.3
[ "$(xclip -o -selection clipboard 2>/dev/null)" = "keepme" ] || fail "the word was not copied"
xdotool key alt+f
sleep 0.3
xdotool key x
wait_for 10 xdotool search --onlyvisible --name '^終了確認$' || fail "no exit prompt"
prompt=$(xdotool search --onlyvisible --name '^終了確認$' | head -1)
xdotool windowactivate --sync "$prompt" 2>/dev/null || xdotool windowfocus --sync "$prompt"
xdotool key n
wait_for 20 bash -c "! kill -0 $app" || fail "the program did not end"
status=0
wait "$app" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
[ "$(xclip -o -selection clipboard 2>/dev/null)" = "keepme" ] ||
    fail "the copied word did not outlive the program"
echo "the copied word outlived the program"
echo "1 passed, 0 failed"
