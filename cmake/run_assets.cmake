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

# The Windows build takes the four files and en/ from a native build (the converters run on the
# build machine), copied into its run folder.
if(WIN32)
  set(VEXEL_ASSET_FILES menu.vex menu@2.vex sugo.vex vex.vex Fonts.fnt en/menu.vex en/menu@2.vex
                        en/sugo.vex en/vex.vex)
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
