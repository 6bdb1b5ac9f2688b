#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's screenshots of the main window, idle and busy, idle
# once more at 200% scaling, and of the preferences window, under a virtual
# X server (Xvfb), and writes them to docs/ (or the folder given). The busy
# one is taken while a folder of large generated pictures converts.
#
#   screenshots.sh [--language CODE] [FOLDER]
#
# With --language (de, fr, es, ja, zh_CN...) only the idle main window and
# the preferences window are taken, in that language, named with the code
# (screenshot-idle-de.png, screenshot-preferences-de.png).
set -euo pipefail
cd "$(dirname "$0")/.."

language=""
if [ "${1:-}" = --language ]; then
    [ -n "${2:-}" ] || { echo "usage: $0 [--language CODE] [FOLDER]" >&2; exit 2; }
    language="$2"
    shift 2
fi
suffix="${language:+-$language}"
# The set for the README is in English whatever the desktop's language is.
export LANGUAGE="${language:-en}"

bash scripts/build-app.sh
# Without its catalogue the program falls back to English, which would make
# a set named for the language that is not in it.
if [ -n "$language" ] && [ ! -f "build/release/share/tessaly/translations/tessaly_$language.qm" ]; then
    echo "no translation into \"$language\"" >&2
    exit 1
fi

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

# Waits until the main window ("Tessaly") is mapped and prints its id; with
# "preferences", the preferences window instead, known by being the
# program's other titled window, as its title is translated.
window_id() {
    local pattern='/"Tessaly": \("tessaly"/'
    [ "${1:-}" != preferences ] || pattern='/^ *0x[0-9a-f]+ "[^"]+": \("tessaly"/ && !/"Tessaly":/'
    for _ in $(seq 200); do
        local id
        for id in $(xwininfo -root -tree 2>/dev/null | awk "$pattern {print \$1}"); do
            if xwininfo -id "$id" 2>/dev/null | grep -q "IsViewable"; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    echo "the ${1:-main} window did not appear" >&2
    return 1
}

shoot() { # window, output file
    import -window "$1" -strip "$2"
    echo "wrote $2"
}

# No session bus: a Tessaly running in the user's session must not take
# these launches.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"

# Idle: started without items, it waits for a drop. Then its preferences
# window, opened as a user would, with Ctrl+, in the focused main window
# (there is no window manager to give it the focus).
build/release/bin/tessaly &
app_pid=$!
id="$(window_id)"
sleep 1
shoot "$id" "$docs/screenshot-idle$suffix.png"
xdotool windowfocus "$id"
sleep 0.5
xdotool key ctrl+comma
id="$(window_id preferences)"
sleep 1
shoot "$id" "$docs/screenshot-preferences$suffix.png"
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
app_pid=""
[ -z "$language" ] || exit 0

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
