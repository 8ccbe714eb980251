# The Windows program's packages, made by cpack in build/windows: a zip to unpack anywhere
# (vexel-<version>-win64.zip) and an installer for the current user without administrator rights
# (vexel-<version>-win64-setup.exe, NSIS: makensis runs on the build machine). Both hold
# vexel.exe, the four files and the larger pictures, en/ and README.txt on how to start it.
if(TARGET vexel)
  install(TARGETS vexel RUNTIME DESTINATION . COMPONENT vexel)
endif()
# the larger pictures (name@2.vex ...): for screens larger than 800 x 600
foreach(file menu.vex sugo.vex vex.vex Fonts.fnt ${VEXEL_LARGER_PICTURES})
  install(FILES ${VEXEL_RUN_DIR}/${file} DESTINATION . COMPONENT vexel)
endforeach()
foreach(file menu.vex sugo.vex vex.vex ${VEXEL_LARGER_PICTURES})
  install(FILES ${VEXEL_RUN_DIR}/en/${file} DESTINATION en COMPONENT vexel)
endforeach()
# Notepad of every Windows reads UTF-8 with a byte-order mark and CRLF line ends
file(READ ${PROJECT_SOURCE_DIR}/assets/windows/README.txt readme)
string(REPLACE "\n" "\r\n" readme "${readme}")
string(ASCII 239 187 191 bom)
file(WRITE ${CMAKE_BINARY_DIR}/README.txt "${bom}${readme}")
install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION . COMPONENT vexel)

set(CPACK_PACKAGE_NAME vexel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VEXEL egyenes")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "VEXEL egyenes")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY vexel)
set(CPACK_SYSTEM_NAME win64)
set(CPACK_GENERATOR ZIP NSIS)
# one set of files: the installer script takes them whole
set(CPACK_MONOLITHIC_INSTALL ON)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_NSIS_PACKAGE_NAME "VEXEL egyenes")
set(CPACK_NSIS_DISPLAY_NAME "VEXEL egyenes")
# our own installer script (cmake/windows/NSIS.template.in): the stock one asks for
# administrator rights and installs for all users
list(APPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake/windows)
set(VEXEL_WINDOWS_ICON ${CMAKE_BINARY_DIR}/demo/vexel.ico)
# the installer is the zip's name with -setup
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackWindows.cmake)
file(WRITE ${CPACK_PROJECT_CONFIG_FILE}
     "set(VEXEL_WINDOWS_ICON \"${VEXEL_WINDOWS_ICON}\")\n"
     "if(CPACK_GENERATOR STREQUAL \"NSIS\")\n"
     "  set(CPACK_PACKAGE_FILE_NAME vexel-${PROJECT_VERSION}-win64-setup)\n"
     "endif()\n")
include(CPack)
