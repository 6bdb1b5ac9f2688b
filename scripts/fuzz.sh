#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets (the fuzz preset, clang 15) and runs each for
# a while over its seeds, with leak detection on. Stops at the first target
# that finds a crash, a leak or an input slower than 10 seconds; libFuzzer
# keeps that input under build/fuzz/artifacts/.
#
#   scripts/fuzz.sh [SECONDS-PER-TARGET] [TARGET...]
#
# SECONDS-PER-TARGET defaults to 600 (CI runs 60). TARGET is picture,
# property_list, alias, descriptors, jpeg_recode or iptc; all by default. Inputs
# that widen the coverage collect in build/fuzz/corpus/<target>/, so later
# runs go on from there; the seeds in fuzz/corpus/ are only read. To replay an input
# that failed: build/fuzz/fuzz/fuzz_<target> build/fuzz/artifacts/<file>.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(picture property_list alias descriptors jpeg_recode iptc)

bash scripts/install-deps.sh fuzz

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"

export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-15/bin/llvm-symbolizer
export ASAN_OPTIONS="detect_leaks=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"

mkdir -p build/fuzz/artifacts
summary=()
for target in "${targets[@]}"; do
    case "$target" in
    picture) max_len=16384 ;;
    jpeg_recode) max_len=8192 ;;
    *) max_len=4096 ;;
    esac
    work=build/fuzz/corpus/$target
    log=build/fuzz/$target.log
    mkdir -p "$work"
    echo "== fuzzing $target for ${seconds}s"
    status=0
    "build/fuzz/fuzz/fuzz_$target" "$work" "fuzz/corpus/$target" \
        -max_total_time="$seconds" -timeout=10 -detect_leaks=1 -rss_limit_mb=2048 \
        -max_len="$max_len" -print_final_stats=1 \
        -artifact_prefix="build/fuzz/artifacts/$target-" >"$log" 2>&1 || status=$?
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
    rate=$(sed -n 's/^stat::average_exec_per_sec:[[:space:]]*//p' "$log" | tail -1)
    if [ "$status" -ne 0 ] || [ -z "$done_line" ]; then
        tail -60 "$log"
        echo "== $target FAILED (exit $status); the input is in build/fuzz/artifacts/"
        exit 1
    fi
    cov=$(echo "$done_line" | grep -oE 'cov: [0-9]+' | cut -d' ' -f2)
    ft=$(echo "$done_line" | grep -oE 'ft: [0-9]+' | cut -d' ' -f2)
    runs=$(echo "$done_line" | grep -oE '^#[0-9]+' | tr -d '#')
    summary+=("$(printf '%-14s %10s runs %8s exec/s  cov %6s  ft %6s' "$target" "$runs" "$rate" "$cov" "$ft")")
done
echo "== fuzzing summary (${seconds}s per target)"
printf '%s\n' "${summary[@]}"
