#!/usr/bin/env bash
# ./run without a screen: it says so and gives the commands that start Oxeln
# under a virtual screen, the install of xvfb first when xvfb-run is missing.
#   check-run-display.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A PATH of the basic tools only, with or without an xvfb-run.
mkdir -p "$work/bin" "$work/with"
for tool in bash id dirname cat; do ln -s "$(command -v "$tool")" "$work/bin/$tool"; done
printf '#!/bin/sh\n' >"$work/with/xvfb-run" && chmod +x "$work/with/xvfb-run"

check() { # PATH → the message on standard error; fails unless it returns 1
    local status=0
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM PATH="$1" \
        bash -c 'source "$0/scripts/setup.sh"; oxeln_require_display' "$source_dir" 2>"$work/err" || status=$?
    [ "$status" -eq 1 ] || fail "returned $status without a screen"
    cat "$work/err"
}
without=$(check "$work/bin")
grep -q "^Pas d'écran" <<<"$without" || fail "no message: $without"
if [ "$(id -u)" -eq 0 ]; then install="  apt-get install -y xvfb"; else install="  sudo apt-get install -y xvfb"; fi
grep -qxF "$install" <<<"$without" || fail "no install command: $without"
grep -qxF "  xvfb-run -a ./run" <<<"$without" || fail "no run command: $without"
with=$(check "$work/with:$work/bin")
grep -q "apt-get" <<<"$with" && fail "install offered although xvfb-run is there: $with"
grep -qxF "  xvfb-run -a ./run" <<<"$with" || fail "no run command: $with"

# A screen: nothing said, nothing stopped.
DISPLAY=:99 bash -c 'source "$0/scripts/setup.sh"; oxeln_require_display' "$source_dir" 2>"$work/err" \
    || fail "refused a screen"
[ ! -s "$work/err" ] || fail "spoke with a screen: $(cat "$work/err")"
echo "run display check OK"
