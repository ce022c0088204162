# SPDX-License-Identifier: GPL-3.0-or-later
# `make package` (cpack -G DEB in the build folder): a Debian package of the installed tree
# under /usr. dpkg-shlibdeps names the libraries the program links, with the versions this
# machine's packages give (for the layer-shell helper in libexec/tessarine also
# libgtk-layer-shell0 and libgtk-3-0); the rest are what it loads at run time without linking them.

set(CPACK_PACKAGE_NAME "tessarine")
set(CPACK_PACKAGE_VENDOR "Tessarine")
set(CPACK_PACKAGE_CONTACT "Tessarine developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "calm desktop card with GitHub, AI plan usage and calendar pages")
set(CPACK_PACKAGE_DESCRIPTION
    "Tessarine keeps a small card on the desktop that shows one page at a time: the GitHub
contribution year, month and recent activity, the plan usage of the AI coding tools on the
computer, dictation statistics, the next week of calendar events, the date and a countdown.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tessarine.app/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded, not linked: the web engine's helper process and its data, the Qt platform plugins
# (xcb for the desktop, offscreen for the renderer process and `tessarine render`) and the page
# view's fonts. libdeflate0 is linked (and found by dpkg-shlibdeps too); it is named so the
# picture encoder's library stays a dependency whatever shlibdeps decides.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libdeflate0, libqt6webenginecore6-bin, libqt6webengine6-data, fonts-inter, fonts-jetbrains-mono")
# The SVG icon engine, which draws the symbols of the desktop's icon theme (Adwaita's are SVG
# only), is a plugin too: in libqt6svg6 on Debian 12, in a package of its own (qt6-svg-plugins)
# on Debian 13. The package that holds it on this system is named.
set(_svg_icon_engine "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}/iconengines/libqsvgicon.so")
execute_process(COMMAND dpkg-query --search "${_svg_icon_engine}" OUTPUT_VARIABLE _svg_icon_owner ERROR_QUIET)
string(REGEX MATCH "^[^:,]+" _svg_icon_owner "${_svg_icon_owner}")
if(_svg_icon_owner)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${_svg_icon_owner}")
endif()
# The desktop keyring keeps the GitHub token and the calendar subscriptions' addresses; the
# colour emoji font draws emoji in titles and events (the page view names it first among its
# fallback fonts); the desktop's calendar service provides the calendars of its online accounts
# (libecal, which shlibdeps adds, only talks to it). Qt's Wayland plugin serves a session whose
# QT_QPA_PLATFORM=wayland the card may keep; without it the card runs through XWayland. The
# GitHub CLI is the other way to sign in.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gnome-keyring | kwalletmanager, fonts-noto-color-emoji, fonts-symbola, fonts-noto-ui-core, evolution-data-server, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gh")

include(CPack)
