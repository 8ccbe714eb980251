// orla_imgconv: converts PNG or PCX pictures into the sprite file format, and sprite files back
// into PNG.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "orla.hpp"
#include "orla_sprites.hpp"

namespace {

constexpr const char* usage =
    "usage: orla_imgconv to-sprite IN.png|IN.pcx OUT.vex\n"
    "       orla_imgconv to-png IN.vex OUT.png\n"
    "\n"
    "to-sprite  reads a PNG (any colour type and depth; transparent parts become black) or a\n"
    "           run-length encoded 24-bit PCX and writes a sprite file (RGB 5-6-5). Each\n"
    "           channel keeps its top bits, so a PNG written by to-png converts back exactly.\n"
    "to-png     reads a sprite file and writes an 8-bit RGB PNG; each channel is widened by\n"
    "           repeating its top bits.\n"
    "An existing output file is replaced. Exit codes: 0 done, 1 the input cannot be read or the\n"
    "output cannot be written, 2 wrong arguments.\n";

// Prints a refusal; the texts of the loaders have carriage returns between their lines.
int refuse(const std::string& caption, const std::string& text) {
  std::string shown = text;
  for (char& c : shown)
    if (c == '\r') c = '\n';
  std::fprintf(stderr, "orla_imgconv: %s: %s\n", caption.c_str(), shown.c_str());
  return 1;
}

bool is_png(const std::string& path) {
  unsigned char head[8] = {};
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  const std::size_t got = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  return got == sizeof head && png_sig_cmp(head, 0, sizeof head) == 0;
}

// PNG -> picture: 8-bit RGBA, composited onto black, each channel truncated to 5-6-5.
int png_to_picture(const std::string& in, orla::VIRTUALWINDOW& picture) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, in.c_str()))
    return refuse("PNG ERROR", in + ": " + image.message);
  if (image.width == 0 || image.height == 0 || image.width > 0xFFFF || image.height > 0xFFFF ||
      std::uint64_t{image.width} * image.height * 2 > 0x7FFFFFFF) {
    png_image_free(&image);
    return refuse("PNG ERROR", in + ": a sprite holds at most 65535 x 65535 pixels and 2 GB");
  }
  image.format = PNG_FORMAT_RGBA;
  std::vector<png_byte> rgba(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr))
    return refuse("PNG ERROR", in + ": " + image.message);
  orla::INIT_VW(picture, static_cast<orla::LONGINT>(image.width),
                static_cast<orla::LONGINT>(image.height), false);
  const std::size_t pixels = std::size_t{image.width} * image.height;
  for (std::size_t i = 0; i < pixels; ++i) {
    const png_byte* p = &rgba[4 * i];
    const unsigned a = p[3];
    // a transparent part shows the black that the blits treat as see-through
    const auto over_black = [a](unsigned c) { return (c * a + 127) / 255; };
    picture.DATA[i] = orla::PACK(static_cast<orla::WORD>(over_black(p[0]) >> 3),
                                 static_cast<orla::WORD>(over_black(p[1]) >> 2),
                                 static_cast<orla::WORD>(over_black(p[2]) >> 3));
  }
  return 0;
}

int to_sprite(const std::string& in, const std::string& out) {
  orla::VIRTUALWINDOW picture;
  if (is_png(in)) {
    if (const int e = png_to_picture(in, picture); e != 0) return e;
  } else if (auto f = orla_sprites::detail::try_load_pcx(in, "", picture)) {
    return refuse(f->caption, f->text);
  }
  const bool ok = orla_sprites::detail::write_sprite_file(out, picture);
  orla::KILL_VW(picture);
  if (!ok) return refuse("I/O ERROR", out + ": cannot be written");
  return 0;
}

int to_png(const std::string& in, const std::string& out) {
  orla::VIRTUALWINDOW sprite;
  if (auto f = orla_sprites::detail::try_load_sprite(in, "", sprite))
    return refuse(f->caption, f->text);
  const std::size_t pixels = std::size_t(sprite.BREITE) * std::size_t(sprite.HOEHE);
  std::vector<png_byte> rgb(3 * pixels);
  for (std::size_t i = 0; i < pixels; ++i) {
    orla::detail::to_rgb8(sprite.DATA[i], &rgb[3 * i]);
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(sprite.BREITE);
  image.height = static_cast<png_uint_32>(sprite.HOEHE);
  image.format = PNG_FORMAT_RGB;
  orla::KILL_VW(sprite);
  // written beside the target and renamed into place, so a failed write leaves no half file
  const std::string temp = out + ".tmp";
  if (!png_image_write_to_file(&image, temp.c_str(), 0, rgb.data(), 0, nullptr)) {
    std::remove(temp.c_str());
    return refuse("I/O ERROR", out + ": " + image.message);
  }
  std::error_code ec;
  std::filesystem::rename(temp, out, ec);
  if (ec) {
    std::remove(temp.c_str());
    return refuse("I/O ERROR", out + ": cannot be written (" + ec.message() + ")");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(usage, stdout);
    return 0;
  }
  if (args.size() == 3 && args[0] == "to-sprite") return to_sprite(args[1], args[2]);
  if (args.size() == 3 && args[0] == "to-png") return to_png(args[1], args[2]);
  std::fputs(usage, stderr);
  return 2;
}
