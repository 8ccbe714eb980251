// orla_text: text in two fixed-pitch bitmap fonts (8 x 8 and 8 x 16) with a text cursor each.
#pragma once

#include <cstddef>
#include <string>

#include "orla.hpp"
#include "orla_files.hpp"

namespace orla_text {

using orla::LONGINT;
using orla::VIRTUALWINDOW;
using orla::WORD;

// Loads the font file from disk. Fatal on failure.
void LOAD_FONTS(const std::string& name);
// Loads the member "Fonts.fnt" of an archive. Fatal on failure.
void BIGLOAD_FONTS(const std::string& archive);

// Scale factor: each glyph dot becomes a square of size x size pixels.
void SETTEXTSIZE(WORD size);
WORD GETTEXTSIZE();
// Sets the text cursor of the 8 x 8 set (1) or of the 8 x 16 set (2).
void MOVETO1(WORD x, WORD y);
void MOVETO2(WORD x, WORD y);
// Reads the text cursors.
WORD GETX1();
WORD GETY1();
WORD GETX2();
WORD GETY2();

// 8 x 8 text with its top-left corner at (x, y); the cursor moves to just after it.
void OUTTEXTXY(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, WORD r, WORD g, WORD b,
               const std::string& text);
// 8 x 8 text at the cursor of set 1.
void OUTTEXT(VIRTUALWINDOW& vw, WORD r, WORD g, WORD b, const std::string& text);
// 8 x 16 text with its top-left corner at (x, y); the cursor moves to just after it.
void OUTTEXTXY2(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, WORD r, WORD g, WORD b,
                const std::string& text);
// 8 x 16 text at the cursor of set 2.
void OUTTEXT2(VIRTUALWINDOW& vw, WORD r, WORD g, WORD b, const std::string& text);
// 8 x 8 text with a darker one-pixel outline, at (x, y) or at the cursor of set 1.
void TEXTATXY(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, WORD r, WORD g, WORD b,
              const std::string& text);
void TEXTAT(VIRTUALWINDOW& vw, WORD r, WORD g, WORD b, const std::string& text);
// 8 x 16 text with a darker one-pixel outline, at (x, y) or at the cursor of set 2.
void TEXTATXY2(VIRTUALWINDOW& vw, LONGINT x, LONGINT y, WORD r, WORD g, WORD b,
               const std::string& text);
void TEXTAT2(VIRTUALWINDOW& vw, WORD r, WORD g, WORD b, const std::string& text);

namespace detail {

// Bytes of the font buffer: 256 glyphs of 8 bytes, then 91 glyphs of 16 bytes (codes 32..122).
inline constexpr std::size_t font_bytes = 3504;
inline constexpr std::size_t tall_set_offset = 2048;
inline constexpr int tall_first = 32;
inline constexpr int tall_last = 122;

// The font loads without the ending: on failure the font buffer is unchanged.
orla_files::detail::outcome try_load_fonts(const std::string& name);
orla_files::detail::outcome try_bigload_fonts(const std::string& archive);

}  // namespace detail

}  // namespace orla_text
