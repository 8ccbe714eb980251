# The Windows program's icon: assets/vexel-icon.svg rendered at the sizes Windows shows
# (rsvg-convert) and gathered into one .ico (ImageMagick), in the resources as icon 125, the
# number the window layer loads.
find_program(VEXEL_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(VEXEL_IMAGEMAGICK NAMES magick convert REQUIRED)
set(icon_svg ${PROJECT_SOURCE_DIR}/assets/vexel-icon.svg)
set(icon_dir ${CMAKE_CURRENT_BINARY_DIR}/icon)
set(icon_pngs)
set(icon_commands)
foreach(size 16 24 32 48 64 256)
  list(APPEND icon_pngs ${icon_dir}/vexel-${size}.png)
  list(APPEND icon_commands COMMAND ${VEXEL_RSVG_CONVERT} -w ${size} -h ${size} -o
       ${icon_dir}/vexel-${size}.png ${icon_svg})
endforeach()
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/vexel.ico
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${icon_dir}
                   ${icon_commands}
                   COMMAND ${VEXEL_IMAGEMAGICK} ${icon_pngs} ${CMAKE_CURRENT_BINARY_DIR}/vexel.ico
                   DEPENDS ${icon_svg}
                   COMMENT "Making the program's icon from vexel-icon.svg" VERBATIM)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/vexel.rc.in
     "125 ICON \"${CMAKE_CURRENT_BINARY_DIR}/vexel.ico\"\n")
configure_file(${CMAKE_CURRENT_BINARY_DIR}/vexel.rc.in ${CMAKE_CURRENT_BINARY_DIR}/vexel.rc COPYONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/vexel.rc PROPERTIES
                            OBJECT_DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/vexel.ico)
