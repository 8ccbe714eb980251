// orla_sprites: the sprite blits (copy, BRIGHT, MIXED, TRANS, ALPHA; clipped, keyed, GET), the
// whole-sprite transforms (brightness, fades, scaling, copy, 180-degree turn, rotate-and-scale)
// and the sprite files (the raw sprite file, 24-bit PCX import). Each section names its file.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>

#include "orla.hpp"
#include "orla_files.hpp"
#include "orla_types.hpp"

namespace orla_sprites {

using orla::BYTE;
using orla::LONGINT;
using orla::SHORTINT;
using orla::VIRTUALWINDOW;
using orla::WORD;

namespace detail {
// Points the row shape of the rotating scaler can hold.
inline constexpr int line_position_points = 1000;
}  // namespace detail

// The shape of one rotated row: (x offset, y offset) pairs from the row's first point.
inline LONGINT LINEPOSITION[2 * detail::line_position_points];

// Every routine below clips against both buffers, so no call reads or writes outside a window.
// When the sprite and the target share memory, the result is as if the sprite (or the window
// read by a GET routine) had been read completely before anything was written.

// ==== blits (orla_sprites_blit.cpp) =============================================================

// ---- plain copies -------------------------------------------------------------------------------
// Copies the sprite into the target with its top-left pixel at (x, y).
void PUTSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y);
// Copies the visible part of the sprite at any position.
void PUTCLIPPEDSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y);
// Copies the sprite, leaving the target alone where the sprite pixel equals the key.
void PUTHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                 WORD key);
// Keyed copy of the visible part.
void PUTCLIPPEDHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                        WORD key);

// ---- reading a rectangle of a window back into a sprite -----------------------------------------
// Sprite pixel (i, j) := window pixel (x + i, y + j).
void GETSPRITE(const VIRTUALWINDOW& window, VIRTUALWINDOW& sprite, LONGINT x, LONGINT y);
// The same for any position; sprite pixels outside the window keep their values.
void GETCLIPPEDSPRITE(const VIRTUALWINDOW& window, VIRTUALWINDOW& sprite, LONGINT x, LONGINT y);
// Reads the window, keeping the sprite pixel where the window shows the key.
void GETHCSPRITE(const VIRTUALWINDOW& window, VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                 WORD key);
// Keyed read at any position.
void GETCLIPPEDHCSPRITE(const VIRTUALWINDOW& window, VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                        WORD key);

// ---- BRIGHT: T := min(max, T + max(0, S - d)) per channel ---------------------------------------
void PUTBRIGHTSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                     SHORTINT dr, SHORTINT dg, SHORTINT db);
void PUTBRIGHTCLIPPEDSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x,
                            LONGINT y, SHORTINT dr, SHORTINT dg, SHORTINT db);
void PUTBRIGHTHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                       SHORTINT dr, SHORTINT dg, SHORTINT db, WORD key);
void PUTBRIGHTCLIPPEDHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x,
                              LONGINT y, SHORTINT dr, SHORTINT dg, SHORTINT db, WORD key);

// ---- MIXED: T := (T + S) div 2 per channel ------------------------------------------------------
void PUTMIXEDSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y);
void PUTMIXEDCLIPPEDSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x,
                           LONGINT y);
void PUTMIXEDHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                      WORD key);
void PUTMIXEDCLIPPEDHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x,
                             LONGINT y, WORD key);

// ---- TRANS: T := min(max, max(0, T - d) + S) per channel ----------------------------------------
void PUTTRANSSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                    BYTE dr, BYTE dg, BYTE db);
void PUTTRANSCLIPPEDSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                           BYTE dr, BYTE dg, BYTE db);
void PUTTRANSHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                      BYTE dr, BYTE dg, BYTE db, WORD key);
void PUTTRANSCLIPPEDHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x,
                             LONGINT y, BYTE dr, BYTE dg, BYTE db, WORD key);

// ---- ALPHA: T := min(max, T + S) per channel ----------------------------------------------------
void PUTALPHASPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y);
void PUTALPHACLIPPEDSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x,
                           LONGINT y);
void PUTALPHAHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x, LONGINT y,
                      WORD key);
void PUTALPHACLIPPEDHCSPRITE(VIRTUALWINDOW& target, const VIRTUALWINDOW& sprite, LONGINT x,
                             LONGINT y, WORD key);

// ==== whole-sprite transforms (orla_sprites_transform.cpp) =======================================

// ---- brightness in place (the buffer as a flat run of SIZE / 2 pixels) --------------------------
// C := clamp(C + d, 0, max) per channel.
void ADJUSTSPRITEBRIGHTNESS(VIRTUALWINDOW& sprite, SHORTINT dr, SHORTINT dg, SHORTINT db);
// The same, pixels equal to the key untouched.
void ADJUSTSPRITEHCBRIGHTNESS(VIRTUALWINDOW& sprite, SHORTINT dr, SHORTINT dg, SHORTINT db,
                              WORD key);
// C := min(C + d, max) per channel.
void INCREASESPRITEBRIGHTNESS(VIRTUALWINDOW& sprite, BYTE dr, BYTE dg, BYTE db);
void INCREASESPRITEHCBRIGHTNESS(VIRTUALWINDOW& sprite, BYTE dr, BYTE dg, BYTE db, WORD key);
// C := max(C - d, 0) per channel.
void DECREASESPRITEBRIGHTNESS(VIRTUALWINDOW& sprite, BYTE dr, BYTE dg, BYTE db);
void DECREASESPRITEHCBRIGHTNESS(VIRTUALWINDOW& sprite, BYTE dr, BYTE dg, BYTE db, WORD key);

// ---- fades --------------------------------------------------------------------------------------
// One step of changed towards goal: red and blue by 1, green by 2, never past the goal.
void FADESPRITE(VIRTUALWINDOW& changed, const VIRTUALWINDOW& goal);
// One step with the given per-channel step sizes, never past the goal.
void FADESPRITEVAR(VIRTUALWINDOW& changed, const VIRTUALWINDOW& goal, BYTE sr, BYTE sg, BYTE sb);

// ---- whole-sprite copies and geometry -----------------------------------------------------------
// ------------------------------------------------------------ Nearest-neighbour resampling of the
// source onto the whole destination (16-bit fractions).
void SCALESPRITE(const VIRTUALWINDOW& source, VIRTUALWINDOW& destination);
// Copies the source's pixel bytes into the destination's buffer; the record is not changed.
void COPYSPRITE(const VIRTUALWINDOW& source, VIRTUALWINDOW& destination);
// Destination (x, y) := source (W - 1 - x, H - 1 - y).
void ROTATE_SPRITE180(const VIRTUALWINDOW& source, VIRTUALWINDOW& destination);
// Draws the source scaled to a side x side square, turned by angle degrees (counter-clockwise on
// the screen) about (x, y); spare has no effect.
void ROTATE_SCALE_SPRITE(const VIRTUALWINDOW& source, VIRTUALWINDOW& destination, LONGINT x,
                         LONGINT y, LONGINT side, LONGINT spare, LONGINT angle);
// The same, source pixels equal to the key not drawn.
void ROTATE_SCALE_SPRITEHC(const VIRTUALWINDOW& source, VIRTUALWINDOW& destination, LONGINT x,
                           LONGINT y, LONGINT side, LONGINT spare, LONGINT angle, WORD key);

// ==== helpers shared by the blits and the transforms ============================================
namespace detail {
// The part of a window the routines may touch: whole rows that lie inside its SIZE bytes.
struct pixel_rows {
  WORD* data = nullptr;
  LONGINT width = 0;
  LONGINT height = 0;
};
// Usable rows of a window; empty without a buffer or with a width or height below 1.
pixel_rows rows_of(const VIRTUALWINDOW& vw);
// Pixels of the window's buffer taken as a flat run (SIZE div 2); 0 without a buffer.
std::size_t flat_pixels(const VIRTUALWINDOW& vw);
// True when the two runs of pixels share memory.
bool runs_overlap(const WORD* a, std::size_t a_count, const WORD* b, std::size_t b_count);

// The rules work on red shifted down to 0..31, and on green and blue where they lie in the
// pixel (green as 0..63 times 32): the sums of two green fields still fit in 16 bits, so green
// and blue need no shifts at all. Every step stays exact integer arithmetic per channel.
using orla::detail::blue_of;
using orla::detail::red_of;
constexpr WORD green_field(WORD p) {
  return static_cast<WORD>(p & 0x07E0);
}
constexpr WORD join(WORD r, WORD g_field, WORD b) {
  return static_cast<WORD>((r << 11) | g_field | b);
}
inline constexpr WORD red_max = 31, green_field_max = 0x07E0, blue_max = 31;
// Unsigned 16-bit minimum, maximum and subtraction floored at zero, written the way each build
// of the loops compiles best: AVX2 has unsigned vector minimum and maximum; the x86-64 baseline
// lacks the minimum, which the saturating subtraction gives in two steps.
struct wide_ops {
  static WORD min(WORD a, WORD b) { return a < b ? a : b; }
  static WORD max(WORD a, WORD b) { return a > b ? a : b; }
  static WORD minus(WORD a, WORD b) { return static_cast<WORD>(max(a, b) - b); }
};
struct baseline_ops {
  static WORD max(WORD a, WORD b) { return a > b ? a : b; }
  static WORD minus(WORD a, WORD b) { return static_cast<WORD>(max(a, b) - b); }
  static WORD min(WORD a, WORD b) {
    return static_cast<WORD>(a - (a > b ? static_cast<WORD>(a - b) : WORD{0}));
  }
};

// A delta beyond the channel's range acts like the range's end: every channel value is
// already within 0..max, so the clamps of the rules give the same result.
constexpr WORD limit(int d, int max) {
  return static_cast<WORD>(std::clamp(d, 0, max));
}

// Signed channel deltas as the rules use them: the non-negative part and the magnitude of the
// negative part of each, limited to the channel's range (green where it lies in the pixel).
struct channel_deltas {
  WORD r_pos = 0, g_pos = 0, b_pos = 0;
  WORD r_neg = 0, g_neg = 0, b_neg = 0;
  bool none() const { return (r_pos | g_pos | b_pos | r_neg | g_neg | b_neg) == 0; }
};

constexpr channel_deltas split_deltas(int dr, int dg, int db) {
  channel_deltas d;
  d.r_pos = limit(dr, 31);
  d.g_pos = static_cast<WORD>(limit(dg, 63) << 5);
  d.b_pos = limit(db, 31);
  d.r_neg = limit(-dr, 31);
  d.g_neg = static_cast<WORD>(limit(-dg, 63) << 5);
  d.b_neg = limit(-db, 31);
  return d;
}

// The pixel loops are built twice: for AVX2 and for the x86-64 baseline. The widest build the
// processor runs is taken at start; tests select each in turn to hold both to the same rules.
enum class loop_build { widest, baseline };
void select_loop_build(loop_build build);
// True while the AVX2 build of the loops runs.
bool wide_loops();

#if defined(__x86_64__) || defined(__i386__)
template <class Loop, class... Args>
[[gnu::target("avx2")]] void run_wide(Args... args) {
  Loop::template run<wide_ops>(args...);
}
#endif
template <class Loop, class... Args>
void run_baseline(Args... args) {
  Loop::template run<baseline_ops>(args...);
}
// Runs Loop::run<Ops> (an always-inline loop) in the selected build.
template <class Loop, class... Args>
void run_loop(Args... args) {
#if defined(__x86_64__) || defined(__i386__)
  if (wide_loops()) return run_wide<Loop>(args...);
#endif
  run_baseline<Loop>(args...);
}
}  // namespace detail

// ==== sprite files: loading, saving, PCX import (orla_sprites_files.cpp) ========================

// The block of the most recent sprite or PCX load (nil after a PCX load).
inline void* MEMORY = nullptr;

// Loads a sprite file from disk (archive empty) or from an archive member. Fatal on failure.
void LOAD_SPRITE(const std::string& name, const std::string& archive, VIRTUALWINDOW& sprite);
// Writes the sprite to a loose file, asking before an existing file is replaced.
void SAVE_SPRITE(const std::string& name, VIRTUALWINDOW& sprite);
// Imports a run-length encoded 24-bit PCX image from disk or from an archive. Fatal on failure.
void LOAD_PCX(const std::string& name, const std::string& archive, VIRTUALWINDOW& sprite);

namespace detail {

using orla_files::detail::failure;
using orla_files::detail::outcome;

// Length of the PCX header in front of the image data.
inline constexpr std::size_t pcx_header_length = 128;

// Whether a sprite of the trailer's dimensions fits a block of the given size.
bool sprite_fits(LONGINT block_bytes, LONGINT trailer);

// The loads without the ending: on failure the record is left as it was and nothing stays
// allocated; on success it holds the picture exactly as the public routine leaves it.
outcome try_load_sprite(const std::string& name, const std::string& archive, VIRTUALWINDOW& sprite);
outcome try_load_pcx(const std::string& name, const std::string& archive, VIRTUALWINDOW& sprite);

// Checks and decodes a whole PCX file held in memory into a new picture; name is only used in
// the messages.
outcome decode_pcx(const BYTE* file, std::size_t size, const std::string& name,
                   VIRTUALWINDOW& sprite);

// Whether the record holds a buffer its dimensions describe, each dimension 1..65535.
bool sprite_savable(const VIRTUALWINDOW& sprite);
// Writes the sprite file (through a link, to its target) by a temporary file renamed into place
// with the old file's permission bits, or in place when the folder takes no new file; false
// when the file cannot be written (by the temporary file, an existing file is then untouched).
bool write_sprite_file(const std::string& name, const VIRTUALWINDOW& sprite);

}  // namespace detail

}  // namespace orla_sprites
