#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages Tessaly needs to build, test and run.
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config git
    # UiTools' CMake package asks for Qt's OpenGL module.
    qt6-base-dev qt6-tools-dev libqt6opengl6-dev
    # Qt SVG draws the application's icon in the main window at any scaling.
    qt6-svg-dev
    # Qt's Wayland platform, for Wayland sessions, and a headless Wayland
    # compositor for the tests that run the programs as its clients.
    qt6-wayland weston
    libvips-dev zlib1g-dev
    # libvips reads BMP, Targa, ICO, PCX, PSD and XPM through ImageMagick's library.
    libmagickcore-6.q16-6
    libgtest-dev libgmock-dev googletest
    # The session bus, the desktop file and metainfo checks, the Debian package
    # (CPack's Debian generator runs file on every program it packs).
    dbus desktop-file-utils appstream dpkg-dev file
    # Debian's package checker run on the package, man (with groff) showing
    # the manual pages, and bash-completion's functions that tessaly's
    # completion builds on.
    lintian man-db groff-base bash-completion
    # Test pictures of formats libvips cannot write; screenshots under Xvfb.
    imagemagick xvfb xauth x11-utils
    # Presses the keys that open the preferences window for its screenshot.
    xdotool
    # An independent reader of the property-list files the tests write, and
    # of the metadata in the outputs (exiftool).
    python3 libimage-exiftool-perl
    # lrelease compiles the translations; Qt's own translations for its
    # dialogs; the format check the test script runs.
    qt6-l10n-tools qt6-translations-l10n clang-format
)
# The fuzz targets (scripts/fuzz.sh, which the tests run too) need clang and
# libFuzzer, and llvm-15 for its symbolizer; "install-deps.sh fuzz" adds them.
if [ "${1:-}" = fuzz ]; then
    packages+=(clang-15 libfuzzer-15-dev llvm-15)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
