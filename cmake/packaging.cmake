# Installing and packaging: the install layout of the program (component vexel) and the Debian
# package made from it by `cpack -G DEB` in a build folder.
include(GNUInstallDirs)

if(TARGET vexel)
  install(TARGETS vexel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT vexel)
endif()
if(ORLA_BUILD_ASSETS)
  # the program finds these in ../share/vexel beside its own folder, with the pictures' larger
  # renderings (name@2.vex ...) for screens that show the frame larger than 800 x 600
  list(TRANSFORM VEXEL_LARGER_PICTURES PREPEND ${VEXEL_RUN_DIR}/ OUTPUT_VARIABLE hungarian)
  list(TRANSFORM VEXEL_LARGER_PICTURES PREPEND ${VEXEL_RUN_DIR}/en/ OUTPUT_VARIABLE english)
  install(FILES ${VEXEL_RUN_DIR}/menu.vex ${VEXEL_RUN_DIR}/sugo.vex ${VEXEL_RUN_DIR}/vex.vex
                ${VEXEL_RUN_DIR}/Fonts.fnt ${hungarian}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/vexel COMPONENT vexel)
  # the English pictures, in their folder beside the Hungarian ones
  install(FILES ${VEXEL_RUN_DIR}/en/menu.vex ${VEXEL_RUN_DIR}/en/sugo.vex ${VEXEL_RUN_DIR}/en/vex.vex
                ${english}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/vexel/en COMPONENT vexel)
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
# each package's description begins with its summary line (a CPACK_PACKAGE_DESCRIPTION_SUMMARY
# would be put in front of both)
string(CONCAT CPACK_DEBIAN_VEXEL_DESCRIPTION
       "interactive triangle geometry: circles, lines, pedal line\n"
       "VEXEL egyenes shows a triangle with its classical companions, chapter by chapter, and the\n"
       "pedal line of a point travelling round the circumcircle. Drag the vertices with the mouse.\n"
       "With the orla tools for its picture, font and archive files.")
set(CPACK_PACKAGE_CONTACT "VEXEL egyenes developers <vexel@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# two packages: the program (vexel) and the library for other programs (liborla-dev, see
# cmake/orla_install.cmake). One package would make every user of the program install the SDL
# and X11 development packages the static libraries need, and every developer the program.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL vexel liborla-dev)
set(CPACK_DEBIAN_VEXEL_PACKAGE_NAME vexel)
set(CPACK_DEBIAN_LIBORLA-DEV_PACKAGE_NAME liborla-dev)
set(CPACK_DEBIAN_LIBORLA-DEV_PACKAGE_SECTION libdevel)
string(CONCAT CPACK_DEBIAN_LIBORLA-DEV_DESCRIPTION
       "orla, a 16-bit (RGB565) software-rendering graphics library: development files\n"
       "Virtual windows, drawing primitives, a bitmap font, sprite blits and transforms, sprite and\n"
       "PCX files and an archive reader, over an SDL2 window or a headless backend. Headers, static\n"
       "libraries, a CMake package (find_package(orla)) and pkg-config files (orla-sdl,\n"
       "orla-headless), and the bitmap font.")
# static libraries only: their users link SDL2 and X11 themselves (the CMake package and the
# pkg-config files name them)
set(CPACK_DEBIAN_LIBORLA-DEV_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_LIBORLA-DEV_PACKAGE_DEPENDS "libsdl2-dev, libx11-dev")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
# Depends: computed from the binaries by dpkg-shlibdeps (Debian packages dpkg-dev and file)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# SDL's message boxes on X11 need the X core fonts; without them a dialog program shows them
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xfonts-base")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "zenity | kdialog | x11-utils")
include(CPack)
