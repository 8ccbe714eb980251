// vexel (helpers): the records of the program's tables and the helpers the units share and the
// tests call. Each section names the file that implements it; the interface is vexel.hpp.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "orla_types.hpp"
#include "win32.hpp"

namespace orla {
struct VIRTUALWINDOW;
}

namespace vexel {

// The basic types, for the interface (vexel.hpp) and the helpers alike.
using orla::BOOLEAN;
using orla::BYTE;
using orla::LONGINT;
using orla::REAL;
using orla::WORD;
using orla::detail::checked_array;

namespace detail {

// =============================================================================================
// Scene model (vexel_scene.cpp).
// =============================================================================================

// Start position of a free vertex.
struct start_position {
  REAL x;
  REAL y;
};
// Where vertices A, B, C (points 1, 2, 3) stand when the program starts.
inline constexpr start_position start_vertex[3] = {{300.0, 400.0}, {550.0, 405.0}, {420.0, 150.0}};

// Clears the shown and exists flags of every point, segment, line and circle (not parabolas).
void clear_scene_flags();
// Puts the three vertices at their start positions.
void place_vertices_at_start();

// =============================================================================================
// Screen copies (vexel_constructions.cpp).
// =============================================================================================

// Screen copies hold values strictly between -screen_limit and screen_limit: the 32-bit range
// less the room for what is added to them, so that a pointer position (a WORD) taken from one,
// or the shadow offset or a ring's step added to one, still fits a LONGINT.
inline constexpr LONGINT screen_limit = 0x7FFFFFFF - 0xFFFF;
// Rounds half to even into a screen integer; false (out untouched) when outside the limit.
bool to_screen(REAL value, LONGINT& out);

// =============================================================================================
// Construction table (vexel_table.cpp).
// =============================================================================================

// Style of one element in one chapter.
struct style_entry {
  BYTE VASTAGSAG = 1;
  BYTE R = 0;
  BYTE G = 0;
  BYTE B = 0;
  BOOLEAN LATSZIK = false;
};

// One chapter's styles, grouped by element kind with the indices of the scene tables.
struct mt_row {
  checked_array<style_entry, 1, 60> points;
  checked_array<style_entry, 1, 50> segments;
  checked_array<style_entry, 1, 50> lines;
  checked_array<style_entry, 1, 10> circles;
  checked_array<style_entry, 1, 3> parabolas;
};

// Copies the styles of the chapter SARGAMENU from MT into the element records.
void copy_chapter_styles();

// =============================================================================================
// Control panel (vexel_buttons_table.cpp).
// =============================================================================================

// One button: its rectangle (inclusive for the hit test) and whether it is greyed.
struct button_record {
  WORD x1 = 0;
  WORD y1 = 0;
  WORD x2 = 0;
  WORD y2 = 0;
  BYTE disabled = 0;
};

// Sets the rectangles of buttons 1..16 (the others stay zero).
void set_button_rectangles();

// =============================================================================================
// Pointer (vexel_pointer.cpp).
// =============================================================================================

// The left button went down since the previous pass (it is down now and was not then).
bool fresh_press();

// =============================================================================================
// Speed calibration and the step clock (vexel_calibration.cpp).
// =============================================================================================

// Sets MP and the two ratios derived from it.
void set_speed_count(std::int64_t count);

// The calibration's count so far: increments, and the milliseconds they were counted in.
struct calibration_account {
  std::int64_t count = 0;
  orla::DWORD counted_ms = 0;
};
inline calibration_account calibration;

// Forgets what was counted.
void start_calibration();
// Counts for `ms` milliseconds of the tick counter (less when three seconds are counted already).
// The intro calls it between its frames, so the count costs the start-up no time.
void count_calibration(orla::DWORD ms);
// Sets MP from the count: the increments of three seconds of counting; when the intro ended
// before that, the count so far (at least least_counted_ms of it) scaled to three seconds.
void finish_calibration();

// The rate of the frame loop's steps of the speed law, inversely proportional to MP. One step turns
// the point by DEGTORAD(PILSEB * MP / 2e9) / 220, so a revolution at the start speed 40 takes 2 pi
// / that = 2 * 180 * 220 * 2e9 / (40 * MP) = 3.96e12 / MP steps; at a rate of 2.64e11 / MP steps
// per second that is 15 s, on every machine. The speed changes by MP / 2e8 per step, so it reaches
// 40 in about 30 ms.
inline constexpr long double steps_per_second_times_count = 2.64e11L;
// After a stall (a window dragged, a debugger) at most a quarter of a second is caught up.
inline constexpr orla::DWORD max_catch_up_ms = 250;
// A guard for a calibration that counted absurdly little: no frame takes more steps than this.
inline constexpr std::int64_t max_steps_per_frame = 1 << 20;

// The frame loop's account of the steps owed to the time that has passed.
struct step_account {
  bool started = false;
  orla::DWORD last = 0;         // tick count of the previous reading
  long double owed = 0;         // fraction of a step carried to the next frame
  long double owed_before = 0;  // that fraction after the reading before this one
};
inline step_account step_clock;

// Forgets the account: the next reading starts it.
void start_step_clock();
// Reads the tick counter: the steps of the speed law due since the previous reading (none at
// the first), catching up at most max_catch_up_ms.
std::int64_t steps_due();

// =============================================================================================
// Per-frame computation (vexel_compute.cpp).
// =============================================================================================

// SZAMOLASI_QELJARASOK taking `steps` steps of the speed law, the travelling point drawn
// `fraction` of a step past the angle the steps before left.
void compute_frame(std::int64_t steps, long double fraction = 0);

// =============================================================================================
// Animation of the travelling point (vexel_animation.cpp).
// =============================================================================================

// VEXEL_SZAMITASOK taking `steps` steps of the speed law (the buttons and the pointer mode act
// once whatever the count).
void advance_point(std::int64_t steps);
// One step of the speed law in automatic mode: the speed towards the slider or down to 0, and
// the angle by the speed.
void speed_law_step();
// The angle the travelling point is drawn at: `fraction` of the next step past VEXEL_SZOG in
// automatic mode, VEXEL_SZOG in the pointer mode.
long double drawn_point_angle(long double fraction);

// =============================================================================================
// Element rendering (vexel_render.cpp).
// =============================================================================================

// The figure into the scene layer: every shadow, then every element, in the frame's order.
void draw_figure();
// Forgets what the drawing kept from earlier calls (the runs and polylines of the elements'
// strokes, the stroke's working memory) and frees its memory.
void reset_render_caches();

// =============================================================================================
// The scene layer's drawn parts (vexel_layer.cpp).
// =============================================================================================

// The record's tiles: columns and rows of the layer per tile.
inline constexpr std::int64_t layer_tile_width = 32, layer_tile_height = 8;
// Record pixels of a layer (the scene layer, or the layer drawn at the screen's size) as drawn
// (cut to the layer; more may be recorded than drawn, never less): the columns left..right of a
// row, a box, the rows an 8-connected line crosses, a midpoint circle's ring.
void mark_layer_span(const orla::VIRTUALWINDOW& layer, std::int64_t row, std::int64_t left,
                     std::int64_t right);
void mark_layer_box(const orla::VIRTUALWINDOW& layer, std::int64_t left, std::int64_t top,
                    std::int64_t right, std::int64_t bottom);
void mark_layer_line(const orla::VIRTUALWINDOW& layer, std::int64_t x1, std::int64_t y1,
                     std::int64_t x2, std::int64_t y2);
void mark_layer_ring(const orla::VIRTUALWINDOW& layer, std::int64_t cx, std::int64_t cy,
                     std::int64_t radius);
// Clears the layer to black: only what was recorded since the last clear, or the whole layer
// the first time and whenever the layer was made anew.
void clear_layer(orla::VIRTUALWINDOW& layer);
// Lays the layer over the frame from (0, 0), its black pixels letting the frame through: only
// the parts recorded since the last clear.
void lay_layer_over(const orla::VIRTUALWINDOW& layer, orla::VIRTUALWINDOW& frame);
// Forgets the records: the next clear of a layer clears all of it.
void forget_layer_damage();
// True when pixel (x, y) of the layer is recorded as drawn since the last clear.
bool layer_pixel_recorded(const orla::VIRTUALWINDOW& layer, std::int64_t x, std::int64_t y);

// =============================================================================================
// The frame at the size the screen shows it (vexel_large_frame.cpp).
// =============================================================================================

// The user's choice of the original 800 x 600 picture, enlarged, for the session (--pixels, the
// key O).
void choose_original_pixels(bool original);
bool original_pixels_chosen();
// This frame's scale of the large frame to 800 x 600; 0 while the original picture is shown.
double large_frame_scale();
// The large frame of this frame (empty while the original picture is shown).
const orla::VIRTUALWINDOW& large_frame();
// Starts a normal frame's large frame where the screen shows the frame larger than 800 x 600 and
// the user has not chosen the original: its backdrop copied in, its figure layer cleared.
void begin_large_frame();
// The figure drawn at the large frame's scale into it (its layer keeps the record).
void draw_large_figure();
// A button tint of the 800 x 600 frame (rectangle, colour window, levels) laid on the large
// frame where it shows that rectangle.
void tint_large_frame(const orla::VIRTUALWINDOW& colour, LONGINT x, LONGINT y, LONGINT width,
                      LONGINT height, BYTE lr, BYTE lg, BYTE lb);
// The frame's brightness, as the 800 x 600 frame's.
void finish_large_frame(BYTE brightness);
// Rows top..bottom of the 800 x 600 frame from column left on, enlarged into the large frame.
void copy_rows_to_large_frame(LONGINT top, LONGINT bottom, LONGINT left);
// The 800 x 600 frame is composed this frame (known from begin_large_frame on): where the
// original picture is shown, or where the frame is saved or shown (help, exit); otherwise only
// the large frame is (hit tests are geometric).
bool small_figure_wanted();
// Composes the 800 x 600 frame where the last frame left it out (the fade-out shows it).
void complete_small_frame();
// Presents the large frame when there is one, else the 800 x 600 frame.
void present_frame();
// Presents a picture drawn at the size shown (dravo::detail::blit_large). The rectangles tell
// what changed since the caller's own last picture, `previous` (the number this returned for it,
// 0 for none): where another picture was presented at that size since, it is sent whole.
std::uint64_t present_large(const orla::VIRTUALWINDOW& picture, const win32::RECT* changed,
                            int count, std::uint64_t previous);
// Frees the large frame's windows.
void release_large_frame();

// =============================================================================================
// The pictures at the size the screen shows the frame (vexel_large_pictures.cpp).
// =============================================================================================

// The size the frame is shown at (width, height) and true, where that is larger than 800 x 600
// and the user has not chosen the original picture; false where the original is shown.
bool large_screen(int& width, int& height);
// Fills `target` with the picture `name` ("menu.vex", "sugo.vex", "vex.vex") at the target's
// size: from the smallest of the larger renderings the build made beside it ("menu@2.vex",
// "menu@3.vex") that is at least as large, else the largest of them, else from `original` (the
// picture at its own size); reduced with an averaging filter (enlarged linearly) where the sizes
// differ.
void picture_at_size(const std::string& name, const orla::VIRTUALWINDOW& original,
                     orla::VIRTUALWINDOW& target);
// The help screen: opened (its picture just loaded into RESULT), presented (at the size shown
// where the screen is large, else RESULT), closed (its large picture released).
void help_opened();
void present_help();
void help_closed();
// Presents the intro's frame at the size shown, the title picture (BACKGROUND) with its corner at
// (x, y) in 800 x 600 terms; false where the original is shown (the caller presents RESULT).
bool present_large_intro(REAL x, REAL y);
void release_large_intro();
// The fade-out at the size shown: true when the last frame was presented at that size, and
// then a copy of it is darkened by each step as RESULT is and presented.
bool begin_large_fade();
void fade_large(orla::SHORTINT step);
// Frees the windows of this part.
void release_large_pictures();

// =============================================================================================
// Frame loop (vexel_frame.cpp).
// =============================================================================================

// The start-up steps that need neither the calibration nor the window: the colour table, the
// program's globals, the buttons, the scene and its table, the highlight colours.
void init_program_state();
// Where the program stands in its run.
enum class phase { before_start, starting, intro, running, fading, ended };
inline phase program_phase = phase::before_start;
// Loads "menu.vex" as the backdrop, at the screen's size.
void load_backdrop();
// The loop goes on: the window exists and the exit button was not freshly clicked.
bool frame_loop_goes_on();

// =============================================================================================
// The program's files (vexel_files.cpp).
// =============================================================================================

// The languages of the pictures: Hungarian, the program's own, and English.
enum class language { hu, en };
// The language the pictures are read in (Hungarian unless main chooses another).
inline language picture_language = language::hu;
// The path to open for one of the program's files ("menu.vex", "sugo.vex", "vex.vex",
// "Fonts.fnt"): the working directory's, else the one beside the executable, else the one in
// ../share/vexel beside the executable's folder; the bare name when none is there. With a
// language other than Hungarian its folder (en/) is looked in first, in each of these places.
std::string program_file(const std::string& name);
// The same for the executable at the given path (none when empty) and the given language.
std::string program_file_in(const std::string& name, const std::string& executable,
                            language lang = language::hu);

// =============================================================================================
// Keyboard and presenter remote (vexel_keys.cpp).
// =============================================================================================

// The vertex chosen with Tab for the arrow keys (1..3), 0 when none; drawn brightened.
inline BYTE selected_vertex = 0;
// Forgets the selection and every key press not yet taken (start of a run).
void reset_keys();
// Takes the key press of this pass (at most one that acts) and acts on it, or stores the
// button it stands for; a fresh mouse press on the figure drops the vertex selection. Called
// at the start of every pass of the frame loop.
void take_frame_key();
// The key press of this pass stands for a click of button n.
bool key_clicks(BYTE n);
// A key press of this pass leaves the help screen.
bool key_leaves_help();
// Space, Enter or Page Down was pressed during the intro; every key press so far is taken.
bool intro_key_pressed();

// =============================================================================================
// The language of the pictures (vexel_language.cpp): all of the program's words are in its three
// pictures, made per language by the build (Hungarian in the program's folder, English in en/
// beside them).
// =============================================================================================

// The folder, beside the Hungarian files, that holds a language's own pictures ("en/"); empty
// for Hungarian.
std::string language_folder(language lang);
// The language of a locale name such as "en_US.UTF-8": English for en..., else Hungarian.
language language_of_locale(std::string_view locale);
// The language the environment asks for: the first of LC_ALL, LC_MESSAGES and LANG that is set
// and not empty decides; none set gives Hungarian. getenv is the environment's lookup.
language language_from_environment(const std::function<const char*(const char*)>& getenv);
// What the command line asks for: "--lang hu|en" or "--lang=hu|en" (the last one counts), else
// the environment; other arguments are ignored. An unknown or missing language gives the message
// to show instead.
struct language_choice {
  language chosen = language::hu;
  std::string error;
};
language_choice choose_language(const std::vector<std::string>& arguments,
                                const std::function<const char*(const char*)>& getenv);

// =============================================================================================
// Taking the figure out: the figure line (vexel_figure_line.cpp), the walk over the figure's
// elements (vexel_render.cpp), the SVG drawing (vexel_figure_svg.cpp), the PNG file
// (vexel_png.cpp) and the save, the copy and the message in the panel (vexel_figure_out.cpp).
// =============================================================================================

// The travelling point's mode: running, at rest, or following the pointer.
enum class point_mode { run, stop, pointer };
// What the figure line holds: the vertices A, B, C, the chapter and the travelling point's state.
struct figure_state {
  REAL x[3] = {300, 550, 420};
  REAL y[3] = {400, 405, 150};
  BYTE chapter = 2;
  REAL angle = 0;
  BYTE speed = 40;
  point_mode mode = point_mode::stop;
};
// The slider's top speed, the highest speed a figure line may give.
inline constexpr int slider_top_speed = 85;
// The closed rectangle a vertex of a figure line must lie in: the figure area.
inline constexpr REAL figure_right = 800, figure_bottom = 458;
// The longest figure line read; a longer one is refused unread.
inline constexpr std::size_t longest_figure_line = 4096;

// The figure shown now.
figure_state current_figure();
// The figure as one line: "A=x,y;B=x,y;C=x,y;ch=N", in the pedal-line chapter followed by
// ";t=ANGLE;v=SPEED;m=run|stop|mouse"; vertices to a tenth of a pixel.
std::string figure_line(const figure_state& figure);
// A line read: the figure, or (ok false) what is wrong with it.
struct figure_reading {
  bool ok = false;
  figure_state figure;
  std::string error;
};
figure_reading read_figure_line(std::string_view line);
// The message shown for a refused line (lines separated by carriage returns).
std::string figure_line_refusal(const std::string& why);
// Puts the figure on the screen: vertices, chapter, the point's angle, speed and mode.
void apply_figure(const figure_state& figure);

// The kinds of the figure's elements.
enum class element_kind { point, segment, line, circle, parabola };
// One element of the walk: its kind, its index in its table and whether this is its shadow.
struct figure_element {
  element_kind kind = element_kind::point;
  BYTE index = 0;
  bool shadow = false;
};
// Calls `paint` for every element that is shown and exists at the moment the walk reaches it, in
// the frame's drawing order: the shadows of parabolas, circles, lines, segments and points (60
// down to 1), then the elements in the same order.
void walk_figure(const std::function<void(const figure_element&)>& paint);
// The walk handing each element to the painter's member of its kind (point, segment, line,
// circle, parabola; each taking the index and whether it is the shadow).
template <class Painter>
void paint_figure(Painter& painter) {
  walk_figure([&painter](const figure_element& e) {
    switch (e.kind) {
      case element_kind::point:
        painter.point(e.index, e.shadow);
        break;
      case element_kind::segment:
        painter.segment(e.index, e.shadow);
        break;
      case element_kind::line:
        painter.line(e.index, e.shadow);
        break;
      case element_kind::circle:
        painter.circle(e.index, e.shadow);
        break;
      case element_kind::parabola:
        painter.parabola(e.index, e.shadow);
        break;
    }
  });
}

// The figure as an SVG 1.1 drawing of the figure area (800 x 458), from the records' REAL values,
// over a background of the given colour ("#rrggbb"; none when empty).
std::string figure_svg(const std::string& title, const std::string& description,
                       const std::string& background);
// The figure drawn into `layer` at `scale` times the figure area's size, from the records' REAL
// values: the SVG drawing's shapes, each pixel whose centre they cover in the element's colour,
// in the walk's order (vexel_figure_scaled.cpp). The layer is black where nothing is drawn;
// what is drawn is recorded in the layer's record.
void draw_figure_scaled(orla::VIRTUALWINDOW& layer, double scale);
// The same straight into a frame of the layer's width over its backdrop, as the layer laid over
// it would show (black shows the backdrop), the layer's pixels and record untouched. Only where
// it may differ from the last drawing onto that frame is drawn again: the tiles of the elements
// that changed, came or went, and those of the `restored` rectangles (right and bottom excluded,
// where the caller put the backdrop back) get the backdrop back and every element reaching them,
// inside them. True when those elements' tiles are appended to `changes` as rectangles outside
// which the frame is as before; false when the last drawing is not known: the frame must then
// hold the backdrop under the figure, which is drawn whole.
bool draw_figure_scaled_onto(orla::VIRTUALWINDOW& layer, double scale, orla::VIRTUALWINDOW& frame,
                             const orla::VIRTUALWINDOW& backdrop,
                             const std::vector<win32::RECT>& restored,
                             std::vector<win32::RECT>& changes);
// The next drawing onto a frame does not know the last one.
void forget_figure_drawn();
// A pixel's colour as SVG writes it: "#rrggbb".
std::string svg_colour(WORD pixel);
// A PNG file (8-bit RGB, deflate of our own) of `rows` rows of an RGB565 picture `width` wide.
std::string png_file(const std::uint16_t* pixels, int width, int rows);

// The chapter's name for files ("pedal-line") and for people ("Pedal line"), in the pictures'
// language of the program.
std::string chapter_file_name(BYTE chapter);
std::string chapter_title(BYTE chapter);

// Where a save went, or why it did not.
struct save_result {
  bool ok = false;
  std::string png_path, svg_path;
  std::string error;
};
// Writes the two files into `folder` (made when missing) as `base`.png and `base`.svg, or with
// the first suffix -2, -3 ... that leaves both names free; each through a temporary file renamed
// into place, never over an existing file.
save_result save_files(const std::string& folder, const std::string& base, const std::string& png,
                       const std::string& svg);
// The file name's stem for a chapter and a local time: vexel-<chapter>-<YYYYMMDD-HHMMSS>.
std::string save_stem(BYTE chapter, const std::tm& when);

// Asks the frame loop to save the figure (Ctrl+S, S) or to copy its line (Ctrl+C) after the
// frame is presented.
void request_save();
// A save is asked for: this frame's end saves its 800 x 600 frame.
bool save_requested();
void request_copy();
// After a frame is presented: saves or copies what was asked for, and tells the platform of a
// new figure line when a drag ended or the chapter changed.
void take_figure_out();
// Draws the message of the last save or copy into the panel's title line (three seconds).
void draw_figure_message();
// The message shown there now (empty when none).
std::string figure_message();
// Forgets the requests, the message and the line last shared (start of a run).
void reset_figure_out();
// The figure a run starts with after the intro (from --figure), and the refusal to show
// instead (empty when none).
inline bool start_figure_given = false;
inline figure_state start_figure;
inline std::string start_figure_refusal;
// Reads --figure LINE or --figure=LINE (the last one counts) into the start figure; a line that
// cannot be used gives the message for standard error (empty when all is well) and leaves the
// refusal to show after the intro.
std::string choose_start_figure(const std::vector<std::string>& arguments);
// Puts the start figure on the screen or shows the refusal (after the intro).
void use_start_figure();

}  // namespace detail
}  // namespace vexel
