// install tests: checks a captured frame of the example: the picture is in it pixel for pixel,
// and so is the caption, drawn from the font file's 8 x 16 glyphs at some scale in one colour.
// Reads the files itself, without the library, so that it checks what the library drew.
//
//   frame_check FRAME.vex PICTURE.vex FONT.fnt CAPTION
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

struct image {
  int width = 0, height = 0;
  std::vector<std::uint16_t> pixels;
  std::uint16_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

std::vector<unsigned char> read_bytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// a sprite file: the pixels, then width and height as little-endian 16-bit values
std::optional<image> read_sprite(const char* path) {
  const auto bytes = read_bytes(path);
  const std::size_t n = bytes.size();
  if (n < 4) return std::nullopt;
  image im;
  im.width = bytes[n - 4] | (bytes[n - 3] << 8);
  im.height = bytes[n - 2] | (bytes[n - 1] << 8);
  if (n != static_cast<std::size_t>(im.width) * im.height * 2 + 4) return std::nullopt;
  for (std::size_t i = 0; i + 4 < n; i += 2)
    im.pixels.push_back(static_cast<std::uint16_t>(bytes[i] | (bytes[i + 1] << 8)));
  return im;
}

bool picture_at(const image& frame, const image& picture, int x, int y) {
  for (int j = 0; j < picture.height; ++j)
    for (int i = 0; i < picture.width; ++i)
      if (frame.at(x + i, y + j) != picture.at(i, j)) return false;
  return true;
}

// the caption's dots: the tall set holds codes 32..122, 16 bytes a glyph from byte 2048 on,
// the leftmost dot in the top bit
std::vector<std::vector<bool>> caption_dots(const std::vector<unsigned char>& font,
                                            const std::string& caption) {
  std::vector<std::vector<bool>> dots(16, std::vector<bool>(caption.size() * 8, false));
  for (std::size_t i = 0; i < caption.size(); ++i) {
    const int c = static_cast<unsigned char>(caption[i]);
    if (c < 32 || c > 122) continue;
    for (int row = 0; row < 16; ++row) {
      const unsigned char bits = font[2048 + static_cast<std::size_t>(16 * (c - 32) + row)];
      for (int col = 0; col < 8; ++col) dots[row][i * 8 + col] = (bits & (0x80 >> col)) != 0;
    }
  }
  return dots;
}

// the caption at (x, y), each dot an s x s square: every dot in one colour, no other pixel of its
// box in that colour
bool caption_at(const image& frame, const std::vector<std::vector<bool>>& dots, int s, int x, int y,
                int first_row, int first_col) {
  const std::uint16_t ink = frame.at(x + first_col * s, y + first_row * s);
  const int w = static_cast<int>(dots[0].size());
  for (int row = 0; row < 16; ++row)
    for (int col = 0; col < w; ++col)
      for (int j = 0; j < s; ++j)
        for (int i = 0; i < s; ++i)
          if ((frame.at(x + col * s + i, y + row * s + j) == ink) != dots[row][col]) return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: frame_check FRAME.vex PICTURE.vex FONT.fnt CAPTION\n");
    return 2;
  }
  const auto frame = read_sprite(argv[1]);
  const auto picture = read_sprite(argv[2]);
  const auto font = read_bytes(argv[3]);
  const std::string caption = argv[4];
  if (!frame || !picture) {
    std::fprintf(stderr, "frame_check: %s is not a sprite file\n", frame ? argv[2] : argv[1]);
    return 1;
  }
  if (font.size() != 3504) {
    std::fprintf(stderr, "frame_check: %s is not a font file\n", argv[3]);
    return 1;
  }

  bool picture_found = false;
  for (int y = 0; y + picture->height <= frame->height && !picture_found; ++y)
    for (int x = 0; x + picture->width <= frame->width && !picture_found; ++x)
      if (picture_at(*frame, *picture, x, y)) {
        std::printf("picture at %d,%d\n", x, y);
        picture_found = true;
      }
  if (!picture_found) std::fprintf(stderr, "frame_check: the picture is not in the frame\n");

  const auto dots = caption_dots(font, caption);
  int first_row = -1, first_col = -1;
  for (int row = 0; row < 16 && first_row < 0; ++row)
    for (int col = 0; col < static_cast<int>(dots[0].size()) && first_row < 0; ++col)
      if (dots[row][col]) first_row = row, first_col = col;
  bool caption_found = false;
  if (first_row < 0) {
    std::fprintf(stderr, "frame_check: the caption has no visible dot\n");
  } else {
    const int w = static_cast<int>(dots[0].size());
    for (int s = 1; s <= 4 && !caption_found; ++s)
      for (int y = 0; y + 16 * s <= frame->height && !caption_found; ++y)
        for (int x = 0; x + w * s <= frame->width && !caption_found; ++x)
          if (caption_at(*frame, dots, s, x, y, first_row, first_col)) {
            std::printf("caption at %d,%d, scale %d\n", x, y, s);
            caption_found = true;
          }
    if (!caption_found)
      std::fprintf(stderr, "frame_check: the caption \"%s\" is not in the frame\n",
                   caption.c_str());
  }
  return picture_found && caption_found ? 0 : 1;
}
