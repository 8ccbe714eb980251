// orla_sprites (sprite files): reads and writes the raw sprite file and imports 24-bit PCX images.
#include "orla_sprites.hpp"

#include <cassert>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>

#include "file_open.hpp"
#include "orla_errors.hpp"

namespace orla_sprites {

namespace {

// The four trailer bytes of the sprite being loaded or saved.
LONGINT trailer = 0;

const std::string CR = "\r";

detail::failure file_error(const std::string& what, const std::string& name) {
  return {"FILE ERROR", orla::detail::cut255(what + name)};
}

}  // namespace

namespace detail {

bool sprite_fits(LONGINT block_bytes, LONGINT trailer_value) {
  // the dimensions are the two unsigned 16-bit halves of the trailer, width in the low half
  const auto bits = static_cast<std::uint32_t>(trailer_value);
  const std::int64_t w = bits & 0xFFFF, h = bits >> 16;
  return w > 0 && h > 0 && w * h * 2 <= block_bytes;
}

outcome try_load_sprite(const std::string& name, const std::string& archive,
                        VIRTUALWINDOW& sprite) {
  LONGINT size = 0;
  const bool loose = archive.empty();
  auto f = loose ? orla_files::detail::try_filespr2mem(name, MEMORY, trailer, size)
                 : orla_files::detail::try_bigfilespr2mem(name, archive, MEMORY, trailer, size);
  if (f) return f;
  // changed: a zero dimension or fewer pixel bytes than the dimensions need is refused with
  // the loader's message instead of giving a picture that reaches past its block; bytes after
  // the pixels are ignored
  if (!sprite_fits(size - 4, trailer)) {
    orla::FREEPTRSPEICHER(MEMORY);
    return loose ? orla_files::detail::read_failure(name)
                 : orla_files::detail::sub_file_failure(name, archive);
  }
  const auto bits = static_cast<std::uint32_t>(trailer);
  orla::CALCULATEVW(sprite, static_cast<LONGINT>(bits & 0xFFFF), static_cast<LONGINT>(bits >> 16));
  sprite.DATA = static_cast<WORD*>(MEMORY);
  sprite.LOADED = true;
  sprite.NAME = orla::detail::cut255(name);
  return std::nullopt;
}

outcome decode_pcx(const BYTE* file, std::size_t size, const std::string& name,
                   VIRTUALWINDOW& sprite) {
  // changed: a file shorter than its header is not a PCX file, rather than a header copied
  // from beyond the loaded block
  if (size < pcx_header_length)
    return file_error("Following file has not a valid pcx format : ", name);
  if (file[0] != 10) return file_error("Following file has not a valid pcx format : ", name);
  if (file[2] != 1) return file_error("Following pcx file is not compressed : ", name);
  if (file[65] != 3) return file_error("Following file is not a 24 Bit 64 Kb color pcx : ", name);

  const std::int64_t w = std::int64_t{orla::detail::read_le16(file + 8)} - orla::detail::read_le16(file + 4) + 1;
  const std::int64_t h = std::int64_t{orla::detail::read_le16(file + 10)} - orla::detail::read_le16(file + 6) + 1;
  const std::int64_t padded = (w % 2 == 0) ? w : w + 1;
  const BYTE* data = file + pcx_header_length;
  const std::size_t data_size = size - pcx_header_length;

  // changed: the dimensions are checked against the data before anything is allocated; every
  // plane line needs at least one two-byte run per 63 pixels (a literal for a lone last pixel)
  const auto bad_size = [&] {
    return file_error("Following pcx file has an impossible size : ", name);
  };
  if (w <= 0 || h <= 0 || padded * h * 2 > std::numeric_limits<LONGINT>::max()) return bad_size();
  const std::int64_t rest = padded % 63;
  const std::int64_t line_minimum = 2 * (padded / 63) + (rest == 0 ? 0 : rest == 1 ? 1 : 2);
  if (line_minimum * 3 * h > static_cast<std::int64_t>(data_size)) return bad_size();

  VIRTUALWINDOW picture;
  orla::INIT_VW(picture, static_cast<LONGINT>(padded), static_cast<LONGINT>(h), false);
  picture.NAME = orla::detail::cut255(name);
  // kept: decoding reads from an accounted copy of the image data
  WORD* copy = nullptr;
  orla::ALLOKSPEICHER(copy, static_cast<LONGINT>(data_size));
  if (data_size > 0) std::memcpy(copy, data, data_size);
  const BYTE* in = reinterpret_cast<const BYTE*>(copy);

  // changed: a run past the plane's width, a run of count 0 and data that ends before the
  // picture is complete are refused instead of writing outside the picture or reading past
  // the data
  bool damaged = false;
  std::size_t p = 0;
  for (std::int64_t y = 0; y < h && !damaged; ++y) {
    WORD* row = picture.DATA + y * padded;
    for (int plane = 0; plane < 3 && !damaged; ++plane) {
      std::int64_t x = 0;
      while (x < padded) {
        if (p >= data_size) {
          damaged = true;
          break;
        }
        const BYTE b = in[p++];
        std::int64_t count = 1;
        BYTE v = b;
        if ((b & 0xC0) == 0xC0) {
          count = b & 0x3F;
          if (count == 0 || p >= data_size || x + count > padded) {
            damaged = true;
            break;
          }
          v = in[p++];
        }
        // the added column of an odd width holds the line's padding byte: it comes out black,
        // unless a run that began further left reaches into it
        if (x == w) v = 0;
        for (std::int64_t i = 0; i < count; ++i, ++x) {
          switch (plane) {
            case 0:
              row[x] = static_cast<WORD>((v >> 3) << 11);
              break;
            case 1:
              row[x] = static_cast<WORD>(row[x] + ((v >> 2) << 5));
              break;
            default:
              row[x] = static_cast<WORD>(row[x] + (v >> 3));
              break;
          }
        }
      }
    }
  }
  orla::FREESPEICHER(copy);
  if (damaged) {
    orla::KILL_VW(picture);
    return file_error("Following pcx file is damaged : ", name);
  }
  picture.LOADED = true;
  sprite = std::move(picture);
  return std::nullopt;
}

outcome try_load_pcx(const std::string& name, const std::string& archive, VIRTUALWINDOW& sprite) {
  LONGINT size = 0;
  auto f = archive.empty() ? orla_files::detail::try_file2mem(name, MEMORY, size)
                           : orla_files::detail::try_bigfile2mem(name, archive, MEMORY, size);
  if (f) return f;
  f = decode_pcx(static_cast<const BYTE*>(MEMORY), static_cast<std::size_t>(size), name, sprite);
  orla::FREEPTRSPEICHER(MEMORY);
  return f;
}

namespace {

// The file a name finally stands for: symbolic links followed, hop by hop, to a target that
// need not exist yet; a loop of links stops as a link.
std::filesystem::path link_target(const std::string& name) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path p = orla::detail::utf8_path(name);
  for (int hop = 0; hop < 40 && fs::is_symlink(fs::symlink_status(p, ec)); ++hop) {
    const fs::path to = fs::read_symlink(p, ec);
    if (ec) break;
    p = to.is_absolute() ? to : p.parent_path() / to;
  }
  return p;
}

// Writes the pixels and the trailer and closes the file; false when any of it fails.
bool write_and_close(std::FILE* out, const VIRTUALWINDOW& sprite) {
  trailer = static_cast<LONGINT>(static_cast<std::uint32_t>(sprite.HOEHE) << 16 |
                                 static_cast<std::uint32_t>(sprite.BREITE));
  const auto bits = static_cast<std::uint32_t>(trailer);
  const unsigned char dims[4] = {
      static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
      static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
  const auto bytes = static_cast<std::size_t>(sprite.SIZE);
  const bool ok = (bytes == 0 || std::fwrite(sprite.DATA, 1, bytes, out) == bytes) &&
                  std::fwrite(dims, 1, 4, out) == 4;
  return (std::fclose(out) == 0) && ok;
}

}  // namespace

bool sprite_savable(const VIRTUALWINDOW& sprite) {
  return sprite.SIZE >= 0 && (sprite.SIZE == 0 || sprite.DATA != nullptr) && sprite.BREITE >= 1 &&
         sprite.BREITE <= 0xFFFF && sprite.HOEHE >= 1 && sprite.HOEHE <= 0xFFFF &&
         std::int64_t{sprite.BREITE} * sprite.HOEHE * 2 == sprite.SIZE;
}

bool write_sprite_file(const std::string& name, const VIRTUALWINDOW& sprite) {
  namespace fs = std::filesystem;
  assert(sprite_savable(sprite));
  std::error_code ec;
  // a link is written through: its target gets the picture, the link stays a link
  const fs::path target = link_target(name);
  if (fs::is_symlink(fs::symlink_status(target, ec))) return false;  // a loop of links
  // a write-protected picture stays protected: renaming over it would bypass the protection
  const fs::file_status status = fs::status(target, ec);
  const bool exists = fs::exists(status);
  if (exists) {
    if (!fs::is_regular_file(status)) return false;
    const auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & writable) == fs::perms::none) return false;
  }

  std::FILE* out = nullptr;
  fs::path temp;
  std::random_device random;
  int refused = 0;
  for (int attempt = 0; attempt < 16 && out == nullptr; ++attempt) {
    temp = target;
    temp += ".tmp" + std::to_string(random() % 1000000);
    out = orla::detail::open_file(temp, "wbx");
    refused = out == nullptr ? errno : 0;
    if (refused != EEXIST) break;
  }
  if (out == nullptr) {
    // a folder that takes no new file, holding a file that may be written: in place, created
    // or truncated (any other failure leaves the old picture alone)
    if (refused != EACCES && refused != EPERM) return false;
    out = orla::detail::open_file(target, "wb");
    return out != nullptr && write_and_close(out, sprite);
  }
  // the new picture gets the old one's permission bits before it holds any pixel
  std::error_code kept;
  if (exists) fs::permissions(temp, status.permissions() & fs::perms::mask, kept);
  bool ok = false;
  if (kept)
    std::fclose(out);
  else
    ok = write_and_close(out, sprite);
  if (ok) {
    fs::rename(temp, target, ec);
    ok = !ec;
  }
  if (!ok) fs::remove(temp, ec);
  return ok;
}

}  // namespace detail

void LOAD_SPRITE(const std::string& name, const std::string& archive, VIRTUALWINDOW& sprite) {
  if (auto f = detail::try_load_sprite(name, archive, sprite)) orla_files::detail::fail(*f);
}

void SAVE_SPRITE(const std::string& name, VIRTUALWINDOW& sprite) {
  if (!orla::FILEOVERWRITE(name)) return;
  // changed: a record without its pixels, or too large for the 16-bit dimensions of the file,
  // is refused instead of writing from a missing buffer or a file that reads back wrong
  if (!detail::sprite_savable(sprite))
    orla::ERRORM("INTERNAL ERROR",
                 orla::detail::cut255("Following sprite cannot be saved : " + name));
  // changed: written to a temporary file beside the picture (through a link, beside its
  // target) and renamed into place with the old file's permission bits, so that a failed write
  // never leaves an existing picture half-written; where the folder takes no new file but the
  // file may be written, it is written in place, created or truncated
  if (!detail::write_sprite_file(name, sprite))
    orla::ERRORM(std::string(orla_errors::IO_ERRORHEADLINE),
                 std::string(orla_errors::IO_ERRORWRITEACCESS) + CR + CR + "File : " + name);
}

void LOAD_PCX(const std::string& name, const std::string& archive, VIRTUALWINDOW& sprite) {
  if (auto f = detail::try_load_pcx(name, archive, sprite)) orla_files::detail::fail(*f);
}

}  // namespace orla_sprites
