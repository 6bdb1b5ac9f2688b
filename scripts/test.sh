#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Tessaly with AddressSanitizer and UndefinedBehaviorSanitizer (the
# benchmark included, so that it keeps compiling) and runs every test with
# leak detection on, then builds the fuzz targets and runs each for a
# minute. Safe to run on a fresh Debian 12 machine: it installs what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh fuzz

# Every C++ file the clone holds, as .clang-format lays it out, so that a
# diff shows only what changed.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
# Every source file names its licence in its first lines.
unlicensed=$(git ls-files '*.cpp' '*.h' '*.sh' '*.cmake' '*CMakeLists.txt' '*.ui' '*.qrc' \
    '*.desktop' '*.xml' '*.svg' '*.in' '*.bash-completion' .ci/run |
    while read -r f; do [[ "$(head -n 3 "$f")" == *SPDX-License-Identifier* ]] || echo "$f"; done)
if [ -n "$unlicensed" ]; then
    echo "no SPDX-License-Identifier line in:" $unlicensed >&2
    exit 1
fi

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
# Paths relative to the clone, and no working folder in the hash, so a clone
# in another folder reuses what an earlier build compiled.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake --preset asan
cmake --build --preset asan -j"$(nproc)"
ctest --preset asan -j"$(nproc)" --timeout 300

bash scripts/fuzz.sh 60
