#!/usr/bin/env bash
# Restarts the real program under a window manager and checks where its
# window comes up: centred at the first start, then the same place and size
# at every restart, with "Edite" stored ticked and the settings file read
# slowly; a move and a resize are kept; stored places off the screen or
# larger than it come up whole on the screen.
#
#   restart-placement.sh OXELN DESKTOP_DIR
#
# DESKTOP_DIR is a running desktop-harness.sh. The settings file is slowed
# down with strace's fault injection (every open of it takes 60 ms), which
# needs no hook in the program; without a usable strace the restarts run at
# full speed.
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: $0 OXELN DESKTOP_DIR" >&2; exit 2; }
for tool in xdotool xwininfo xprop wmctrl; do
    command -v "$tool" >/dev/null || { echo "$tool not found (packages xdotool, x11-utils, wmctrl)" >&2; exit 1; }
done

work=$(mktemp -d)
cleanup() {
    if [ -n "${pid:-}" ] && kill -0 "$pid" 2>/dev/null; then kill -KILL "$pid"; fi
    rm -rf "$work"
}
trap cleanup EXIT

# The settings file lies beside the executable: a copy of it, in our folder.
cp "$1" "$work/oxeln"
ini=$work/oxeln.ini
cd "$work"
DISPLAY=$(cat "$2/display")
export DISPLAY QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work
read -r screenW screenH < <(xwininfo -root | awk '/^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print w, h}')

slow=()
if command -v strace >/dev/null && strace -o /dev/null true 2>/dev/null; then
    slow=(strace -f -qq -o /dev/null -P "$ini" -e trace=openat -e inject=openat:delay_exit=60000)
else
    echo "note: strace cannot trace here; the settings file is read at full speed"
fi

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

wid=
pid=
# Starts the program and waits until its window has stopped moving.
start() {
    "${slow[@]}" ./oxeln &
    local launcher=$! i
    pid=$launcher
    if [ ${#slow[@]} -gt 0 ]; then
        for i in $(seq 100); do
            pid=$(pgrep -P "$launcher" -x oxeln || true)
            [ -n "$pid" ] && break
            sleep 0.1
        done
    fi
    wid=
    for i in $(seq 300); do
        wid=$(xdotool search --pid "$pid" --onlyvisible 2>/dev/null | head -n 1 || true)
        [ -n "$wid" ] && break
        sleep 0.1
    done
    [ -n "$wid" ] || { echo "FAIL: no window"; exit 1; }
    local last= same=0 now
    for i in $(seq 100); do
        now=$(frame)
        if [ "$now" = "$last" ]; then same=$((same + 1)); else same=0; last=$now; fi
        [ $same -ge 6 ] && break
        sleep 0.1
    done
}

# The client area: x y width height.
client() {
    xwininfo -id "$wid" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print x, y, w, h}'
}

# The outer rectangle as the settings file writes it: left,top,right,bottom.
frame() {
    local x y w h l r t b
    read -r x y w h < <(client)
    read -r l r t b < <(xprop -id "$wid" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ',')
    echo "$((x - l)),$((y - t)),$((x + w + r)),$((y + h + b))"
}

stop() {
    wmctrl -i -c "$wid"
    local i
    for i in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then fail "the program did not end after the close"; kill -KILL "$pid"; fi
    wait || true
    pid=
}

stored() { LC_ALL=C sed -n "s/^$1=\\(.*\\)\\r\$/\\1/p" "$ini"; }

store_frame() {
    LC_ALL=C sed -i -e "s/^NormPos=.*\\r\$/NormPos=$1\\r/" \
        -e "s/^NormPos(${screenW}x${screenH})=.*\\r\$/NormPos(${screenW}x${screenH})=$1\\r/" "$ini"
}

# 1. First start: the frame is centred on the screen.
rm -f "$ini"
start
first=$(frame)
IFS=, read -r l t r b <<<"$first"
[ $((r - l)) -ge 740 ] && [ $((b - t)) -ge 400 ] || fail "frame $first smaller than 740 x 400"
[ "$l" -eq $(((screenW - (r - l)) / 2)) ] && [ "$t" -eq $(((screenH - (b - t)) / 2)) ] ||
    fail "first start: frame $first is not centred on ${screenW}x$screenH"
expected=$(client)
stop
[ "$(stored NormPos)" = "$first" ] || fail "first close stored $(stored NormPos), the frame was $first"

# 2. "Edite" ticked, slow reads: the same client area at every restart.
LC_ALL=C sed -i 's/^ckbEdite_Checked=False/ckbEdite_Checked=True/' "$ini"
for run in 1 2 3 4; do
    start
    [ "$(client)" = "$expected" ] || fail "restart $run with Edite: client $(client), expected $expected"
    stop
    [ "$(stored NormPos)" = "$first" ] || fail "restart $run stored $(stored NormPos), expected $first"
done
[ "$(stored ckbEdite_Checked)" = True ] || fail "Edite not kept ticked"

# 3. A move and a resize in the session are kept and saved.
start
xdotool windowmove "$wid" 100 60
xdotool windowsize "$wid" 900 500
sleep 1
moved=$(frame)
[ "$(client)" = "100 60 900 500" ] || fail "move and resize: client $(client)"
stop
[ "$(stored NormPos)" = "$moved" ] || fail "after a move and a resize stored $(stored NormPos), expected $moved"
start
[ "$(frame)" = "$moved" ] || fail "restart after a move: frame $(frame), expected $moved"
stop

# 4. Stored places: at the top edge, off the screen, larger than the screen.
check_stored() {
    store_frame "$1"
    start
    [ "$(frame)" = "$2" ] || fail "stored $1: frame $(frame), expected $2"
    stop
    [ "$(stored NormPos)" = "$2" ] || fail "stored $1: saved $(stored NormPos), expected $2"
}
IFS=, read -r l t r b <<<"$first"
w=$((r - l))
h=$((b - t))
check_stored "100,0,$((100 + w)),$h" "100,0,$((100 + w)),$h"
check_stored "3000,2000,$((3000 + w)),$((2000 + h))" "$((screenW - w)),$((screenH - h)),$screenW,$screenH"
check_stored "-500,-300,$((w - 500)),$((h - 300))" "0,0,$w,$h"
check_stored "0,0,16777215,16777215" "0,0,$screenW,$screenH"

if [ $failures -gt 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "placement kept over 11 starts"
