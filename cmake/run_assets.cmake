# The program's pictures and font are built files (assets/): every target that opens them at run
# time names them here, so that building that target alone makes them too.
function(vexel_reads_assets target)
  if(ORLA_BUILD_ASSETS)
    # the asset targets are defined later (assets/ comes after the programs); CMake resolves
    # target dependencies when it generates
    add_dependencies(${target} vexel_pictures orla_font)
  elseif(WIN32)
    add_dependencies(${target} vexel_native_assets)
  endif()
endfunction()

# The larger renderings of every picture (name@2.vex ...), by how many times its size: a screen
# showing the frame at up to twice 800 x 600 (1600 x 1200, a page at density 2) reduces @2, up to
# three times (2.4: 1920 x 1440) @3; larger screens enlarge @3. The program's list
# (vexel_large_pictures.cpp) names the same. VEXEL_LARGER_PICTURES: their files in one language's
# folder, for the packages.
set(VEXEL_PICTURE_SCALES 2 3)
set(VEXEL_LARGER_PICTURES)
foreach(name menu sugo vex)
  foreach(times IN LISTS VEXEL_PICTURE_SCALES)
    list(APPEND VEXEL_LARGER_PICTURES ${name}@${times}.vex)
  endforeach()
endforeach()

# The Windows build takes the four files, the larger pictures and en/ from a native build (the
# converters run on the build machine), copied into its run folder.
if(WIN32)
  list(TRANSFORM VEXEL_LARGER_PICTURES PREPEND en/ OUTPUT_VARIABLE english)
  set(VEXEL_ASSET_FILES menu.vex sugo.vex vex.vex Fonts.fnt en/menu.vex en/sugo.vex en/vex.vex
                        ${VEXEL_LARGER_PICTURES} ${english})
  set(copied)
  foreach(file ${VEXEL_ASSET_FILES})
    if(NOT EXISTS ${VEXEL_NATIVE_ASSETS}/${file})
      message(FATAL_ERROR "${VEXEL_NATIVE_ASSETS}/${file} is missing: build the native assets first "
                          "(cmake --preset release && cmake --build --preset release --target "
                          "vexel_pictures orla_font)")
    endif()
    add_custom_command(OUTPUT ${VEXEL_RUN_DIR}/${file}
                       COMMAND ${CMAKE_COMMAND} -E copy ${VEXEL_NATIVE_ASSETS}/${file}
                               ${VEXEL_RUN_DIR}/${file}
                       DEPENDS ${VEXEL_NATIVE_ASSETS}/${file}
                       COMMENT "Taking ${file} from the native build" VERBATIM)
    list(APPEND copied ${VEXEL_RUN_DIR}/${file})
  endforeach()
  add_custom_target(vexel_native_assets DEPENDS ${copied})
endif()
