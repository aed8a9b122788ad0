#!/usr/bin/env bash
# Builds the Debian package as scripts/package.sh does (Debian's hardening
# flags, a build folder of its own under BUILD_DIR/package), checks it with
# lintian and in its executables, reads its control fields and file list
# with dpkg-deb, extracts it into a scratch root and makes worksheets with
# the extracted composer: the same bytes as the build's own composer for a
# fixed seed, and a PDF through Qt.
#   check-package.sh SOURCE_DIR BUILD_DIR VERSION
set -euo pipefail
source_dir=$1
build=$2
version=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

if ! OXELN_PACKAGE_BUILD=$build/package "$source_dir/scripts/package.sh" "$work/out" >"$work/package.log" 2>&1; then
    tail -n 40 "$work/package.log" >&2
    fail "scripts/package.sh"
fi
deb=$work/out/oxeln_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb") in: $(ls "$work/out")"

# lintian: no error, no warning, and none of its hardening notes.
lintian --display-info "$deb" >"$work/lintian" 2>&1 || true
grep -v 'running with root privileges' "$work/lintian" >"$work/tags" || true
if grep -Eq '^(E|W): ' "$work/tags" || grep -q 'hardening-' "$work/tags"; then
    fail "lintian: $(cat "$work/tags")"
fi

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = oxeln ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
names=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//')
# Computed by dpkg-shlibdeps, then the two that no library link shows.
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libqt6svg6 \
    fonts-liberation qt6-translations-l10n; do
    grep -qxF "$package" <<<"$names" || fail "Depends lacks $package: $depends"
done
field Description | grep -q "version 3 or later" || fail "the description does not name the licence"

dpkg-deb --contents "$deb" >"$work/contents"
for file in usr/bin/oxeln usr/bin/oxeln-compose usr/share/applications/fr.oxeln.Oxeln.desktop \
    usr/share/metainfo/fr.oxeln.Oxeln.metainfo.xml usr/share/icons/hicolor/scalable/apps/oxeln.svg \
    usr/share/icons/hicolor/48x48/apps/oxeln.png usr/share/man/man1/oxeln.1.gz \
    usr/share/man/man1/oxeln-compose.1.gz usr/share/doc/oxeln/copyright usr/share/doc/oxeln/changelog.gz; do
    grep -q " \./$file\$" "$work/contents" || fail "$file is not in the package"
done
# Everything belongs to root, as dpkg will install it.
if awk '$2 != "root/root"' "$work/contents" | grep -q .; then
    fail "files not owned by root: $(awk '$2 != "root/root"' "$work/contents")"
fi

dpkg-deb --extract "$deb" "$work/root"
file -b "$work/root/usr/bin/oxeln" | grep -q ', stripped' || fail "oxeln is not stripped"
# The hardening, read in the executables themselves.
for program in oxeln oxeln-compose; do
    elf=$work/root/usr/bin/$program
    headers=$(readelf -lW "$elf")
    dynamic=$(readelf -dW "$elf")
    symbols=$(readelf --dyn-syms -W "$elf")
    grep -q GNU_RELRO <<<"$headers" || fail "$program: no relro"
    grep -Eq 'BIND_NOW|FLAGS_1.*NOW' <<<"$dynamic" || fail "$program: no bind-now"
    grep -q '__stack_chk_fail' <<<"$symbols" || fail "$program: no stack protector"
    grep -Eq '__[a-z0-9_]+_chk@' <<<"$symbols" || fail "$program: no fortified function"
done
args=(--seed 20261208 --lines 4 + S2)
"$work/root/usr/bin/oxeln-compose" "${args[@]}" --out "$work/packaged.rtf" >"$work/ref1"
"$build/oxeln-compose" "${args[@]}" --out "$work/built.rtf" >"$work/ref2"
grep -Eqx 'Ref [0-9]{3}_[0-9]{3}' "$work/ref1" || fail "reference code: $(cat "$work/ref1")"
cmp -s "$work/ref1" "$work/ref2" || fail "reference codes differ"
cmp "$work/packaged.rtf" "$work/built.rtf" || fail "subjects differ"
cmp "$work/packaged_Cor.rtf" "$work/built_Cor.rtf" || fail "answer keys differ"
"$work/root/usr/bin/oxeln-compose" --format pdf x --out "$work/sheet.pdf" >/dev/null
[ "$(head -c 5 "$work/sheet.pdf")" = "%PDF-" ] || fail "the packaged composer writes no PDF"
[ "$("$work/root/usr/bin/oxeln-compose" --version)" = "oxeln-compose $version" ] || fail "composer version"

echo "package OK: $(basename "$deb"), $(grep -c . "$work/contents") entries"
