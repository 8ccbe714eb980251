// orla_text: text in two fixed-pitch bitmap fonts (8 x 8 and 8 x 16) with a text cursor each.
#include "orla_text.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include "orla_2d.hpp"

namespace orla_text {

namespace {

std::array<orla::BYTE, detail::font_bytes> FONTVARIABLE{};
WORD TEXTSIZE = 1;
WORD XPOS1 = 0, YPOS1 = 0;
WORD XPOS2 = 0, YPOS2 = 0;

using orla_files::detail::failure;
using orla_files::detail::outcome;

// Takes a loaded font block: refuses it when too long, else copies it over the buffer's start.
outcome take_font(void*& block, LONGINT size, const std::string& name) {
  // changed: a font file longer than the buffer is refused instead of overrunning it
  if (size < 0 || static_cast<std::size_t>(size) > detail::font_bytes) {
    orla::FREEPTRSPEICHER(block);
    return failure{"FILE ERROR",
                   orla::detail::cut255("Following font file is longer than 3504 bytes : " + name)};
  }
  if (size > 0) std::memcpy(FONTVARIABLE.data(), block, static_cast<std::size_t>(size));
  orla::FREEPTRSPEICHER(block);
  return std::nullopt;
}

// One text line of either set: glyph rows from `first` on, `rows` bytes per glyph.
void draw_text(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, WORD r, WORD g, WORD b,
               const std::string& whole_text, bool tall, WORD& cursor_x, WORD& cursor_y) {
  // the library's strings hold at most 255 characters
  const std::string text = orla::detail::cut255(whole_text);
  const std::int64_t s = TEXTSIZE;
  const std::int64_t n = static_cast<std::int64_t>(text.size());
  cursor_y = static_cast<WORD>(y);
  cursor_x = static_cast<WORD>(std::int64_t{x} + n * 8 * s);
  if (s == 0) return;
  const int rows = tall ? 16 : 8;
  // only the part of each dot's square that lies in the window is visited
  const std::int64_t right = std::int64_t{vw.BREITEMINUS1}, bottom = std::int64_t{vw.HOEHEMINUS1};
  for (std::int64_t i = 0; i < n; ++i) {
    const int c = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
    std::size_t glyph = static_cast<std::size_t>(8 * c);
    if (tall) {
      // changed: a code past 122, whose rows would lie beyond the font buffer, draws an empty
      // cell instead; a code below 32 reads its rows before the set's start, still inside the
      // buffer (codes 0..31 take bytes 1536..2047)
      if (c > detail::tall_last) continue;
      glyph = static_cast<std::size_t>(static_cast<int>(detail::tall_set_offset) +
                                       16 * (c - detail::tall_first));
    }
    const std::int64_t cell_x = x + i * 8 * s;
    for (int row = 0; row < rows; ++row) {
      const orla::BYTE bits = FONTVARIABLE[glyph + static_cast<std::size_t>(row)];
      if (bits == 0) continue;
      const std::int64_t top = y + row * s;
      const std::int64_t y0 = std::max<std::int64_t>(top, 0);
      const std::int64_t y1 = std::min<std::int64_t>(top + s - 1, bottom);
      if (y0 > y1) continue;
      for (int col = 0; col < 8; ++col) {
        if ((bits & (0x80 >> col)) == 0) continue;
        const std::int64_t left = cell_x + col * s;
        const std::int64_t x0 = std::max<std::int64_t>(left, 0);
        const std::int64_t x1 = std::min<std::int64_t>(left + s - 1, right);
        for (std::int64_t py = y0; py <= y1; ++py)
          for (std::int64_t px = x0; px <= x1; ++px)
            orla_2d::PUTCLIPPEDPIXEL(vw, static_cast<LONGINT>(px), static_cast<LONGINT>(py), r, g,
                                     b);
      }
    }
  }
}

WORD darker(WORD component, int step) {
  return static_cast<WORD>(std::max(static_cast<int>(component) - step, 0));
}

// The outline colour: each component lowered, but not below 0.
void outline_colour(WORD r, WORD g, WORD b, WORD& dr, WORD& dg, WORD& db) {
  dr = darker(r, 10);
  dg = darker(g, 20);
  db = darker(b, 10);
}

constexpr int outline_offsets[4][2] = {{-1, 0}, {0, -1}, {1, 0}, {0, 1}};

}  // namespace

namespace detail {

outcome try_load_fonts(const std::string& name) {
  void* block = nullptr;
  LONGINT size = 0;
  if (auto f = orla_files::detail::try_file2mem(name, block, size)) return f;
  return take_font(block, size, name);
}

outcome try_bigload_fonts(const std::string& archive) {
  void* block = nullptr;
  LONGINT size = 0;
  if (auto f = orla_files::detail::try_bigfile2mem("Fonts.fnt", archive, block, size)) return f;
  return take_font(block, size, "Fonts.fnt");
}

}  // namespace detail

void LOAD_FONTS(const std::string& name) {
  if (auto f = detail::try_load_fonts(name)) orla_files::detail::fail(*f);
}

void BIGLOAD_FONTS(const std::string& archive) {
  if (auto f = detail::try_bigload_fonts(archive)) orla_files::detail::fail(*f);
}

void SETTEXTSIZE(WORD size) {
  TEXTSIZE = size;
}
WORD GETTEXTSIZE() {
  return TEXTSIZE;
}

void MOVETO1(WORD x, WORD y) {
  XPOS1 = x;
  YPOS1 = y;
}

void MOVETO2(WORD x, WORD y) {
  XPOS2 = x;
  YPOS2 = y;
}

WORD GETX1() {
  return XPOS1;
}
WORD GETY1() {
  return YPOS1;
}
WORD GETX2() {
  return XPOS2;
}
WORD GETY2() {
  return YPOS2;
}

void OUTTEXTXY(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, WORD r, WORD g, WORD b,
               const std::string& text) {
  draw_text(vw, x, y, r, g, b, text, false, XPOS1, YPOS1);
}

void OUTTEXTXY2(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, WORD r, WORD g, WORD b,
                const std::string& text) {
  draw_text(vw, x, y, r, g, b, text, true, XPOS2, YPOS2);
}

// kept: the cursors are WORDs, so text continued after a start left of or above the window
// continues from the wrapped position
void OUTTEXT(VIRTUALWINDOW& vw, WORD r, WORD g, WORD b, const std::string& text) {
  OUTTEXTXY(vw, XPOS1, YPOS1, r, g, b, text);
}

void OUTTEXT2(VIRTUALWINDOW& vw, WORD r, WORD g, WORD b, const std::string& text) {
  OUTTEXTXY2(vw, XPOS2, YPOS2, r, g, b, text);
}

void TEXTATXY(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, WORD r, WORD g, WORD b,
              const std::string& text) {
  WORD dr, dg, db;
  outline_colour(r, g, b, dr, dg, db);
  for (const auto& o : outline_offsets) OUTTEXTXY(vw, x + o[0], y + o[1], dr, dg, db, text);
  OUTTEXTXY(vw, x, y, r, g, b, text);
}

void TEXTATXY2(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, WORD r, WORD g, WORD b,
               const std::string& text) {
  WORD dr, dg, db;
  outline_colour(r, g, b, dr, dg, db);
  for (const auto& o : outline_offsets) OUTTEXTXY2(vw, x + o[0], y + o[1], dr, dg, db, text);
  OUTTEXTXY2(vw, x, y, r, g, b, text);
}

void TEXTAT(VIRTUALWINDOW& vw, WORD r, WORD g, WORD b, const std::string& text) {
  WORD dr, dg, db;
  outline_colour(r, g, b, dr, dg, db);
  const WORD cx = XPOS1, cy = YPOS1;
  for (const auto& o : outline_offsets) {
    MOVETO1(static_cast<WORD>(cx + o[0]), static_cast<WORD>(cy + o[1]));
    OUTTEXT(vw, dr, dg, db, text);
  }
  MOVETO1(cx, cy);
  OUTTEXT(vw, r, g, b, text);
}

void TEXTAT2(VIRTUALWINDOW& vw, WORD r, WORD g, WORD b, const std::string& text) {
  WORD dr, dg, db;
  outline_colour(r, g, b, dr, dg, db);
  const WORD cx = XPOS2, cy = YPOS2;
  for (const auto& o : outline_offsets) {
    MOVETO2(static_cast<WORD>(cx + o[0]), static_cast<WORD>(cy + o[1]));
    OUTTEXT2(vw, dr, dg, db, text);
  }
  MOVETO2(cx, cy);
  OUTTEXT2(vw, r, g, b, text);
}

}  // namespace orla_text
