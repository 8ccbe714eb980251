# The program's pictures: SVG sources rendered to PNG, then converted to sprite files in the run folder.

# the text of the pictures is set in DejaVu Sans; a silent fallback font would break the layout
find_program(VEXEL_FC_MATCH fc-match)
if(NOT VEXEL_FC_MATCH)
  message(FATAL_ERROR "fc-match (fontconfig) not found: it is needed to check the picture font "
                      "DejaVu Sans (Debian: apt-get install fontconfig fonts-dejavu-core)")
endif()
foreach(style "DejaVu Sans" "DejaVu Sans:bold")
  execute_process(
    COMMAND ${VEXEL_FC_MATCH} --format=%{family[0]}|%{style[0]} "${style}"
    OUTPUT_VARIABLE matched
    RESULT_VARIABLE fc_result)
  if(style MATCHES "bold$")
    set(wanted "DejaVu Sans|Bold")
  else()
    set(wanted "DejaVu Sans|Book")
  endif()
  if(NOT fc_result EQUAL 0 OR NOT matched STREQUAL wanted)
    message(FATAL_ERROR "font '${style}' is not installed (fontconfig offers '${matched}'): "
                        "the pictures need it (Debian: apt-get install fonts-dejavu-core)")
  endif()
endforeach()

find_program(VEXEL_RSVG_CONVERT rsvg-convert)
if(NOT VEXEL_RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert not found: it renders the pictures "
                      "(Debian: apt-get install librsvg2-bin)")
endif()

# name, width, height
set(vexel_pictures menu 800 600 sugo 800 600 vex 500 250)
# VEXEL_PICTURE_SCALES (cmake/run_assets.cmake): the larger renderings of every picture.
# The pictures' texts come from one table per language, texts/<language>.txt (texts.cmake fills
# them in). Hungarian, the program's own language, keeps its pictures in the run folder itself;
# every other language has a folder of its own beside them (run/en/), which the program reads
# when that language is chosen.
set(VEXEL_PICTURE_LANGUAGES hu en)
set(vexel_default_language hu)

set(vexel_picture_outputs)
set(vexel_templates)
list(LENGTH vexel_pictures n)
math(EXPR last "${n} - 1")
foreach(i RANGE 0 ${last} 3)
  list(GET vexel_pictures ${i} name)
  list(APPEND vexel_templates ${CMAKE_CURRENT_SOURCE_DIR}/${name}.svg)
endforeach()

foreach(language IN LISTS VEXEL_PICTURE_LANGUAGES)
  if(language STREQUAL vexel_default_language)
    set(folder "")
  else()
    set(folder "${language}/")
  endif()
  # the pictures of one language, with their texts filled in, in one step
  set(table ${CMAKE_CURRENT_SOURCE_DIR}/texts/${language}.txt)
  set(svg_dir ${CMAKE_CURRENT_BINARY_DIR}/svg/${language})
  file(MAKE_DIRECTORY ${svg_dir} ${CMAKE_CURRENT_BINARY_DIR}/${folder} ${VEXEL_RUN_DIR}/${folder})
  set(svgs)
  foreach(template IN LISTS vexel_templates)
    get_filename_component(svg_name ${template} NAME)
    list(APPEND svgs ${svg_dir}/${svg_name})
  endforeach()
  add_custom_command(
    OUTPUT ${svgs}
    COMMAND ${CMAKE_COMMAND} -DTABLE=${table} -DOUT_DIR=${svg_dir}
            -P ${CMAKE_CURRENT_SOURCE_DIR}/texts.cmake ${vexel_templates}
    DEPENDS ${table} ${vexel_templates} ${CMAKE_CURRENT_SOURCE_DIR}/texts.cmake
    COMMENT "Filling in the ${language} texts of the pictures"
    VERBATIM)

  foreach(i RANGE 0 ${last} 3)
    math(EXPR iw "${i} + 1")
    math(EXPR ih "${i} + 2")
    list(GET vexel_pictures ${i} name)
    list(GET vexel_pictures ${iw} width)
    list(GET vexel_pictures ${ih} height)
    # the picture, and where the converter is built also its renderings at the larger scales
    # (name@2 ...), for screens that show the frame larger than 800 x 600 (the program reduces the
    # next larger one with filtering to the size shown)
    set(scales 1)
    if(TARGET orla_imgconv)
      list(APPEND scales ${VEXEL_PICTURE_SCALES})
    endif()
    foreach(times IN LISTS scales)
      math(EXPR scaled_width "${width} * ${times}")
      math(EXPR scaled_height "${height} * ${times}")
      if(times EQUAL 1)
        set(out ${folder}${name})
        set(at_size "")
      else()
        set(out ${folder}${name}@${times})
        set(at_size " at ${times} times its size")
      endif()
      set(png ${CMAKE_CURRENT_BINARY_DIR}/${out}.png)
      add_custom_command(
        OUTPUT ${png}
        COMMAND ${VEXEL_RSVG_CONVERT} --width=${scaled_width} --height=${scaled_height}
                --format=png --output=${png} ${svg_dir}/${name}.svg
        DEPENDS ${svg_dir}/${name}.svg
        COMMENT "Rendering ${folder}${name}.svg${at_size}"
        VERBATIM)
      if(TARGET orla_imgconv)
        set(vex ${VEXEL_RUN_DIR}/${out}.vex)
        add_custom_command(
          OUTPUT ${vex}
          COMMAND orla_imgconv to-sprite ${png} ${vex}
          DEPENDS ${png} orla_imgconv
          COMMENT "Converting ${out}.png to ${out}.vex"
          VERBATIM)
        list(APPEND vexel_picture_outputs ${vex})
      else()
        list(APPEND vexel_picture_outputs ${png})
      endif()
    endforeach()
  endforeach()
endforeach()

if(NOT TARGET orla_imgconv)
  message(WARNING "the image converter orla_imgconv is not part of this build: "
                  "the pictures are rendered to PNG only, no .vex files are made")
endif()

add_custom_target(vexel_pictures ALL DEPENDS ${vexel_picture_outputs})
