#!/usr/bin/env bash
# Builds Tessaly and converts the bundled sample pictures through the engine
# into a folder, then says where. Safe to run on a fresh Debian 12 machine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
cmake --preset release -DTESSALY_BUILD_TESTS=OFF -DTESSALY_BUILD_BENCH=OFF >/dev/null
cmake --build --preset release --target tessaly -j"$(nproc)"

out="${1:-$PWD/build/samples-converted}"
mkdir -p "$out"
build/release/bin/tessaly --to "$out" samples/*
echo
echo "Converted pictures are in: $out"
ls -l "$out"
