#!/usr/bin/env bash
# Builds Tessaly with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test. Safe to run on a fresh Debian 12 machine: it installs what it needs.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
cmake --preset asan
cmake --build --preset asan -j"$(nproc)"
ctest --preset asan -j"$(nproc)" --timeout 300
