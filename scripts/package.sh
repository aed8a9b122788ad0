#!/usr/bin/env bash
# The Debian package, built as Debian builds its own packages: in a build
# folder of its own, with the flags dpkg-buildflags gives for all of Debian's
# hardening (fortified functions, stack protector, relro and bind-now), then
# cpack. The builds of ./run and ./test keep their own flags.
#   scripts/package.sh [OUT_DIR]   (default: the package build folder)
# OXELN_PACKAGE_BUILD names that folder (default: build-deb beside the sources).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${OXELN_PACKAGE_BUILD:-$root/build-deb}
out=${1:-$build}

export DEB_BUILD_MAINT_OPTIONS=${DEB_BUILD_MAINT_OPTIONS:-hardening=+all}
cd "$root" # the sources' paths in the debugging data are made relative to here
CPPFLAGS=$(dpkg-buildflags --get CPPFLAGS)
CXXFLAGS=$(dpkg-buildflags --get CXXFLAGS)
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
generator=()
command -v ninja >/dev/null 2>&1 && [ ! -f "$build/CMakeCache.txt" ] && generator=(-G Ninja)
# Build type None: the optimisation is dpkg-buildflags' own (-O2), as in Debian.
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=None \
    -DOXELN_BUILD_TESTS=OFF -DOXELN_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" \
    -DCMAKE_SHARED_LINKER_FLAGS="$LDFLAGS" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
ls "$out"/oxeln_*.deb
