// orla_files: loads a whole file, or a whole archive member, into one new memory block.
#include "orla_files.hpp"

#include <cstring>
#include <limits>

#include "bigfile2.hpp"
#include "orla.hpp"
#include "orla_errors.hpp"

namespace orla_files {

namespace detail {

namespace {

constexpr char Q = '"';
const std::string CR = "\r";

// Reads the 4 trailer bytes as the little-endian value they were written as.
LONGINT trailer_value(const unsigned char* p) {
  return static_cast<LONGINT>(orla::detail::read_le32(p));
}

failure archive_failure(const std::string& archive, orla::BYTE code) {
  return {std::string(orla_errors::IO_ERRORHEADLINE),
          orla::detail::cut255(std::string(orla_errors::IO_ERRORREADACCESS) + CR + CR +
                               "Internal error message : " + CR + bigfile2::ERRORSTRING(code) + CR +
                               CR + "File : " + archive)};
}

failure member_missing(const std::string& member, const std::string& archive) {
  return {std::string(orla_errors::IO_ERRORHEADLINE),
          orla::detail::cut255(std::string(orla_errors::IO_ERRORREADACCESS) + CR + CR +
                               "Error occured while open sub file " + Q + member + Q +
                               " of main file " + Q + archive + Q + " ! ")};
}

// Loose file: the whole file (sprite false) or all but its last 4 bytes (sprite true).
outcome load_loose(const std::string& name, void*& P, bool sprite, LONGINT& DIMS, LONGINT& size) {
  P = nullptr;
  bigfile2::detail::input_file file;
  if (!file.open(name)) return read_failure(name);
  const std::int64_t file_size = file.size();
  // changed: a size that cannot be told or held, a read that comes up short and a sprite file
  // without room for its 4 dimension bytes are refused with the read-access message instead of
  // ending in a run-time error or reading outside the block
  if (file_size < 0 || file_size > std::numeric_limits<LONGINT>::max()) return read_failure(name);
  if (sprite && file_size < 4) return read_failure(name);
  const LONGINT block_size = static_cast<LONGINT>(sprite ? file_size - 4 : file_size);
  orla::ALLOKPTRSPEICHER(P, block_size);
  unsigned char dims[4];
  if (!file.seek(0) || file.read(P, block_size) != block_size ||
      (sprite && file.read(dims, 4) != 4) || !file.close()) {
    orla::FREEPTRSPEICHER(P);
    return read_failure(name);
  }
  if (sprite) DIMS = trailer_value(dims);
  size = static_cast<LONGINT>(file_size);
  return std::nullopt;
}

// Archive member: the whole member (sprite false) or all but its last 4 bytes (sprite true).
outcome load_member(const std::string& member, const std::string& archive, void*& P, bool sprite,
                    LONGINT& DIMS, LONGINT& size) {
  using namespace bigfile2;
  P = nullptr;
  const BYTE a = BIGOPEN(archive);
  if (a > 244) return archive_failure(archive, a);
  const WORD h = OPENFILE(a, member);
  if (h == 0) {
    BIGCLOSE(a);
    return member_missing(member, archive);
  }
  const LONGINT member_size = SIZEFILE(a, h);
  const auto give_up = [&] {
    orla::FREEPTRSPEICHER(P);
    CLOSEFILE(a, h);
    BIGCLOSE(a);
    return sub_file_failure(member, archive);
  };
  // changed: a sprite member without room for its 4 dimension bytes is refused
  if (sprite && member_size < 4) {
    CLOSEFILE(a, h);
    BIGCLOSE(a);
    return sub_file_failure(member, archive);
  }
  orla::ALLOKPTRSPEICHER(P, member_size);
  // changed: a read that delivers fewer bytes than asked is a failed read, not a block with an
  // unfilled tail
  const LONGINT body = sprite ? member_size - 4 : member_size;
  if (READBIG(a, h, P, body) != 0 || VFILEPOS[h] != body) return give_up();
  if (sprite) {
    unsigned char dims[4];
    if (READBIG(a, h, dims, 4) != 0 || VFILEPOS[h] != member_size) return give_up();
    DIMS = trailer_value(dims);
  }
  CLOSEFILE(a, h);
  BIGCLOSE(a);
  size = member_size;
  return std::nullopt;
}

}  // namespace

failure read_failure(const std::string& name) {
  return {std::string(orla_errors::IO_ERRORHEADLINE),
          orla::detail::cut255(std::string(orla_errors::IO_ERRORREADACCESS) + CR + CR +
                               "File : " + name)};
}

failure sub_file_failure(const std::string& member, const std::string& archive) {
  return {"I/O Error !", orla::detail::cut255("An error occured when trying to load sub file " +
                                              std::string(1, Q) + member + Q + " from main file " +
                                              Q + archive + Q + " ! ")};
}

void fail(const failure& f) {
  orla::ERRORM(f.caption, f.text);
}

outcome try_file2mem(const std::string& name, void*& P, LONGINT& size) {
  LONGINT unused = 0;
  return load_loose(name, P, false, unused, size);
}

outcome try_bigfile2mem(const std::string& member, const std::string& archive, void*& P,
                        LONGINT& size) {
  LONGINT unused = 0;
  return load_member(member, archive, P, false, unused, size);
}

outcome try_filespr2mem(const std::string& name, void*& P, LONGINT& DIMS, LONGINT& size) {
  return load_loose(name, P, true, DIMS, size);
}

outcome try_bigfilespr2mem(const std::string& member, const std::string& archive, void*& P,
                           LONGINT& DIMS, LONGINT& size) {
  return load_member(member, archive, P, true, DIMS, size);
}

}  // namespace detail

LONGINT FILE2MEM(const std::string& name, void*& P) {
  LONGINT size = 0;
  if (auto f = detail::try_file2mem(name, P, size)) detail::fail(*f);
  return size;
}

LONGINT BIGFILE2MEM(const std::string& member, const std::string& archive, void*& P) {
  LONGINT size = 0;
  if (auto f = detail::try_bigfile2mem(member, archive, P, size)) detail::fail(*f);
  return size;
}

LONGINT FILESPR2MEM(const std::string& name, void*& P, LONGINT& DIMS) {
  LONGINT size = 0;
  if (auto f = detail::try_filespr2mem(name, P, DIMS, size)) detail::fail(*f);
  return size;
}

LONGINT BIGFILESPR2MEM(const std::string& member, const std::string& archive, void*& P,
                       LONGINT& DIMS) {
  LONGINT size = 0;
  if (auto f = detail::try_bigfilespr2mem(member, archive, P, DIMS, size)) detail::fail(*f);
  return size;
}

}  // namespace orla_files
