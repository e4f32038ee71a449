# Installation, and the Debian package made by CPack (scripts/package.sh):
# the two programs, the manual where the help button looks for it
# (PREFIX/share/gt7p), the desktop entries of the window and of the viewer,
# their icon, and the record types. The Windows zip and setup program are
# put together by scripts/package.sh itself.
include(GNUInstallDirs)

install(TARGETS gt7p-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET gt7p)
  install(TARGETS gt7p RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/docs/Help.htm DESTINATION ${CMAKE_INSTALL_DATADIR}/gt7p)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/gt7p.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The record types and the viewer's desktop entry, which opens them: the
# file manager's double-click on a .T7P, .QFX or .ESP starts gt7p --view.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/gt7p-view.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/gt7p-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME gt7p.xml)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/gt7p.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gt7p)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "survey data extraction from a seismic instrument over a serial line")
set(CPACK_PACKAGE_DESCRIPTION
    "Reads the directory of a portable multichannel seismic instrument (its memory or its card) over a serial line, fetches the chosen survey records and saves them as QFX or ESP files. gt7p is the window, gt7p-cli the same from the terminal.")
set(CPACK_PACKAGE_CONTACT "${GT7P_PUBLISHER} <gt7p@localhost>")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
# The libraries (libc, libstdc++, the Qt libraries) come from
# dpkg-shlibdeps; what the programs load or call at run time is named here:
# Qt's platform plugins (xcb), the Song-style font for "宋体", and xdg-open
# for the help button.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-arphic-uming, xdg-utils")
# The record types reach the file manager through the MIME database and the
# desktop entries' cache, which these two packages' triggers rebuild.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
include(CPack)
