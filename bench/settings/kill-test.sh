#!/usr/bin/env bash
# The settings file under hundreds of kills while it is saved: the file
# always parses with old or new values, and no copy of it piles up beside it.
# Runs the kill test of tests/settings with more kills, in the temporary
# folder and, as root with mkfs.vfat, on a FAT file system (a USB stick's),
# where the copy needs a name while it is written.
#   OXELN_BUILD  build folder (default: build beside the sources)
#   KILLS        kills per run (default: 500)
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${OXELN_BUILD:-$root/build}
test=$build/tests/settings/tst_settings_faults
kills=${KILLS:-500}
cmake --build "$build" --target tst_settings_faults settings_fault_helper >/dev/null

run() {
    OXELN_SETTINGS_KILLS=$kills QT_QPA_PLATFORM=offscreen "$test" "$@" 2>&1 \
        | grep -E 'kills:|FAIL|Totals' | sed -E 's/^.*\) //'
}

echo "== $(df -T "${TMPDIR:-/tmp}" | awk 'NR==2 {print $2}') (${TMPDIR:-/tmp})"
run

if [ "$(id -u)" = 0 ] && command -v mkfs.vfat >/dev/null 2>&1; then
    work=$(mktemp -d)
    trap 'umount "$work/mnt" 2>/dev/null || true; rm -rf "$work"' EXIT
    truncate -s 32M "$work/fat.img"
    mkfs.vfat "$work/fat.img" >/dev/null
    mkdir "$work/mnt"
    if mount -o loop "$work/fat.img" "$work/mnt" 2>/dev/null; then
        echo "== vfat"
        OXELN_SETTINGS_KILL_DIR=$work/mnt run
    else
        echo "== vfat: this kernel cannot mount it, skipped"
    fi
fi
