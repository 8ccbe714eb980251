// vexel: the demonstration's main unit: the scene of the figure, its geometry and constructions,
// the per-chapter style table, the buttons and the per-frame computation of the figure.
#pragma once

#include <cstdint>

#include "orla_types.hpp"

namespace vexel {

using orla::BOOLEAN;
using orla::BYTE;
using orla::LONGINT;
using orla::REAL;
using orla::WORD;
using orla::detail::checked_array;

// =============================================================================================
// Scene model: five tables of elements with fixed roles (vertices 1..3 are free, everything
// else is derived from them every frame).
// =============================================================================================

// A point, shown as a filled disc.
struct PONT_TYPE {
  LONGINT KX = 0;
  LONGINT KY = 0;
  LONGINT MERET = 0;
  BYTE R = 0;
  BYTE G = 0;
  BYTE B = 0;
  REAL X = 0;
  REAL Y = 0;
  BOOLEAN LATSZIK = false;
  BOOLEAN LETEZIK = false;
};

// A segment between two end points.
struct SZAKASZ_TYPE {
  REAL X1 = 0;
  REAL Y1 = 0;
  REAL X2 = 0;
  REAL Y2 = 0;
  REAL SZOG = 0;
  LONGINT KX1 = 0;
  LONGINT KY1 = 0;
  LONGINT KX2 = 0;
  LONGINT KY2 = 0;
  BYTE R = 0;
  BYTE G = 0;
  BYTE B = 0;
  WORD VASTAGSAG = 0;
  BOOLEAN LATSZIK = false;
  BOOLEAN LETEZIK = false;
};

// A line, held as y = M*x + C (valid when YXFORMA) and x = M2*y + C2 (valid when XYFORMA).
struct EGYENES_TYPE {
  REAL M = 0;
  REAL C = 0;
  REAL M2 = 0;
  REAL C2 = 0;
  REAL SZOG = 0;
  BYTE R = 0;
  BYTE G = 0;
  BYTE B = 0;
  LONGINT KX1 = 0;
  LONGINT KY1 = 0;
  LONGINT KX2 = 0;
  LONGINT KY2 = 0;
  WORD VASTAGSAG = 0;
  BOOLEAN LATSZIK = false;
  BOOLEAN LETEZIK = false;
  BOOLEAN YXFORMA = false;
  BOOLEAN XYFORMA = false;
};

// A circle, drawn as VASTAGSAG concentric one-pixel rings.
struct KOR_TYPE {
  REAL X = 0;
  REAL Y = 0;
  REAL SUGAR = 0;
  BYTE R = 0;
  BYTE G = 0;
  BYTE B = 0;
  LONGINT KX = 0;
  LONGINT KY = 0;
  LONGINT KSUGAR = 0;
  LONGINT VASTAGSAG = 0;
  BOOLEAN LATSZIK = false;
  BOOLEAN LETEZIK = false;
};

// A parabola given by its focus and a copy of its directrix; P is the signed focus distance.
struct PARABOLA_TYPE {
  REAL FX = 0;
  REAL FY = 0;
  REAL TX = 0;
  REAL TY = 0;
  REAL M = 0;
  REAL C = 0;
  REAL M2 = 0;
  REAL C2 = 0;
  REAL SZOG = 0;
  REAL P = 0;
  BYTE R = 0;
  BYTE G = 0;
  BYTE B = 0;
  BYTE VASTAGSAG = 0;
  BOOLEAN LATSZIK = false;
  BOOLEAN LETEZIK = false;
  BOOLEAN YXFORMA = false;
  BOOLEAN XYFORMA = false;
};

// The scene tables (roles of the indices: see vexel_scene.cpp).
extern checked_array<PONT_TYPE, 1, 60> PONT;
extern checked_array<SZAKASZ_TYPE, 1, 50> SZAKASZ;
extern checked_array<EGYENES_TYPE, 1, 50> EGYENES;
extern checked_array<KOR_TYPE, 1, 10> KOR;
extern checked_array<PARABOLA_TYPE, 1, 3> PARABOLA;

// Receives the success flag of intersections whose result is not needed.
inline BOOLEAN HULYESEGBOOLEAN = false;
// Loop counters shared by the table-filling routines.
inline LONGINT I = 0;
inline LONGINT J = 0;

namespace detail {

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

}  // namespace detail

// =============================================================================================
// Plane geometry routines: pure computations on REAL values, results through out-parameters.
// Exact comparisons throughout; intermediate arithmetic in extended precision.
// =============================================================================================

// The line through (x1, y1) and (x2, y2); writes nothing when the points coincide.
void KETPONT_EGYENESENEK_ABCDSZOG(REAL x1, REAL y1, REAL x2, REAL y2, REAL& m, REAL& c, REAL& m2,
                                  REAL& c2, REAL& angle, BOOLEAN& yx, BOOLEAN& xy);
// The common point of two lines; ok false (x, y untouched) when their angles are equal.
void KETEGYENES_METSZESPONTJA(REAL m_1, REAL c_1, REAL m2_1, REAL c2_1, REAL m_2, REAL c_2,
                              REAL m2_2, REAL c2_2, BOOLEAN yx1, BOOLEAN xy1, BOOLEAN yx2,
                              BOOLEAN xy2, REAL& x, REAL& y, BOOLEAN& ok);
// The line through (px, py) perpendicular to the given line; nothing for a line with no form.
void PONTONATMENO_EGYENESRE_MEROLEGES(REAL m, REAL c, REAL m2, REAL c2, BOOLEAN yx, BOOLEAN xy,
                                      REAL px, REAL py, REAL& rm, REAL& rc, REAL& rm2, REAL& rc2,
                                      REAL& rangle, BOOLEAN& ryx, BOOLEAN& rxy);
// The midpoint of a segment.
void SZAKASZFELEZO(REAL x1, REAL y1, REAL x2, REAL y2, REAL& mx, REAL& my);
// The foot of the perpendicular from (px, py) onto the line.
void PONTNAK_EGYENESRE_TALPPONTJA(REAL m, REAL c, REAL m2, REAL c2, BOOLEAN yx, BOOLEAN xy, REAL px,
                                  REAL py, REAL& fx, REAL& fy);
// The bisector of the angle A-B-C through the vertex B; both flags false for coincident points,
// nothing written for collinear ones.
void HAROMPONTRA_SZOGFELEZO(REAL ax, REAL ay, REAL bx, REAL by, REAL cx, REAL cy, REAL& m, REAL& c,
                            REAL& m2, REAL& c2, REAL& angle, BOOLEAN& yx, BOOLEAN& xy);
// Direction of the vector from Q to P in [0, 2*pi), clockwise on screen; 0 when P = Q.
REAL SZOGMERES(REAL px, REAL py, REAL qx, REAL qy);
// Euclidean distance of two points.
REAL KETPONT_TAVOLSAGA(REAL x1, REAL y1, REAL x2, REAL y2);
// P rotated about C by angle.
void FORGAT(REAL angle, REAL px, REAL py, REAL cx, REAL cy, REAL& rx, REAL& ry);
// The point lies exactly on the line; false for a line with no form.
BOOLEAN PONTEGYENESEN(REAL px, REAL py, REAL m, REAL c, REAL m2, REAL c2, BOOLEAN yx, BOOLEAN xy);

// =============================================================================================
// Screen copies and constructions. A construction fills its target from existing inputs, or only
// marks the target as not existing.
// =============================================================================================

namespace detail {

// Screen copies hold values strictly between -screen_limit and screen_limit: the 32-bit range
// less the room for what is added to them, so that a pointer position (a WORD) taken from one,
// or the shadow offset or a ring's step added to one, still fits a LONGINT.
inline constexpr LONGINT screen_limit = 0x7FFFFFFF - 0xFFFF;
// Rounds half to even into a screen integer; false (out untouched) when outside the limit.
bool to_screen(REAL value, LONGINT& out);

}  // namespace detail

// The screen copies below refuse values outside the screen limit and keep their previous
// screen fields. A refused segment, line or circle stops existing for the frame, so a drawing
// routine tests LETEZIK again after the copy; a refused point keeps existing, since the
// constructions read it (the feet of the travelling point), and its drawing tests the fit.

// Rounds a point's position into KX, KY (only an existing point).
void PONT_SZAMOL(BYTE p);
// Rounds a segment's ends; a segment whose ends fall on one pixel stops existing.
void SZAKASZ_SZAMOL(BYTE s);
// The direction and the border points of a line on the 800 x 460 area.
void EGYENES_SZAMOL(BYTE e);
// Rounds a circle's centre and radius.
void KOR_SZAMOL(BYTE k);

// Segment on two points.
void QKETPONTRA_SZAKASZ(BYTE p1, BYTE p2, BYTE s);
// Line on two points.
void QKETPONTRA_EGYENES(BYTE p1, BYTE p2, BYTE e);
// Midpoint of two points.
void QKETPONT_FELEZOJE(BYTE p1, BYTE p2, BYTE p);
// Line through a point, perpendicular to a line.
void QPONTON_ATMENO_EGYENESREMEROLEGES(BYTE p, BYTE e, BYTE target);
// Foot of a point on a line.
void QPONTNAK_EGYENESRE_TALPPONTJA(BYTE p, BYTE e, BYTE target);
// Intersection point of two lines.
void QKETEGYENES_METSZESPONTJA(BYTE e1, BYTE e2, BYTE p);
// Bisector of the angle a-b-c at the vertex b.
void QHAROMPONTRA_SZOGFELEZO(BYTE a, BYTE b, BYTE c, BYTE e);
// Circle with its centre through a point.
void QPONTKERPONT_KOR(BYTE centre, BYTE p, BYTE k);
// Parabola with a focus point and a directrix line.
void QPONTEGYENESRE_PARABOLA(BYTE f, BYTE d, BYTE k);

// =============================================================================================
// Construction table: per chapter (menu item 2..10), the style of every element.
// =============================================================================================

namespace detail {

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

}  // namespace detail

// The construction table's type: one row per chapter 2..10.
using MT_TYPE = checked_array<detail::mt_row, 2, 10>;

// The construction table.
extern MT_TYPE MT;
// The selected menu item, which is the chapter shown (2..10).
inline BYTE SARGAMENU = 2;

// Fills the construction table and marks the free vertices and the travelling point as existing.
void FILL_MT();

// =============================================================================================
// Pointer history.
// =============================================================================================

// Left-button history: 1 is this pass, 2 the previous pass, ... 5.
inline checked_array<BOOLEAN, 1, 5> M_LTOMB{};

// Pushes the current left-button state into the history.
void EGERALLAPOTOK();

// =============================================================================================
// Buttons of the control panel.
// =============================================================================================

namespace detail {

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

}  // namespace detail

// The buttons; 1..16 are used.
extern checked_array<detail::button_record, 1, 20> GOMB;

// The pointer is inside the button's rectangle (borders included).
BOOLEAN GOMBONVAN(BYTE n);
// A fresh left press inside the button, or a key press that stands for it.
BOOLEAN GOMBKATTINT(BYTE n);
// The value is even.
BOOLEAN PAROS(WORD value);

// =============================================================================================
// Pedal-line computation and animation.
// =============================================================================================

// Angle of the travelling point in radians (clockwise on screen from +x).
inline REAL VEXEL_SZOG = 0.0;
// Current angular speed, in slider units.
inline REAL PILSEB = 0.0;
// Target speed from the slider (0..85).
inline BYTE SEBESSEG = 40;
// Accelerate towards SEBESSEG (true) or brake to 0 (false).
inline BOOLEAN PLAY = false;
// Automatic animation (true) or the angle follows the pointer (false).
inline BOOLEAN ANIMACIO = true;
// Calibration count: loop passes in three seconds.
// changed: 64 bits, so a machine fast enough to pass 2^31 counts cannot overflow it.
inline std::int64_t MP = 0;
// Speed change per step of the speed law, MP / 200000000.
inline REAL GYORSITAS = 0.0;
// Speed scale, MP / 2000000000.
inline REAL KIEGYENLITO = 0.0;

namespace detail {

// Sets MP and the two ratios derived from it.
void set_speed_count(std::int64_t count);

// Copies the backdrop into the frame and clears the scene layer at the start of a frame's
// computation. Both need the frame buffers and the sprite routines, which the frame loop's unit
// provides and installs here; while unset, the computation only rebuilds the figure.
inline void (*prepare_frame_layers)() = nullptr;

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
  orla::DWORD last = 0;  // tick count of the previous reading
  long double owed = 0;  // fraction of a step carried to the next frame
};
inline step_account step_clock;

// Forgets the account: the next reading starts it.
void start_step_clock();
// Reads the tick counter: the steps of the speed law due since the previous reading (none at
// the first), catching up at most max_catch_up_ms.
std::int64_t steps_due();
// SZAMOLASI_QELJARASOK taking `steps` steps of the speed law.
void compute_frame(std::int64_t steps);
// VEXEL_SZAMITASOK taking `steps` steps of the speed law (the buttons and the pointer mode act
// once whatever the count).
void advance_point(std::int64_t steps);
// One step of the speed law in automatic mode: the speed towards the slider or down to 0, and
// the angle by the speed.
void speed_law_step();

}  // namespace detail

// Start-up speed calibration: counts loop passes for three seconds of the tick counter.
void MP_KISZAMITAS();
// The per-frame computation: slider, all constructions, travelling point, pedal line,
// parabolas, angle update (one step of the speed law) and the chapter's styles.
void SZAMOLASI_QELJARASOK();
// Advances the travelling point's angle (one step of the speed law, or the pointer direction).
void VEXEL_SZAMITASOK();

}  // namespace vexel

// =============================================================================================
// Frame buffers and program state of the demonstration.
// =============================================================================================

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "orla.hpp"

namespace vexel {

// The window title.
inline constexpr const char* APPLICATIONID = "VEXEL egyenes";
// Screen and frame size.
inline constexpr LONGINT WIDTH = 800;
inline constexpr LONGINT HEIGHT = 600;

// The scene layer (800 x 458), cleared every frame; black is its transparent colour.
inline orla::VIRTUALWINDOW SPRITE01;
// 2 x 2 black, scaled onto the scene layer to clear it.
inline orla::VIRTUALWINDOW URES;
// The backdrop: menu picture, help picture or intro picture.
inline orla::VIRTUALWINDOW BACKGROUND;
// The frame being composed.
inline orla::VIRTUALWINDOW RESULT;
// 2 x 2 highlight colours: hover, selection, disabled.
inline orla::VIRTUALWINDOW KEK;
inline orla::VIRTUALWINDOW SARGA;
inline orla::VIRTUALWINDOW SZURKE;
// Scratch window of one button highlight.
inline orla::VIRTUALWINDOW GOMBKERET;

// The help screen is requested or shown.
inline BOOLEAN SUGOB = false;
// The help picture is still to be loaded for this visit of the help screen.
inline BOOLEAN SFIRST = true;
// Brightness offset of the whole frame (the fade-out's step); 0 otherwise.
inline orla::SHORTINT FENYFORRAS = 0;
// A vertex is being dragged, and which one (1..3).
inline BOOLEAN MOZGAT = false;
inline BYTE MELYIKMOZGAT = 0;

// =============================================================================================
// Element rendering and shadows (into SPRITE01).
// =============================================================================================

// Packed pixel of every colour triple.
extern WORD RGBTOCOL[32][64][32];
// The shadow colour and offset shared by every element kind.
inline constexpr BYTE shadow_r = 25, shadow_g = 50, shadow_b = 25;
inline constexpr LONGINT shadow_offset = 3;

// Fills RGBTOCOL.
void FILL_RGBTOCOLOR();
// Every pixel of row y from x1 to x2 (either order), clipped to the window.
void LINECLIPPEDHORZ(orla::VIRTUALWINDOW& vw, LONGINT x1, LONGINT x2, LONGINT y, BYTE r, BYTE g,
                     BYTE b);
// A filled disc with both end pixels of every span, clipped to the window.
void FULLCLIPPEDCIRCLE(orla::VIRTUALWINDOW& vw, LONGINT cx, LONGINT cy, LONGINT radius, BYTE r,
                       BYTE g, BYTE b);
// A thick line: one disc of radius width - 1 per pixel of length, clipped to the window.
void LINECLIPPEDBOLD(orla::VIRTUALWINDOW& vw, LONGINT x1, LONGINT y1, LONGINT x2, LONGINT y2,
                     BYTE width, BYTE r, BYTE g, BYTE b);

// Draw one element (or its shadow) into SPRITE01 when it is shown and exists.
void PONTKIRAK(BYTE i);
void PONTARNYEKKIRAK(BYTE i);
void SZAKASZKIRAK(BYTE i);
void SZAKASZARNYEKKIRAK(BYTE i);
void EGYENESKIRAK(BYTE i);
void EGYENESARNYEKKIRAK(BYTE i);
void KORKIRAK(BYTE i);
void KORARNYEKKIRAK(BYTE i);
void PARABOLAKIRAK(BYTE i);
void PARABOLAARNYEKKIRAK(BYTE i);

}  // namespace vexel

namespace vexel {

// =============================================================================================
// Pointer: hover and dragging of the three vertices.
// =============================================================================================

// The pointer lies within the point's disc (refreshes the point's screen copy first).
BOOLEAN PONTONVAN(BYTE p);
// Brightens the vertex under the pointer, being dragged or selected by key, for this frame.
void PONTVILAGOSIT();
// Starts, continues or ends the drag of a vertex.
void PONTMOZGAT();

}  // namespace vexel

namespace vexel {

// =============================================================================================
// Buttons, frame loop, intro and fade-out.
// =============================================================================================

// Draws button n's highlights into RESULT and takes a chapter selection.
void GOMBKIRAK(BYTE n);
// Draws the figure into the scene layer, handles dragging, composes the frame, draws the buttons
// and tests the help button.
void ELEMEK_KIRAJZOLASA();
// The start-up sequence: calibration, tables, window, display, font, pictures, buffers.
void INIT_VEXEL();
// The release sequence: every window, the display, the leak check, the window side.
void MEMORIA_FELSZABADITAS();
// Busy-waits at least ms milliseconds of the tick counter.
void KESLELTET(WORD ms);
// The title picture circling on a white screen until a press or seven seconds.
void INTRO();
// Darkens the last frame to black in 32 steps.
void LAMPALE();
// One pass of the frame loop (a normal frame or a help frame), presented.
void FRAME();
// The whole program: start-up, intro, frame loop, fade-out, release. Returns the exit code.
int VEXEL_MAIN();

namespace detail {
// Copies the backdrop into the frame and clears the scene layer.
void copy_backdrop_and_clear_layer();
// The start-up steps that need neither the calibration nor the window: the colour table, the
// program's globals, the buttons, the scene and its table, the highlight colours.
void init_program_state();
// Where the program stands in its run.
enum class phase { before_start, starting, intro, running, fading, ended };
inline phase program_phase = phase::before_start;
// Loads "menu.vex" as the backdrop, at the screen's size.
void load_backdrop();
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
// The loop goes on: the window exists and the exit button was not freshly clicked.
bool frame_loop_goes_on();
}  // namespace detail

// =============================================================================================
// Keyboard and presenter remote.
// =============================================================================================

namespace detail {
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
}  // namespace detail

// =============================================================================================
// The language of the pictures: all of the program's words are in its three pictures, made per
// language by the build (Hungarian in the program's folder, English in en/ beside them).
// =============================================================================================

namespace detail {
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
}  // namespace detail

}  // namespace vexel
