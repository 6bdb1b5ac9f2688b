#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's screenshots of the main window, idle and busy, and idle
# once more at 200% scaling, under a virtual X server (Xvfb), and writes them
# to docs/ (or the folder given). The busy one is taken while a folder of
# large generated pictures converts.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build-app.sh

docs="$(mkdir -p "${1:-docs}" && cd "${1:-docs}" && pwd)"
work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
    [ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own; Xvfb writes the number it took.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$work/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

# Its own preferences: the copy-to folder stored, so no question is asked.
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME" "$work/out"
build/release/bin/tessaly_store_settings "$work/out"

# Waits until the window "Tessaly" is mapped and prints its id.
window_id() {
    for _ in $(seq 200); do
        local id
        id="$(xwininfo -root -tree 2>/dev/null | awk '/"Tessaly": \("tessaly"/ {print $1; exit}')"
        if [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q "IsViewable"; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    echo "the window did not appear" >&2
    return 1
}

shoot() { # window, output file
    import -window "$1" -strip "$2"
    echo "wrote $2"
}

# No session bus: a Tessaly running in the user's session must not take
# these launches.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"

# Idle: started without items, it waits for a drop.
build/release/bin/tessaly &
app_pid=$!
id="$(window_id)"
sleep 1
shoot "$id" "$docs/screenshot-idle.png"
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=""

# Idle at 200%, as on a desktop scaled for a high-density screen.
QT_SCALE_FACTOR=2 build/release/bin/tessaly &
app_pid=$!
id="$(window_id)"
sleep 1
shoot "$id" "$docs/screenshot-idle-200.png"
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=""

# Busy: a folder of large pictures keeps it converting long enough.
mkdir -p "$work/Holiday photos"
convert -size 4000x3000 gradient:'#2a6fb0'-'#f2c14e' -quality 92 "$work/base.jpg"
for i in $(seq -w 1 40); do
    cp "$work/base.jpg" "$work/Holiday photos/IMG_20${i}.jpg"
done
build/release/bin/tessaly "$work/Holiday photos" &
app_pid=$!
id="$(window_id)"
sleep 3
shoot "$id" "$docs/screenshot-busy.png"
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=""
