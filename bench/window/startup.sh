#!/usr/bin/env bash
# Process start to window shown (mapped, caption set), five runs, under a
# virtual screen with a window manager: xvfb-run -a bench/window/startup.sh build/oxeln
set -u
exe=${1:-build/oxeln}
command -v openbox >/dev/null && { openbox & sleep 1; }
for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    "$exe" & pid=$!
    until xdotool search --onlyvisible --name "Oxeln" >/dev/null 2>&1; do sleep 0.01; done
    echo "start_ms=$(( ($(date +%s%N) - start) / 1000000 ))"
    kill "$pid"; wait "$pid" 2>/dev/null
done
