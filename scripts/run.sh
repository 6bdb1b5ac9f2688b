#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The main job: builds Tessaly and starts it with the bundled sample pictures
# (samples/) dropped on it, as a user would drop them on its launcher. A demo
# preference folder under build/ stores the output folder as the copy-to
# folder and quit-when-done on, so the batch asks nothing and the program
# says "Bye." and quits by itself. It runs on the user's display when there
# is one and on the offscreen platform otherwise. Then says where the
# outputs are. Give a folder as argument to choose it (default
# build/samples-converted, emptied first). Safe on a fresh Debian 12 machine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-app.sh

default_out="$PWD/build/samples-converted"
out="${1:-$default_out}"
[ "$out" != "$default_out" ] || rm -rf "$out"
mkdir -p "$out"
out="$(cd "$out" && pwd)"

# The demo's own preferences, so the user's are neither read nor changed.
demo_config="$PWD/build/demo-preferences"
rm -rf "$demo_config"
mkdir -p "$demo_config"
export XDG_CONFIG_HOME="$demo_config"
build/release/bin/tessaly_store_settings "$out"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: Tessaly runs on the offscreen platform."
    export QT_QPA_PLATFORM=offscreen
fi

# A session bus of its own: a Tessaly already running in the user's session
# would otherwise take the drop, with the user's settings.
echo "Starting Tessaly with samples/ dropped on it..."
dbus-run-session -- build/release/bin/tessaly "$PWD"/samples/*

echo
echo "Converted pictures are in: $out"
ls -l "$out"
