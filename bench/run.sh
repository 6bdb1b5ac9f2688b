#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the release preset and runs the conversion benchmark: the engine
# against a plain libvips loop, ImageMagick's mogrify and `vips copy`, on a
# generated corpus; then the application end to end (the offscreen window
# and `tessaly --to`) beside the engine; then the conversions several at
# once (the parallel floor, `tessaly --to -j N`, the window with
# TESSALY_JOBS=N) beside the one-at-a-time engine and both mogrifys.
# Between them, a row per quality level on the medium set (time and bytes).
# `bench/run.sh engine`, `bench/run.sh quality`, `bench/run.sh app` or
# `bench/run.sh parallel` runs one part only. `bench/run.sh calibrate`, not
# part of the whole run (about an hour on 2 cores), remakes the saver
# table's quality levels: for each lossy format the setting whose butteraugli
# distance matches JPEG's at each level on whole photos, printed as rows for
# the table; TESSALY_CALIBRATE_EVERY=K searches on every Kth photo of the
# medium set (default 7, as the table was made). `bench/run.sh
# calibrate-check` measures the table's settings the same way on every 5th
# (TESSALY_CHECK_EVERY), mostly other photos (about 30 minutes), then the
# bytes of whole photos at High against JPEG's and the AVIF, HEIF and JPEG
# XL encoders' own tools beside the program (about 10);
# `bench/run.sh calibrate-check levels` or `tools` runs one of the two.
# TESSALY_BENCH_JOBS sets N (the machine's cores by
# default). Prints the tables and the targets; exits nonzero when a target
# is missed. The corpus stays in the work folder (TESSALY_BENCH_DIR, default
# build/release/bench-work) for the next run.
set -eu
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

missing=""
command -v mogrify >/dev/null 2>&1 || missing="$missing imagemagick"
command -v vips >/dev/null 2>&1 || missing="$missing libvips-tools"
command -v gm >/dev/null 2>&1 || missing="$missing graphicsmagick"
[ -x /usr/bin/time ] || missing="$missing time"
if [ "${1:-all}" = calibrate ] || [ "${1:-all}" = calibrate-check ]; then
    command -v butteraugli >/dev/null 2>&1 || missing="$missing butteraugli"
    command -v avifenc >/dev/null 2>&1 || missing="$missing libavif-bin"
    command -v heif-enc >/dev/null 2>&1 || missing="$missing libheif-examples"
    command -v cjxl >/dev/null 2>&1 || missing="$missing libjxl-tools"
fi
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update
    $sudo apt-get install -y $missing
fi

cmake --preset release -DTESSALY_BUILD_BENCH=ON
cmake --build build/release --target tessaly_bench tessaly tessaly_store_settings -j2

work=${TESSALY_BENCH_DIR:-build/release/bench-work}
mkdir -p "$work"
part=${1:-all}
status=0
if [ "$part" = all ] || [ "$part" = engine ]; then
    build/release/bin/tessaly_bench run "$work" || status=$?
fi
if [ "$part" = all ] || [ "$part" = quality ]; then
    build/release/bin/tessaly_bench quality "$work" || { s=$?; [ "$status" -ne 0 ] || status=$s; }
fi
if [ "$part" = all ] || [ "$part" = app ]; then
    build/release/bin/tessaly_bench app "$work" || { s=$?; [ "$status" -ne 0 ] || status=$s; }
fi
if [ "$part" = all ] || [ "$part" = parallel ]; then
    build/release/bin/tessaly_bench parallel "$work" ${TESSALY_BENCH_JOBS:-} ||
        { s=$?; [ "$status" -ne 0 ] || status=$s; }
fi
if [ "$part" = calibrate ]; then
    build/release/bin/tessaly_bench calibrate "$work" ${TESSALY_CALIBRATE_EVERY:-7} || status=$?
fi
if [ "$part" = calibrate-check ]; then
    build/release/bin/tessaly_bench calibrate-check "$work" ${TESSALY_CHECK_EVERY:-5} \
        ${2:-} || status=$?
fi
exit "$status"
