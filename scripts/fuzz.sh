#!/usr/bin/env bash
# Fuzzes the RTF reader: builds tests/fuzz with clang (libFuzzer, ASan,
# UBSan) in its own folder and runs it for a while. Exits non-zero on any
# crash, leak, undefined behaviour, broken round trip or time-out.
#   OXELN_FUZZ_BUILD   build folder (default: build-fuzz beside the sources)
#   OXELN_FUZZ_SECONDS run time (default: 60)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${OXELN_FUZZ_BUILD:-$root/build-fuzz}
seconds=${OXELN_FUZZ_SECONDS:-60}

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz.sh : clang++ n'est pas installé" >&2
    exit 1
fi

generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
cmake -S "$root/tests/fuzz" -B "$build" "${generator[@]}" -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel 2

# The fuzzer adds what it finds to the first corpus folder: work on a copy so
# the seeds in the repository stay as they are.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root"/tests/fuzz/corpus/* "$work/"
mkdir -p "$build/artifacts"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
"$build/rtf_reader_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -dict="$root/tests/fuzz/rtf.dict" -artifact_prefix="$build/artifacts/" -print_final_stats=1 "$work"
