# The sources of the unit vexel (without the entry point), shared by the build and the libFuzzer
# build of the figure line.
set(VEXEL_DEMO_SOURCES
    vexel_animation.cpp vexel_buttons.cpp vexel_buttons_table.cpp vexel_calibration.cpp
    vexel_compute.cpp vexel_constructions.cpp vexel_figure_line.cpp vexel_figure_out.cpp
    vexel_figure_scaled.cpp vexel_figure_svg.cpp vexel_files.cpp vexel_frame.cpp
    vexel_geometry.cpp vexel_intro.cpp vexel_keys.cpp vexel_language.cpp vexel_large_frame.cpp
    vexel_large_pictures.cpp vexel_layer.cpp vexel_png.cpp vexel_pointer.cpp vexel_render.cpp
    vexel_scene.cpp vexel_table.cpp)
