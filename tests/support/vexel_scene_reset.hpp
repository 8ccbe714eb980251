// Test support: puts the scene, the buttons, the animation and the drawing's caches back to their
// start-up state.
#pragma once

#include "orla_win32.hpp"
#include "vexel.hpp"

namespace vexel_test {

inline void reset_scene() {
  using namespace vexel;
  PONT = decltype(PONT){};
  SZAKASZ = decltype(SZAKASZ){};
  EGYENES = decltype(EGYENES){};
  KOR = decltype(KOR){};
  PARABOLA = decltype(PARABOLA){};
  GOMB = decltype(GOMB){};
  M_LTOMB = {};
  detail::clear_scene_flags();
  FILL_MT();
  detail::place_vertices_at_start();
  detail::set_button_rectangles();
  detail::reset_render_caches();
  SARGAMENU = 2;
  VEXEL_SZOG = 0;
  PILSEB = 0;
  SEBESSEG = 40;
  PLAY = false;
  ANIMACIO = true;
  detail::set_speed_count(60000000);  // 0.3 speed units per frame
  orla_win32::M_X = orla_win32::M_Y = 0;
  orla_win32::M_L = false;
}

}  // namespace vexel_test
