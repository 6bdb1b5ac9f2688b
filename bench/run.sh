#!/bin/sh
# Builds the release preset and runs the conversion benchmark: the engine
# against a plain libvips loop, ImageMagick's mogrify and `vips copy`, on a
# generated corpus. Prints the table and the targets; exits nonzero when a
# target is missed. The corpus stays in the work folder (TESSALY_BENCH_DIR,
# default build/release/bench-work) for the next run.
set -eu
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

missing=""
command -v mogrify >/dev/null 2>&1 || missing="$missing imagemagick"
command -v vips >/dev/null 2>&1 || missing="$missing libvips-tools"
[ -x /usr/bin/time ] || missing="$missing time"
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update
    $sudo apt-get install -y $missing
fi

cmake --preset release -DTESSALY_BUILD_BENCH=ON
cmake --build build/release --target tessaly_bench -j2

work=${TESSALY_BENCH_DIR:-build/release/bench-work}
mkdir -p "$work"
exec build/release/bin/tessaly_bench run "$work"
