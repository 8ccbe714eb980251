# The orla library for other programs: headers under include/orla, the static libraries, a CMake
# package (find_package(orla CONFIG)) and one pkg-config file per backend, all in the component
# liborla-dev.
#
# A program links the portable libraries and exactly one backend, and the backend must come last
# on the link line (the portable code calls into it). The exported orla::platform_sdl and
# orla::platform_headless are therefore link sets: the portable libraries, then the backend's
# own archive. So `target_link_libraries(app orla::graphics orla::platform_sdl)` links in the
# right order whichever way round the two are named.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ORLA_INSTALL_COMPONENT liborla-dev)
set(ORLA_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/orla)
set(ORLA_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/orla)

# the headers include one another by plain name, so they all live in one folder; the include
# path is the folder above it (#include <orla/orla.hpp>)
set(ORLA_PUBLIC_HEADERS
    graphics/orla.hpp graphics/orla_2d.hpp graphics/orla_errors.hpp graphics/orla_extra.hpp
    graphics/orla_files.hpp graphics/orla_sprites.hpp
    graphics/orla_text.hpp graphics/orla_types.hpp graphics/orla_win32.hpp
    archive/bigfile2.hpp
    # the Win32 subset and the presenter the units are written against, and the controls of the
    # headless backend (batch rendering, tests); platform/backend.hpp stays inside
    platform/win32.hpp platform/dravo.hpp platform/headless.hpp)
list(TRANSFORM ORLA_PUBLIC_HEADERS PREPEND ${PROJECT_SOURCE_DIR}/)
install(FILES ${ORLA_PUBLIC_HEADERS} DESTINATION ${ORLA_INSTALL_INCLUDEDIR}
        COMPONENT ${ORLA_INSTALL_COMPONENT})

# the headers are C++17; the libraries themselves are built as C++20
target_compile_features(orla_platform_headers INTERFACE cxx_std_17)

set_target_properties(orla_graphics PROPERTIES EXPORT_NAME graphics)
set_target_properties(orla_archive PROPERTIES EXPORT_NAME archive)
set_target_properties(orla_platform_headers PROPERTIES EXPORT_NAME platform_headers)
set(ORLA_EXPORTED orla_graphics orla_archive orla_platform_headers)
set(ORLA_BACKENDS headless)
if(TARGET orla_platform_sdl)
  list(APPEND ORLA_BACKENDS sdl)
endif()
foreach(backend ${ORLA_BACKENDS})
  # the backend's archive itself, exported under a name a program need not use
  set_target_properties(orla_platform_${backend} PROPERTIES EXPORT_NAME ${backend}_backend)
  set_target_properties(orla_link_${backend} PROPERTIES EXPORT_NAME platform_${backend})
  list(APPEND ORLA_EXPORTED orla_platform_${backend} orla_link_${backend})
endforeach()

install(TARGETS ${ORLA_EXPORTED} EXPORT orla-targets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT ${ORLA_INSTALL_COMPONENT}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT orla-targets NAMESPACE orla:: DESTINATION ${ORLA_INSTALL_CMAKEDIR}
        COMPONENT ${ORLA_INSTALL_COMPONENT})

# the bitmap font the text unit reads, so that a program has one to start with
set(ORLA_INSTALL_FONT "")
if(ORLA_BUILD_ASSETS)
  set(ORLA_INSTALL_FONT ${CMAKE_INSTALL_DATADIR}/orla/Fonts.fnt)
  install(FILES ${VEXEL_RUN_DIR}/Fonts.fnt DESTINATION ${CMAKE_INSTALL_DATADIR}/orla
          COMPONENT ${ORLA_INSTALL_COMPONENT})
endif()

set(ORLA_HAVE_SDL_BACKEND OFF)
set(ORLA_HAVE_X11 OFF)
if(TARGET orla_platform_sdl)
  set(ORLA_HAVE_SDL_BACKEND ON)
  get_target_property(sdl_backend_libraries orla_platform_sdl LINK_LIBRARIES)
  if("X11::X11" IN_LIST sdl_backend_libraries)
    set(ORLA_HAVE_X11 ON)
  endif()
endif()
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/orlaConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/orla-package/orlaConfig.cmake
                              INSTALL_DESTINATION ${ORLA_INSTALL_CMAKEDIR}
                              PATH_VARS ORLA_INSTALL_FONT)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/orla-package/orlaConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/orla-package/orlaConfig.cmake
              ${CMAKE_BINARY_DIR}/orla-package/orlaConfigVersion.cmake
        DESTINATION ${ORLA_INSTALL_CMAKEDIR} COMPONENT ${ORLA_INSTALL_COMPONENT})

# pkg-config: one complete file per backend (orla-sdl, orla-headless). pkg-config puts a
# package's own libraries before those it requires, so a separate "orla" file required by the
# backend files would put the backend first; and a program never links both backends. The paths
# are relative to the file's own folder, so the tree works from whatever prefix it is installed to.
file(RELATIVE_PATH ORLA_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" ORLA_PC_TO_PREFIX "${ORLA_PC_TO_PREFIX}")
set(ORLA_PC_FONT "")
if(ORLA_INSTALL_FONT)
  set(ORLA_PC_FONT "fontfile=\${prefix}/${ORLA_INSTALL_FONT}")
endif()
foreach(backend ${ORLA_BACKENDS})
  set(ORLA_PC_BACKEND ${backend})
  set(ORLA_PC_REQUIRES "")
  if(backend STREQUAL "sdl")
    set(ORLA_PC_REQUIRES "sdl2")
    if(ORLA_HAVE_X11)
      string(APPEND ORLA_PC_REQUIRES " x11")
    endif()
  endif()
  configure_file(${CMAKE_CURRENT_LIST_DIR}/orla.pc.in
                 ${CMAKE_BINARY_DIR}/orla-package/orla-${backend}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/orla-package/orla-${backend}.pc
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT ${ORLA_INSTALL_COMPONENT})
endforeach()
