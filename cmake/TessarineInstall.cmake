# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` puts into the prefix, beside bin/tessarine (installed by src/ui/app):
#
#   share/tessarine/views/        the page view, themes and catalogue
#   share/tessarine/logos/        the logos drawn on pages and in the connections window
#   share/tessarine/claude-statusline.sh
#   share/applications/, share/icons/hicolor/scalable/apps/, share/metainfo/
#                                 the desktop entry, its icon and the AppStream description
#
# Paths finds share/tessarine relative to the installed program, so a moved prefix works too.

set(TESSARINE_APP_ID "app.tessarine.Tessarine")
# The day the version named in project() was released, for the AppStream release list.
set(TESSARINE_RELEASE_DATE "2026-12-07")

set(_tessarine_data "${CMAKE_INSTALL_DATADIR}/tessarine")
install(DIRECTORY "${CMAKE_SOURCE_DIR}/views/" DESTINATION "${_tessarine_data}/views")
install(DIRECTORY "${CMAKE_SOURCE_DIR}/resources/logos/" DESTINATION "${_tessarine_data}/logos")
install(PROGRAMS "${CMAKE_SOURCE_DIR}/resources/claude-statusline.sh" DESTINATION "${_tessarine_data}")

install(FILES "${CMAKE_SOURCE_DIR}/resources/${TESSARINE_APP_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${CMAKE_SOURCE_DIR}/resources/${TESSARINE_APP_ID}.svg"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
configure_file("${CMAKE_SOURCE_DIR}/resources/${TESSARINE_APP_ID}.metainfo.xml.in"
               "${CMAKE_BINARY_DIR}/${TESSARINE_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${CMAKE_BINARY_DIR}/${TESSARINE_APP_ID}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
