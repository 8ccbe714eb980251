// vexel: start-up, the frame loop with its frame composition, and the release at the end.
#include "orla_2d.hpp"
#include "orla_sprites.hpp"
#include "orla_text.hpp"
#include "orla_win32.hpp"
#include "vexel.hpp"

namespace vexel {

bool detail::frame_loop_goes_on() {
  return orla::APPLICATIONRUNNING && !GOMBKATTINT(exit_button);
}

void detail::load_backdrop() {
  orla::KILL_VW(BACKGROUND);
  orla_sprites::LOAD_SPRITE(program_file("menu.vex"), "", BACKGROUND);
  if (BACKGROUND.BREITE == WIDTH && BACKGROUND.HOEHE == HEIGHT) return;
  // changed: every frame copies a whole screen from the backdrop, so a picture of another size
  // is scaled to the screen: a smaller one instead of being read past its end, a larger one so
  // that the whole picture shows rather than its first rows re-cut at the screen's width
  orla::VIRTUALWINDOW picture = BACKGROUND;
  orla::INIT_VW(BACKGROUND, WIDTH, HEIGHT, true);
  orla_sprites::SCALESPRITE(picture, BACKGROUND);
  orla::KILL_VW(picture);
}

void detail::init_program_state() {
  FILL_RGBTOCOLOR();
  VEXEL_SZOG = 0.0;
  ANIMACIO = true;
  PLAY = false;
  SUGOB = false;
  SFIRST = true;
  FENYFORRAS = 0;
  detail::set_button_rectangles();
  SARGAMENU = 2;
  SEBESSEG = 40;
  PILSEB = 0.0;
  detail::clear_scene_flags();
  FILL_MT();
  detail::place_vertices_at_start();
  for (long i = 1; i <= 5; ++i) M_LTOMB[i] = false;
  for (auto& button : GOMB) button.disabled = 0;
  MOZGAT = false;
  MELYIKMOZGAT = 0;
  detail::reset_keys();
  detail::reset_figure_out();

  const struct {
    orla::VIRTUALWINDOW* window;
    WORD r, g, b;
  } highlights[] = {{&KEK, 0, 0, 20}, {&SARGA, 15, 31, 0}, {&SZURKE, 10, 20, 10}};
  for (const auto& h : highlights) {
    orla::INIT_VW(*h.window, 2, 2, true);
    orla_2d::RECTANGLE(*h.window, 0, 0, 1, 1, h.r, h.g, h.b);
  }
}

void INIT_VEXEL() {
  // changed: the three seconds of the speed calibration are counted between the intro's frames
  // instead of before the window: the user saw nothing for seconds and started the program
  // again.
  detail::start_calibration();
  detail::init_program_state();

  orla_win32::WINDOW_REGISTERCLASS(1);
  orla::WINDOW_MAIN_HANDLE = orla_win32::WINDOW_CREATECLASS(APPLICATIONID, 1);
  orla_win32::CHECKWMCREATE();
  orla::INIT_GRAPH(WIDTH, HEIGHT);
  orla_text::LOAD_FONTS(detail::program_file("Fonts.fnt"));
  orla_sprites::LOAD_SPRITE(detail::program_file("menu.vex"), "", SPRITE01);
  orla::INIT_VW(RESULT, WIDTH, HEIGHT, true);
  orla::INIT_VW(BACKGROUND, WIDTH, HEIGHT, true);
  orla_sprites::SCALESPRITE(SPRITE01, BACKGROUND);
  orla::KILL_VW(SPRITE01);
  orla::INIT_VW(SPRITE01, WIDTH, scene_rows, true);
  orla::INIT_VW(URES, 2, 2, true);
  orla_text::SETTEXTSIZE(1);
  orla::CURSORVISIBLE(true);
}

void ELEMEK_KIRAJZOLASA() {
  // while the large frame is shown, the 800 x 600 frame's figure is drawn only where that frame
  // is saved or shown (small_figure_wanted)
  const bool small = detail::small_figure_wanted();
  PONTVILAGOSIT();
  if (small) detail::draw_figure();
  detail::draw_large_figure();
  PONTMOZGAT();
  if (small) detail::lay_layer_over(SPRITE01, RESULT);
  for (BYTE n = 1; n <= last_button; ++n) GOMBKIRAK(n);
  if (GOMBKATTINT(help_button)) SUGOB = true;
}

void FRAME() {
  EGERALLAPOTOK();
  // changed: as many steps of the speed law as the time since the previous frame calls for, not
  // one per frame: with one per frame the point's speed grew with the frame rate and again with
  // the processor (through MP), so the slider set no speed. Read in help frames too, so that
  // their time is not caught up afterwards.
  const std::int64_t steps = detail::steps_due();
  detail::take_frame_key();
  if (!SUGOB) {
    SFIRST = true;
    detail::compute_frame(steps, detail::step_clock.owed_before);
    ELEMEK_KIRAJZOLASA();
  } else {
    if (SFIRST) {
      orla::KILL_VW(BACKGROUND);
      orla_sprites::LOAD_SPRITE(detail::program_file("sugo.vex"), "", BACKGROUND);
      // a help picture of another size is laid from the corner, clipped
      orla_sprites::PUTCLIPPEDSPRITE(RESULT, BACKGROUND, 0, 0);
      detail::help_opened();
    }
    if (detail::fresh_press() || detail::key_leaves_help()) SUGOB = false;
    SFIRST = false;
    if (!SUGOB) detail::load_backdrop();
  }
  orla_sprites::ADJUSTSPRITEBRIGHTNESS(RESULT, FENYFORRAS,
                                       static_cast<orla::SHORTINT>(2 * FENYFORRAS), FENYFORRAS);
  if (!SUGOB) {
    detail::finish_large_frame(FENYFORRAS);
    detail::draw_figure_message();
    if (!SFIRST) {
      // the pass that left the help screen shows the help picture a last time, at its size
      detail::present_help();
      detail::help_closed();
    } else {
      detail::present_frame();
    }
  } else if (SFIRST) {
    // the pass that asked for help drew a normal frame: that is shown, the help from the next
    detail::present_frame();
  } else {
    detail::present_help();
  }
  // what is saved is the frame just presented, while it is still in RESULT
  if (!SUGOB) detail::take_figure_out();
  orla_win32::GETALLMESSAGES();
  orla_win32::HANDLEMINIMIZED();
  // the time spent minimised is no motion: the point goes on where it stopped
  if (orla_win32::WASINTERRUPTED) detail::start_step_clock();
}

void MEMORIA_FELSZABADITAS() {
  for (auto* window : {&BACKGROUND, &SPRITE01, &RESULT, &URES, &KEK, &SARGA, &SZURKE})
    orla::KILL_VW(*window);
  detail::reset_render_caches();
  detail::release_large_frame();
  orla::KILL_GRAPH();
  orla::CHECKMEMORY();
  orla_win32::TERMINATE();
}

int VEXEL_MAIN() {
  using detail::phase;
  detail::program_phase = phase::starting;
  INIT_VEXEL();
  detail::program_phase = phase::intro;
  INTRO();
  detail::use_start_figure();
  detail::program_phase = phase::running;
  detail::start_step_clock();
  do {
    FRAME();
  } while (detail::frame_loop_goes_on());
  orla::CURSORVISIBLE(false);
  detail::complete_small_frame();
  detail::program_phase = phase::fading;
  LAMPALE();
  MEMORIA_FELSZABADITAS();
  detail::program_phase = phase::ended;
  return 0;
}

}  // namespace vexel
