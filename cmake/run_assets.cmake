# The program's pictures and font are built files (assets/): every target that opens them at run
# time names them here, so that building that target alone makes them too.
function(vexel_reads_assets target)
  if(ORLA_BUILD_ASSETS)
    # the asset targets are defined later (assets/ comes after the programs); CMake resolves
    # target dependencies when it generates
    add_dependencies(${target} vexel_pictures orla_font)
  endif()
endfunction()
