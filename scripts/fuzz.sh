#!/usr/bin/env bash
# Fuzzes the RTF reader: builds tests/fuzz with clang (libFuzzer, ASan,
# UBSan) in its own folder and runs it from the committed corpus
# (tests/fuzz/corpus, and tests/fuzz/regressions: every input that ever
# failed). Exits non-zero on any crash, leak, undefined behaviour, broken
# round trip, two-step reading that differs, or time-out.
#
#   scripts/fuzz.sh            the run of ./test: a fixed number of
#                              executions from a fixed seed, so that the same
#                              sources give the same run (and the same
#                              verdict) on every machine: a finding cannot
#                              turn the tests red by chance.
#   scripts/fuzz.sh explore    a free run for a while (random seed), to look
#                              for new faults; its corpus grows in
#                              OXELN_FUZZ_BUILD/corpus from one run to the next.
#   scripts/fuzz.sh merge      adds what explore found to tests/fuzz/corpus,
#                              keeping only inputs that reach new code.
#
#   OXELN_FUZZ_BUILD    build folder (default: build-fuzz beside the sources)
#   OXELN_FUZZ_RUNS     executions of the fixed run (default: 40000)
#   OXELN_FUZZ_SEED     seed of the fixed run (default: 1)
#   OXELN_FUZZ_SECONDS  time of an explore run (default: 600)
# An input that fails goes to OXELN_FUZZ_BUILD/artifacts; once mended, copy it
# into tests/fuzz/regressions, which ctest replays in every build.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${OXELN_FUZZ_BUILD:-$root/build-fuzz}
mode=${1:-fixed}

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz.sh : clang++ n'est pas installé" >&2
    exit 1
fi

generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
cmake -S "$root/tests/fuzz" -B "$build" "${generator[@]}" -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel 2

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export QT_HASH_SEED=0 # Qt's hashes in the same order at every run
fuzzer=("$build/rtf_reader_fuzz")
common=(-timeout=10 -rss_limit_mb=2048 -dict="$root/tests/fuzz/rtf.dict"
        -artifact_prefix="$build/artifacts/" -print_final_stats=1)
mkdir -p "$build/artifacts"

# Prints the executions of the run whose output is in $1.
report() {
    local runs seconds
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$1")
    seconds=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$1")
    echo "fuzz.sh : ${runs:-?} exécutions en ${seconds:-?} s ($2)"
}

case "$mode" in
fixed)
    # The fuzzer adds what it finds to the first corpus folder: work on a
    # copy so that the committed corpus stays as it is.
    work=$(mktemp -d)
    log=$(mktemp)
    trap 'rm -rf "$work" "$log"' EXIT
    cp "$root"/tests/fuzz/corpus/* "$root"/tests/fuzz/regressions/* "$work/"
    # Address layout randomisation changes what the fuzzer explores: off
    # where the system allows it, for a run that repeats exactly.
    how="graine ${OXELN_FUZZ_SEED:-1}, reproductible"
    if setarch "$(uname -m)" -R true 2>/dev/null; then
        fuzzer=(setarch "$(uname -m)" -R "${fuzzer[@]}")
    else
        how="graine ${OXELN_FUZZ_SEED:-1}, non reproductible ici : setarch -R refusé"
    fi
    status=0
    "${fuzzer[@]}" "${common[@]}" -seed="${OXELN_FUZZ_SEED:-1}" -runs="${OXELN_FUZZ_RUNS:-40000}" \
        -reload=0 "$work" >"$log" 2>&1 || status=$?
    tail -n 40 "$log"
    report "$log" "$how"
    exit "$status"
    ;;
explore)
    mkdir -p "$build/corpus"
    cp -n "$root"/tests/fuzz/corpus/* "$root"/tests/fuzz/regressions/* "$build/corpus/"
    log=$(mktemp)
    trap 'rm -f "$log"' EXIT
    status=0
    "${fuzzer[@]}" "${common[@]}" -max_total_time="${OXELN_FUZZ_SECONDS:-600}" "$build/corpus" \
        2>&1 | tee "$log" || status=$?
    report "$log" "graine au hasard"
    exit "$status"
    ;;
merge)
    # Edges only, not hit counts: a small corpus that reaches all the code
    # reached so far.
    "${fuzzer[@]}" -merge=1 -use_counters=0 "$root/tests/fuzz/corpus" "$build/corpus"
    ;;
*)
    echo "usage : $0 [explore|merge]" >&2
    exit 2
    ;;
esac
