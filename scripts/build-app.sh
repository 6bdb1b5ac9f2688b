#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Tessaly needs and builds the release programs that the main
# job and the screenshots run (build/release/bin/tessaly and the helper that
# stores a demo's settings), with the compiled translations they look for.
# Safe on a fresh Debian 12 machine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
cmake --preset release -DTESSALY_BUILD_TESTS=OFF -DTESSALY_BUILD_BENCH=ON >/dev/null
cmake --build --preset release --target tessaly tessaly_store_settings tessaly_translations -j"$(nproc)"
