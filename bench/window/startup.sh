#!/usr/bin/env bash
# Process start to window shown (mapped, caption set) for the program, for
# a bare Qt window (bench/window/bare_window) and for the same window with
# one line of text (bare_window --texte), in turns, under a virtual screen
# with a window manager; median wall time and the process's CPU until then
# (from /proc/PID/schedstat), and the program's ratios to both. The second
# yardstick pays what any window with text pays (the font configuration,
# the font database, a font engine); the program's ratio to it is what the
# program adds of its own. Settings come from a scratch folder (XDG_CONFIG_HOME), never the
# user's.
#
#   xvfb-run -a bench/window/startup.sh build/oxeln [build/bench/window/bare_window] [runs]
set -u
exe=${1:-build/oxeln}
bare=${2:-$(dirname "$exe")/bench/window/bare_window}
runs=${3:-9}
command -v openbox >/dev/null && { openbox & wm=$!; sleep 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"; [ -n "${wm:-}" ] && kill "$wm"' EXIT

# One start: "wall_ms cpu_ms" once a visible window of the process is up.
start() {
    local t0 pid cpu
    t0=$(date +%s%N)
    XDG_CONFIG_HOME=$scratch "$@" & pid=$!
    until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do sleep 0.002; done
    cpu=$(cut -d' ' -f1 "/proc/$pid/schedstat")
    echo "$(( ($(date +%s%N) - t0) / 1000000 )) $(( cpu / 1000000 ))"
    kill "$pid"; wait "$pid" 2>/dev/null
}

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

start "$exe" >/dev/null; start "$bare" >/dev/null # warm the caches
: >"$scratch/program"; : >"$scratch/bare"; : >"$scratch/text"
for _ in $(seq "$runs"); do
    start "$exe" >>"$scratch/program"
    start "$bare" >>"$scratch/bare"
    start "$bare" --texte >>"$scratch/text"
done
pw=$(cut -d' ' -f1 "$scratch/program" | median); pc=$(cut -d' ' -f2 "$scratch/program" | median)
bw=$(cut -d' ' -f1 "$scratch/bare" | median); bc=$(cut -d' ' -f2 "$scratch/bare" | median)
tw=$(cut -d' ' -f1 "$scratch/text" | median); tc=$(cut -d' ' -f2 "$scratch/text" | median)
echo "program: wall_ms=$pw cpu_ms=$pc"
echo "bare window: wall_ms=$bw cpu_ms=$bc"
echo "bare window with a line of text: wall_ms=$tw cpu_ms=$tc"
awk -v pw="$pw" -v pc="$pc" -v bw="$bw" -v bc="$bc" 'BEGIN {printf "ratio to the bare window: wall %.2f cpu %.2f\n", pw / bw, pc / bc}'
awk -v pw="$pw" -v pc="$pc" -v tw="$tw" -v tc="$tc" 'BEGIN {printf "ratio to the window with text: wall %.2f cpu %.2f\n", pw / tw, pc / tc}'
