#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in BUILD_DIR (default build-fuzz)
# and runs each of them from a scratch copy of its seed corpus, so that the
# tree is never written to: VELTRIN_FUZZ_SECONDS each (default 20), as many
# at a time as there are cores. A crash, a sanitizer report or a broken
# property fails the run; the input that did it is kept in the scratch
# folder, whose path is printed. fuzz/run.sh BUILD_DIR TARGET... runs only
# those targets.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build-fuzz}
shift || true
seconds=${VELTRIN_FUZZ_SECONDS:-20}
jobs=$(nproc)

# -O1: a Debug build keeps Qt's and our assertions, and libFuzzer runs its
# targets some ten times as often as at -O0.
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" -DVELTRIN_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build_dir" -j"$jobs" --target fuzz-targets

if [ $# -gt 0 ]; then
    targets=("$@")
else
    targets=()
    for corpus in fuzz/corpus/*/; do
        targets+=("$(basename "$corpus")")
    done
fi
scratch=$(mktemp -d "${TMPDIR:-/tmp}/veltrin-fuzz.XXXXXX")

# Runs one target; its output goes to a log, and only a failure keeps it.
run_target() {
    local target=$1
    local work=$scratch/$target
    mkdir -p "$work"
    cp -r "fuzz/corpus/$target" "$work/corpus"
    if "$build_dir/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -dict="fuzz/$target.dict" -artifact_prefix="$work/" "$work/corpus" >"$work/log" 2>&1; then
        echo "fuzz_$target: $(grep -E '^#[0-9]+' "$work/log" | tail -1)"
        return 0
    fi
    echo "fuzz_$target FAILED; input and log in $work" >&2
    tail -n 40 "$work/log" >&2
    return 1
}

status=0
running=0
for target in "${targets[@]}"; do
    run_target "$target" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n || status=1
        running=$((running - 1))
    fi
done
while [ "$running" -gt 0 ]; do
    wait -n || status=1
    running=$((running - 1))
done
[ "$status" -ne 0 ] || rm -rf "$scratch"
exit "$status"
