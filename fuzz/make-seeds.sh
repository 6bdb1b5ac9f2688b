#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the seed corpus (fuzz/corpus/<target>/) again from the seed maker.
# The seeds are kept in the repository; run this only to change them.
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
cmake --preset fuzz >/dev/null
cmake --build build/fuzz --target tessaly_fuzz_seeds -j2
rm -rf fuzz/corpus
ASAN_OPTIONS=detect_leaks=0 build/fuzz/fuzz/tessaly_fuzz_seeds fuzz/corpus
du -sh fuzz/corpus/*
