#!/bin/sh
# A private X display with a real window manager, for the tests that need
# frames, activation and a close button: Xvfb on a display number it picks
# itself, and openbox on it. Everything it owns lives under DIR; DIR/display
# holds the display name (":N") for the tests.
#
#   desktop-harness.sh start DIR
#   desktop-harness.sh stop DIR
set -eu

usage() { echo "usage: $0 start|stop DIR" >&2; exit 2; }
[ $# -eq 2 ] || usage
action=$1
dir=$2
case $dir in /*) ;; *) echo "DIR must be absolute" >&2; exit 2 ;; esac

# Running and not a zombie: the processes outlive the shell that started
# them, and nobody may be there to reap them at once.
alive() { [ -r "/proc/$1/stat" ] && ! grep -q '^[0-9]* (.*) Z' "/proc/$1/stat"; }

# Signals a process we started, only if its command line is still ours.
stop_one() {
    pidfile=$1
    pattern=$2
    [ -f "$pidfile" ] || return 0
    pid=$(cat "$pidfile")
    rm -f "$pidfile"
    if kill -0 "$pid" 2>/dev/null && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q -- "$pattern"; then
        kill -TERM "$pid"
        i=0
        while alive "$pid" && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
        if alive "$pid"; then kill -KILL "$pid"; fi
    fi
}

stop_all() {
    stop_one "$dir/openbox.pid" "openbox"
    stop_one "$dir/xvfb.pid" "Xvfb"
}

case $action in
stop)
    stop_all
    echo "private desktop stopped ($dir)"
    exit 0
    ;;
start) ;;
*) usage ;;
esac

for tool in Xvfb openbox xprop; do
    command -v "$tool" >/dev/null || { echo "$tool not found (packages xvfb, openbox, x11-utils)" >&2; exit 1; }
done
stop_all
rm -rf "$dir"
mkdir -p "$dir/config" "$dir/cache"

# Xvfb writes the number of the first free display on descriptor 3.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display.number" >"$dir/xvfb.log" 2>&1 &
echo $! >"$dir/xvfb.pid"
i=0
until [ -s "$dir/display.number" ]; do
    i=$((i + 1))
    if [ $i -gt 100 ] || ! kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null; then
        echo "Xvfb did not start:" >&2
        cat "$dir/xvfb.log" >&2
        stop_all
        exit 1
    fi
    sleep 0.1
done
display=":$(tr -d '\n' <"$dir/display.number")"

# The system's openbox configuration, nothing from the user's.
DISPLAY=$display XDG_CONFIG_HOME=$dir/config XDG_CACHE_HOME=$dir/cache \
    openbox --sm-disable >"$dir/openbox.log" 2>&1 &
echo $! >"$dir/openbox.pid"
i=0
until DISPLAY=$display xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    i=$((i + 1))
    if [ $i -gt 100 ] || ! kill -0 "$(cat "$dir/openbox.pid")" 2>/dev/null; then
        echo "openbox did not start:" >&2
        cat "$dir/openbox.log" >&2
        stop_all
        exit 1
    fi
    sleep 0.1
done
echo "$display" >"$dir/display"
echo "private desktop running: DISPLAY=$display"
