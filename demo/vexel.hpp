// vexel: the demonstration's main unit: the scene of the figure, its geometry and constructions,
// the per-chapter style table, the buttons and the per-frame computation of the figure. Each
// section names the file that implements it; the helpers and test seams are in vexel_detail.hpp.
#pragma once

#include <cstdint>

#include "orla.hpp"
#include "orla_types.hpp"
#include "vexel_detail.hpp"

namespace vexel {

// =============================================================================================
// Scene model (vexel_scene.cpp): five tables of elements with fixed roles (vertices 1..3 are
// free, everything else is derived from them every frame).
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

// =============================================================================================
// Plane geometry (vexel_geometry.cpp): pure computations on REAL values, results through
// out-parameters. Exact comparisons throughout; intermediate arithmetic in extended precision.
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
// Screen copies and constructions (vexel_constructions.cpp). A construction fills its target
// from existing inputs, or only marks the target as not existing.
// =============================================================================================

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
// Construction table (vexel_table.cpp): per chapter (menu item 2..10), the style of every
// element.
// =============================================================================================

// The construction table's type: one row per chapter 2..10.
using MT_TYPE = checked_array<detail::mt_row, 2, 10>;

// The construction table.
extern MT_TYPE MT;
// The selected menu item, which is the chapter shown (2..10).
inline BYTE SARGAMENU = 2;

// Fills the construction table and marks the free vertices and the travelling point as existing.
void FILL_MT();

// =============================================================================================
// Control panel (vexel_buttons_table.cpp): the buttons' rectangles and hit tests.
// =============================================================================================

// The buttons by their role: exit; the menu items (chapters) 2..10; help; stop, start, automatic,
// pointer; the speed slider.
inline constexpr BYTE exit_button = 1, first_chapter = 2, last_chapter = 10, help_button = 11;
inline constexpr BYTE stop_button = 12, start_button = 13, automatic_button = 14;
inline constexpr BYTE pointer_button = 15, slider_button = 16, last_button = 16;
// The chapter of the pedal line: only there do the animation buttons and the slider act.
inline constexpr BYTE pedal_chapter = 9;

// The buttons; 1..16 are used.
extern checked_array<detail::button_record, 1, 20> GOMB;

// The pointer is inside the button's rectangle (borders included).
BOOLEAN GOMBONVAN(BYTE n);
// A fresh left press inside the button, or a key press that stands for it.
BOOLEAN GOMBKATTINT(BYTE n);
// The value is even.
BOOLEAN PAROS(WORD value);

// =============================================================================================
// Pointer (vexel_pointer.cpp): the left-button history, hover and dragging of the three
// vertices.
// =============================================================================================

// Left-button history: 1 is this pass, 2 the previous pass, ... 5.
inline checked_array<BOOLEAN, 1, 5> M_LTOMB{};

// Pushes the current left-button state into the history.
void EGERALLAPOTOK();
// The pointer lies within the point's disc (refreshes the point's screen copy first).
BOOLEAN PONTONVAN(BYTE p);
// Brightens the vertex under the pointer, being dragged or selected by key, for this frame.
void PONTVILAGOSIT();
// Starts, continues or ends the drag of a vertex.
void PONTMOZGAT();

// =============================================================================================
// Speed calibration (vexel_calibration.cpp).
// =============================================================================================

// Calibration count: loop passes in three seconds.
// 64 bits, so a machine fast enough to pass 2^31 counts cannot overflow it.
inline std::int64_t MP = 0;
// Speed change per step of the speed law, MP / 200000000.
inline REAL GYORSITAS = 0.0;
// Speed scale, MP / 2000000000.
inline REAL KIEGYENLITO = 0.0;

// Speed calibration: counts loop passes for three seconds of the tick counter at once (the
// program itself counts them in slices between the intro's frames).
void MP_KISZAMITAS();

// =============================================================================================
// Per-frame computation (vexel_compute.cpp).
// =============================================================================================

// The per-frame computation: slider, all constructions, travelling point, pedal line,
// parabolas, angle update (one step of the speed law) and the chapter's styles.
void SZAMOLASI_QELJARASOK();

// =============================================================================================
// Animation of the travelling point (vexel_animation.cpp).
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

// Advances the travelling point's angle (one step of the speed law, or the pointer direction).
void VEXEL_SZAMITASOK();

// =============================================================================================
// Frame buffers and program state (set up by vexel_frame.cpp).
// =============================================================================================

// The window title.
inline constexpr const char* APPLICATIONID = "VEXEL egyenes";
// Screen and frame size.
inline constexpr LONGINT WIDTH = 800;
inline constexpr LONGINT HEIGHT = 600;
// Rows of the scene layer: the figure's part of the frame, above the panel.
inline constexpr LONGINT scene_rows = 458;

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
// Element rendering and shadows into SPRITE01 (vexel_render.cpp).
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

// =============================================================================================
// Button highlights (vexel_buttons.cpp).
// =============================================================================================

// Draws button n's highlights into RESULT and takes a chapter selection.
void GOMBKIRAK(BYTE n);

// =============================================================================================
// Start-up, frame loop and release (vexel_frame.cpp).
// =============================================================================================

// Draws the figure into the scene layer, handles dragging, composes the frame, draws the buttons
// and tests the help button.
void ELEMEK_KIRAJZOLASA();
// The start-up sequence: tables, window, display, font, pictures, buffers (the calibration is
// counted during the intro).
void INIT_VEXEL();
// The release sequence: every window, the display, the leak check, the window side.
void MEMORIA_FELSZABADITAS();
// One pass of the frame loop (a normal frame or a help frame), presented.
void FRAME();
// The whole program: start-up, intro, frame loop, fade-out, release. Returns the exit code.
int VEXEL_MAIN();

// =============================================================================================
// Intro and fade-out (vexel_intro.cpp).
// =============================================================================================

// Busy-waits at least ms milliseconds of the tick counter.
void KESLELTET(WORD ms);
// The title picture circling on a white screen until a press or seven seconds.
void INTRO();
// Darkens the last frame to black in 32 steps.
void LAMPALE();

}  // namespace vexel
