#!/usr/bin/env bash
# Shared set-up of ./run and ./test: install the missing Debian packages,
# then configure and build. Sourced; the caller names the packages and the
# targets.
set -euo pipefail

OXELN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OXELN_BUILD=${OXELN_BUILD:-$OXELN_ROOT/build}

oxeln_missing_packages() {
    local missing=() p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    echo "${missing[*]:-}"
}

oxeln_install() {
    local missing
    missing=$(oxeln_missing_packages "$@")
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
            SUDO=sudo
        else
            echo "Ces paquets Debian manquent ; installez-les en tant que root, puis relancez :" >&2
            echo "  apt-get install -y $missing" >&2
            exit 1
        fi
    fi
    echo "Installation de : $missing"
    ${SUDO:-} env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    # shellcheck disable=SC2086
    ${SUDO:-} env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing
}

# oxeln_require_display: returns when there is a screen to open the window
# on; otherwise says so, with the exact commands for a virtual screen
# (installing xvfb first when it is missing), and returns 1. A window under
# a virtual screen is invisible, so it is offered, not done unasked.
oxeln_require_display() {
    if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ "${QT_QPA_PLATFORM:-}" = offscreen ]; then
        return 0
    fi
    {
        echo "Pas d'écran (DISPLAY vide) : Oxeln ouvre une fenêtre ; lancez « ./run » depuis une session de bureau."
        echo "Pour l'essayer quand même dans un écran virtuel, invisible :"
        if ! command -v xvfb-run >/dev/null 2>&1; then
            if [ "$(id -u)" -eq 0 ]; then
                echo "  apt-get install -y xvfb"
            else
                echo "  sudo apt-get install -y xvfb"
            fi
        fi
        echo "  xvfb-run -a ./run"
    } >&2
    return 1
}

# oxeln_npm_ci DIR: the npm packages of DIR's lock file, installed once
# (again only when the lock file changes).
oxeln_npm_ci() {
    local dir=$1
    [ -f "$dir/package-lock.json" ] || return 0
    cmp -s "$dir/package-lock.json" "$dir/node_modules/.oxeln-lock.json" 2>/dev/null && return 0
    (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error && cp package-lock.json node_modules/.oxeln-lock.json)
}

# oxeln_build [TARGET...]: configures once, then builds the targets named,
# or everything.
oxeln_build() {
    local generator=() targets=()
    command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
    if [ ! -f "$OXELN_BUILD/CMakeCache.txt" ]; then
        cmake -S "$OXELN_ROOT" -B "$OXELN_BUILD" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
    [ "$#" -gt 0 ] && targets=(--target "$@")
    cmake --build "$OXELN_BUILD" --parallel "$(nproc)" "${targets[@]}"
}

OXELN_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation qt6-translations-l10n)
