# A program is the portable libraries and exactly one backend. The backend goes last on the link
# line (the portable code calls into it), so each backend has a link set, orla_link_<backend>
# (defined in platform/ beside the backend): the portable libraries, then the backend. The
# installed package exports the same sets as orla::platform_<backend>.
#
# orla_program(<target> <sdl|headless|browser> [libraries...]) links <target> with the given
# libraries of its own, then with the backend's link set; a second backend is an error.
function(orla_program target backend)
  if(NOT TARGET orla_platform_${backend})
    message(FATAL_ERROR "orla_program(${target}): no backend '${backend}' in this build")
  endif()
  get_target_property(linked ${target} ORLA_BACKEND)
  if(linked)
    message(FATAL_ERROR "orla_program(${target}): it links the ${linked} backend already; "
                        "a program links exactly one")
  endif()
  set_target_properties(${target} PROPERTIES ORLA_BACKEND ${backend})
  target_link_libraries(${target} PRIVATE ${ARGN} orla_link_${backend})
endfunction()
