# Installing and packaging: the install layout of the program (component vexel) and the Debian
# package made from it by `cpack -G DEB` in a build folder.
include(GNUInstallDirs)

if(TARGET vexel)
  install(TARGETS vexel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT vexel)
endif()
if(ORLA_BUILD_ASSETS)
  # the program finds these in ../share/vexel beside its own folder
  install(FILES ${VEXEL_RUN_DIR}/menu.vex ${VEXEL_RUN_DIR}/sugo.vex ${VEXEL_RUN_DIR}/vex.vex
                ${VEXEL_RUN_DIR}/Fonts.fnt
          DESTINATION ${CMAKE_INSTALL_DATADIR}/vexel COMPONENT vexel)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/assets/vexel.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT vexel)
install(FILES ${PROJECT_SOURCE_DIR}/assets/vexel-icon.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME vexel.svg
        COMPONENT vexel)
install(TARGETS orla_imgconv orla_bigpack orla_fontconv RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT vexel)

set(CPACK_PACKAGE_NAME vexel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VEXEL egyenes")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive triangle geometry: circles, lines, pedal line")
set(CPACK_PACKAGE_DESCRIPTION
    "VEXEL egyenes shows a triangle with its classical companions, chapter by chapter, and the\n"
    "pedal line of a point travelling round the circumcircle. Drag the vertices with the mouse.\n"
    "With the orla tools for its picture, font and archive files.")
set(CPACK_PACKAGE_CONTACT "VEXEL egyenes developers <vexel@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_COMPONENTS_ALL vexel)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
# Depends: computed from the binaries by dpkg-shlibdeps (Debian packages dpkg-dev and file)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL's message boxes on X11 need the X core fonts; without them a dialog program shows them
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xfonts-base")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "zenity | kdialog | x11-utils")
include(CPack)
