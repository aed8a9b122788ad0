#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks it as a desktop and a
# distribution would: every file in its place, the desktop entry and the
# AppStream metainfo accepted by their validators, icons of the size their
# folder says, manual pages that format without a warning, and installed
# programs that tell the project's version.
#   check-install.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$root/usr" >/dev/null
cd "$root/usr"

app=fr.oxeln.Oxeln
sizes=(16 22 24 32 48 64 128 256)
expected=(bin/oxeln bin/oxeln-compose share/applications/$app.desktop share/metainfo/$app.metainfo.xml
    share/icons/hicolor/scalable/apps/oxeln.svg share/man/man1/oxeln.1.gz share/man/man1/oxeln-compose.1.gz
    share/doc/oxeln/copyright share/doc/oxeln/changelog.gz)
for size in "${sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/oxeln.png")
done
for file in "${expected[@]}"; do
    [ -f "$file" ] || fail "$file is not installed"
done
[ -x bin/oxeln ] && [ -x bin/oxeln-compose ] || fail "the programs are not executable"

for size in "${sizes[@]}"; do
    png=share/icons/hicolor/${size}x${size}/apps/oxeln.png
    file -b "$png" | grep -q "^PNG image data, $size x $size," || fail "$png: $(file -b "$png")"
done

# The validators print nothing for a clean desktop entry; appstreamcli
# fails on errors and warnings.
desktop=share/applications/$app.desktop
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate: $report"
appstreamcli validate --no-net share/metainfo/$app.metainfo.xml || fail "appstreamcli rejects the metainfo"

# The menu entry starts an installed program with an installed icon.
command=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "bin/${command%% *}" ] || fail "Exec=$command is not an installed program"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon=$icon is not installed"

# Bumping the version without a release entry (metainfo, changelog) is a mistake.
release=$(grep -o '<release version="[^"]*"' share/metainfo/$app.metainfo.xml | head -n 1)
[ "$release" = "<release version=\"$version\"" ] || fail "newest release is $release, not $version"
zcat share/doc/oxeln/changelog.gz | head -n 1 | grep -q "^oxeln ($version) " || fail "the changelog does not start with $version"

for page in oxeln oxeln-compose; do
    warnings=$(zcat "share/man/man1/$page.1.gz" | groff -k -man -Tutf8 -ww -z 2>&1)
    [ -z "$warnings" ] || fail "$page.1: $warnings"
    zcat "share/man/man1/$page.1.gz" | grep -q "^\.TH .*\"Oxeln $version\"" || fail "$page.1 does not carry $version"
done

# No display is needed to ask for the version.
for program in oxeln oxeln-compose; do
    said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "bin/$program" --version)
    [ "$said" = "$program $version" ] || fail "$program --version says '$said'"
done
echo "install tree OK: ${#expected[@]} files"
