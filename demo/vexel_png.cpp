// vexel: PNG files of our own writing (8-bit RGB, one deflate block of fixed codes with string
// matching), the same bytes on every platform, the page's included, with no library to port.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "vexel.hpp"

namespace vexel {

namespace {

std::uint32_t crc32(const std::string& data, std::size_t from) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = from; i < data.size(); ++i)
    c = table[(c ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void put32(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void chunk(std::string& out, const char* type, const std::string& data) {
  put32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out += type;
  out += data;
  put32(out, crc32(out, start));
}

// Bits into bytes, least significant first, as deflate packs them.
struct bit_writer {
  std::string out;
  std::uint32_t bits = 0;
  int count = 0;
  void put(std::uint32_t value, int n) {
    bits |= value << count;
    count += n;
    while (count >= 8) {
      out += static_cast<char>(bits & 0xFF);
      bits >>= 8;
      count -= 8;
    }
  }
  // A Huffman code, whose bits go most significant first.
  void code(std::uint32_t value, int n) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < n; ++i) reversed |= ((value >> i) & 1) << (n - 1 - i);
    put(reversed, n);
  }
  void flush() {
    if (count > 0) out += static_cast<char>(bits & 0xFF);
    bits = 0;
    count = 0;
  }
};

void literal(bit_writer& w, unsigned v) {
  if (v < 144)
    w.code(0x30 + v, 8);
  else if (v < 256)
    w.code(0x190 + v - 144, 9);
  else if (v < 280)
    w.code(v - 256, 7);
  else
    w.code(0xC0 + v - 280, 8);
}

constexpr std::uint16_t length_base[] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                         15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                         67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::uint8_t length_extra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                         2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint16_t distance_base[] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::uint8_t distance_extra[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                           6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

void match(bit_writer& w, unsigned length, unsigned distance) {
  int l = 28;
  while (length_base[l] > length) --l;
  literal(w, 257 + l);
  w.put(length - length_base[l], length_extra[l]);
  int d = 29;
  while (distance_base[d] > distance) --d;
  w.code(d, 5);
  w.put(distance - distance_base[d], distance_extra[d]);
}

// A zlib stream of the data: one final block of fixed codes, repeats found through a hash of
// three bytes and a short chain of earlier places.
std::string zlib(const std::string& data) {
  constexpr std::size_t window = 32768, max_length = 258, hash_size = 1 << 15;
  constexpr int chain_limit = 16;
  bit_writer w;
  w.out = std::string("\x78\x01", 2);
  w.put(1, 1);  // the final block
  w.put(1, 2);  // of fixed codes
  std::vector<std::int64_t> head(hash_size, -1), previous(data.size(), -1);
  const auto byte = [&data](std::size_t i) { return static_cast<unsigned char>(data[i]); };
  const auto hash = [&](std::size_t i) {
    return ((byte(i) << 10) ^ (byte(i + 1) << 5) ^ byte(i + 2)) & (hash_size - 1);
  };
  const auto remember = [&](std::size_t i) {
    if (i + 2 >= data.size()) return;
    const std::size_t h = hash(i);
    previous[i] = head[h];
    head[h] = static_cast<std::int64_t>(i);
  };
  std::size_t i = 0;
  while (i < data.size()) {
    std::size_t best = 0, best_distance = 0;
    if (i + 2 < data.size()) {
      std::int64_t candidate = head[hash(i)];
      for (int tries = 0; candidate >= 0 && tries < chain_limit; ++tries) {
        const auto at = static_cast<std::size_t>(candidate);
        if (i - at > window) break;
        std::size_t n = 0;
        while (n < max_length && i + n < data.size() && data[at + n] == data[i + n]) ++n;
        if (n > best) best = n, best_distance = i - at;
        if (n == max_length) break;
        candidate = previous[at];
      }
    }
    if (best >= 3) {
      match(w, static_cast<unsigned>(best), static_cast<unsigned>(best_distance));
      for (std::size_t k = 0; k < best; ++k) remember(i + k);
      i += best;
    } else {
      literal(w, byte(i));
      remember(i);
      ++i;
    }
  }
  literal(w, 256);
  w.flush();
  std::uint32_t a = 1, b = 0;
  for (std::size_t k = 0; k < data.size(); ++k) {
    a = (a + byte(k)) % 65521;
    b = (b + a) % 65521;
  }
  put32(w.out, b << 16 | a);
  return w.out;
}

}  // namespace

std::string detail::png_file(const std::uint16_t* pixels, int width, int rows) {
  std::string out("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  put32(header, static_cast<std::uint32_t>(width));
  put32(header, static_cast<std::uint32_t>(rows));
  header +=
      std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
  chunk(out, "IHDR", header);
  std::string raw;
  raw.reserve(static_cast<std::size_t>(rows) * (3 * static_cast<std::size_t>(width) + 1));
  for (int y = 0; y < rows; ++y) {
    raw += '\0';  // each row unfiltered
    for (int x = 0; x < width; ++x) {
      BYTE rgb[3];
      orla::detail::to_rgb8(pixels[static_cast<std::size_t>(y) * width + x], rgb);
      raw.append(reinterpret_cast<const char*>(rgb), 3);
    }
  }
  chunk(out, "IDAT", zlib(raw));
  chunk(out, "IEND", "");
  return out;
}

}  // namespace vexel
