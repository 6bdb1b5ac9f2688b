# SPDX-License-Identifier: GPL-3.0-or-later
# Installing Tessaly and packing it for Debian. The programs and the pane
# module install themselves from their own folders; the share/ resources
# that those folders put into the build tree are installed from there.
include(GNUInstallDirs)

# The bundle (interface files; the icon is installed by data/) as the build
# tree holds it.
install(DIRECTORY ${CMAKE_BINARY_DIR}/share/tessaly/ DESTINATION share/tessaly
    PATTERN tessaly.svg EXCLUDE)

set(CPACK_PACKAGE_NAME tessaly)
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_CONTACT "Quorvane <tessaly@quorvane.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Batch picture converter for the desktop")
set(CPACK_PACKAGE_DESCRIPTION
    "Tessaly converts dropped pictures, and every picture inside dropped folders,\ninto one chosen format, in one destination folder.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.quorvane.com/tessaly/)
# The libraries the programs link come from dpkg-shlibdeps; what they start
# or load by name is listed here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The session bus for launcher drops, Qt's Wayland platform so that the
# program is a native client of a Wayland session, and Qt's translations so
# that its dialogs speak the user's language as the windows do.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "dbus-user-session | dbus-x11, qt6-wayland, qt6-translations-l10n")
include(CPack)
