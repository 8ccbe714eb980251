// orla_fontconv: makes the font file of the text unit from two console fonts (PSF, optionally
// gzip-compressed): an 8 x 8 font for the small set and an 8 x 16 font for the tall set.
#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr const char* usage =
    "usage: orla_fontconv SMALL.psf[.gz] TALL.psf[.gz] OUT.fnt\n"
    "\n"
    "Makes a font file for the orla text unit from two console fonts in PSF format (version 1\n"
    "or 2, gzip-compressed or not), each glyph 8 pixels wide and with a Unicode table:\n"
    "  SMALL  an 8 x 8 font; codes 0..255 of the small set, the upper half in the Latin-2\n"
    "         code page (ISO-8859-2), so Hungarian text can be written\n"
    "  TALL   an 8 x 16 font; codes 32..122 of the tall set (ASCII)\n"
    "The result has 3504 bytes. Exit codes: 0 done, 1 a font is missing or lacks a glyph,\n"
    "2 wrong arguments.\n";

struct failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A console font: glyph rows (one byte per row) and the code points each glyph shows.
struct console_font {
  int height = 0;
  std::vector<std::vector<std::uint8_t>> glyphs;
  std::map<char32_t, std::size_t> glyph_of;
};

std::vector<std::uint8_t> read_all(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    throw failure(path + ": no such font file (Debian package console-setup-linux)");
  gzFile in = gzopen(path.c_str(), "rb");
  if (in == nullptr) throw failure(path + ": cannot be opened");
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[65536];
  int got = 0;
  while ((got = gzread(in, chunk, sizeof chunk)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  const bool bad = got < 0;
  gzclose(in);
  if (bad) throw failure(path + ": cannot be read (damaged compressed data)");
  return bytes;
}

std::uint32_t le32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Decodes one UTF-8 sequence at p (PSF2 tables); advances p.
char32_t utf8_next(const std::vector<std::uint8_t>& b, std::size_t& p) {
  const std::uint8_t c = b[p++];
  int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
  if (extra < 0) return 0xFFFD;
  char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
  for (int i = 0; i < extra && p < b.size(); ++i) cp = cp << 6 | (b[p++] & 0x3F);
  return cp;
}

console_font parse_psf(const std::string& path) {
  const std::vector<std::uint8_t> b = read_all(path);
  console_font font;
  std::size_t count = 0, charsize = 0, data = 0, table = 0;
  bool has_table = false, psf2 = false;
  if (b.size() >= 4 && b[0] == 0x36 && b[1] == 0x04) {
    count = (b[2] & 1) ? 512 : 256;
    charsize = b[3];
    font.height = b[3];
    data = 4;
    has_table = (b[2] & 0x06) != 0;
  } else if (b.size() >= 32 && b[0] == 0x72 && b[1] == 0xB5 && b[2] == 0x4A && b[3] == 0x86) {
    psf2 = true;
    data = le32(&b[8]);
    has_table = (le32(&b[12]) & 1) != 0;
    count = le32(&b[16]);
    charsize = le32(&b[20]);
    font.height = static_cast<int>(le32(&b[24]));
    if (le32(&b[28]) != 8) throw failure(path + ": glyphs are not 8 pixels wide");
  } else {
    throw failure(path + ": not a PSF console font");
  }
  if (charsize != static_cast<std::size_t>(font.height) || count == 0)
    throw failure(path + ": glyphs are not 8 pixels wide");
  table = data + count * charsize;
  if (table > b.size()) throw failure(path + ": font data is cut short");
  if (!has_table) throw failure(path + ": the font has no Unicode table");
  for (std::size_t g = 0; g < count; ++g)
    font.glyphs.emplace_back(b.begin() + static_cast<long>(data + g * charsize),
                             b.begin() + static_cast<long>(data + (g + 1) * charsize));
  std::size_t p = table;
  for (std::size_t g = 0; g < count && p < b.size(); ++g) {
    bool in_sequence = false;
    while (p < b.size()) {
      char32_t cp = 0;
      if (psf2) {
        if (b[p] == 0xFF) {
          ++p;
          break;
        }
        if (b[p] == 0xFE) {
          ++p;
          in_sequence = true;
          continue;
        }
        cp = utf8_next(b, p);
      } else {
        if (p + 1 >= b.size()) {
          p = b.size();
          break;
        }
        cp = static_cast<char32_t>(b[p] | b[p + 1] << 8);
        p += 2;
        if (cp == 0xFFFF) break;
        if (cp == 0xFFFE) {
          in_sequence = true;
          continue;
        }
      }
      // a single code point maps to its glyph; combining sequences are not used here
      if (!in_sequence) font.glyph_of.emplace(cp, g);
    }
  }
  return font;
}

// ISO-8859-2 (Latin-2), codes 0xA0..0xFF.
constexpr std::array<char32_t, 96> latin2_upper = {
    0x00A0, 0x0104, 0x02D8, 0x0141, 0x00A4, 0x013D, 0x015A, 0x00A7, 0x00A8, 0x0160, 0x015E, 0x0164,
    0x0179, 0x00AD, 0x017D, 0x017B, 0x00B0, 0x0105, 0x02DB, 0x0142, 0x00B4, 0x013E, 0x015B, 0x02C7,
    0x00B8, 0x0161, 0x015F, 0x0165, 0x017A, 0x02DD, 0x017E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102,
    0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170,
    0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3,
    0x00F4, 0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9};

// The picture symbols that codes 1..31 and 127 traditionally show on a PC screen.
constexpr std::array<char32_t, 32> control_pictures = {
    0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, 0x25D8, 0x25CB, 0x25D9,
    0x2642, 0x2640, 0x266A, 0x266B, 0x263C, 0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7,
    0x25AC, 0x21A8, 0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC};

// The code point a code of the small set shows, and whether the font must have it.
std::pair<char32_t, bool> small_set_code_point(int code) {
  if (code < 32) return {control_pictures[static_cast<std::size_t>(code)], false};
  if (code < 127) return {static_cast<char32_t>(code), true};
  if (code == 127) return {0x2302, false};
  if (code < 0xA0) return {0, false};
  return {latin2_upper[static_cast<std::size_t>(code - 0xA0)], true};
}

std::string describe(char32_t cp) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(cp));
  return text;
}

// The glyph rows of a code point: its own glyph, or for the no-break and the soft hyphen the
// space and the hyphen.
const std::vector<std::uint8_t>* find_glyph(const console_font& font, char32_t cp) {
  auto it = font.glyph_of.find(cp);
  if (it == font.glyph_of.end() && cp == 0x00A0) it = font.glyph_of.find(0x0020);
  if (it == font.glyph_of.end() && cp == 0x00AD) it = font.glyph_of.find(0x002D);
  return it == font.glyph_of.end() ? nullptr : &font.glyphs[it->second];
}

std::vector<std::uint8_t> make_font_file(const console_font& small, const console_font& tall,
                                         const std::string& small_path,
                                         const std::string& tall_path) {
  if (small.height != 8) throw failure(small_path + ": glyphs are not 8 pixels high");
  if (tall.height != 16) throw failure(tall_path + ": glyphs are not 16 pixels high");
  std::vector<std::uint8_t> out(3504, 0);
  for (int code = 0; code < 256; ++code) {
    const auto [cp, required] = small_set_code_point(code);
    if (cp == 0) continue;
    const auto* glyph = find_glyph(small, cp);
    if (glyph == nullptr) {
      if (required) throw failure(small_path + ": no glyph for " + describe(cp));
      continue;
    }
    std::copy(glyph->begin(), glyph->end(), out.begin() + 8 * code);
  }
  for (int code = 32; code <= 122; ++code) {
    const auto* glyph = find_glyph(tall, static_cast<char32_t>(code));
    if (glyph == nullptr) throw failure(tall_path + ": no glyph for " + describe(code));
    std::copy(glyph->begin(), glyph->end(), out.begin() + 2048 + 16 * (code - 32));
  }
  return out;
}

void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const std::string temp = path + ".tmp";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) throw failure(path + ": cannot be written");
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok) {
    std::remove(temp.c_str());
    throw failure(path + ": cannot be written");
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::remove(temp.c_str());
    throw failure(path + ": cannot be written (" + ec.message() + ")");
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(usage, stdout);
    return 0;
  }
  if (args.size() != 3) {
    std::fputs(usage, stderr);
    return 2;
  }
  try {
    const console_font small = parse_psf(args[0]);
    const console_font tall = parse_psf(args[1]);
    write_file(args[2], make_font_file(small, tall, args[0], args[1]));
  } catch (const failure& e) {
    std::fprintf(stderr, "orla_fontconv: %s\n", e.what());
    return 1;
  }
  return 0;
}
