// bigfile2: reader of the "bigfile" archive format.
#include "bigfile2.hpp"

#include <cassert>
#include <cstring>
#include <filesystem>
#include <limits>

#include "file_open.hpp"

namespace bigfile2 {

// ============================================================================================
// Files opened for reading
// ============================================================================================

namespace detail {

bool input_file::open(const std::string& name) {
  close();
  std::error_code ec;
  // a directory opens for reading on some systems but has no bytes to give
  const std::filesystem::path path = orla::detail::utf8_path(name);
  if (name.empty() || !std::filesystem::is_regular_file(path, ec)) return false;
  // changed: opened for reading only, so that a write-protected archive or picture still loads
  file_ = orla::detail::open_file(path, "rb");
  // unbuffered: every read sees the file as it is now, and large reads go straight to the target
  if (file_ != nullptr) std::setvbuf(file_, nullptr, _IONBF, 0);
  return file_ != nullptr;
}

bool input_file::close() {
  if (file_ == nullptr) return false;
  const int result = std::fclose(file_);
  file_ = nullptr;
  return result == 0;
}

std::int64_t input_file::size() {
  if (file_ == nullptr || std::fseek(file_, 0, SEEK_END) != 0) return -1;
  const long end = std::ftell(file_);
  return end < 0 ? -1 : static_cast<std::int64_t>(end);
}

bool input_file::seek(std::int64_t offset) {
  if (file_ == nullptr || offset < 0 || offset > std::numeric_limits<long>::max()) return false;
  return std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0;
}

std::int64_t input_file::read(void* target, std::int64_t count) {
  if (file_ == nullptr || count < 0) return -1;
  if (count == 0) return 0;
  const std::size_t got = std::fread(target, 1, static_cast<std::size_t>(count), file_);
  if (got < static_cast<std::size_t>(count) && std::ferror(file_)) {
    std::clearerr(file_);
    return -1;
  }
  return static_cast<std::int64_t>(got);
}

}  // namespace detail

// ============================================================================================
// Helpers
// ============================================================================================

namespace {

bool slot_in_range(BYTE h) {
  return h >= 1 && h <= MAXBIGFILES;
}
bool slot_active(BYTE h) {
  return slot_in_range(h) && BIG[h].ACTIVE;
}
bool handle_in_use(WORD h) {
  return h >= 1 && h <= MAXFILES && VFILE[h] != 0;
}

using orla::detail::read_le16;
using orla::detail::read_le32;

ENTRYTYPE decode_entry(const unsigned char* p) {
  ENTRYTYPE e;
  e.CHECKSUM = read_le16(p);
  e.SIZE = static_cast<LONGINT>(read_le32(p + 2));
  e.BYTES = static_cast<LONGINT>(read_le32(p + 6));
  return e;
}

// Reads exactly count bytes at offset; false on any shortfall.
bool read_at(detail::input_file& file, std::int64_t offset, void* target, std::int64_t count) {
  return file.seek(offset) && file.read(target, count) == count;
}

// The steps of BIGOPEN after the slot is taken and the file is open: the result code.
BYTE examine_archive(BIGFILE& slot) {
  const std::int64_t s = slot.FILEVAR.size();
  if (s < 0) return BIG_INTERNAL;
  // kept: the signature is read first; a file too short to hold it is an unreadable signature
  unsigned char check[4];
  if (s < 4 || !read_at(slot.FILEVAR, s - 4, check, 4)) return BIG_INTERNAL;
  for (int i = 0; i < 4; ++i)
    if (check[i] != static_cast<unsigned char>(detail::signature[i])) return BIG_NOTABIGFILE;

  // changed: the directory itself is checked against the file before the archive is accepted
  // (what makes the whole directory unusable refuses the archive); each entry is checked when a
  // search follows it, so that one bad entry costs only its own member
  if (s > std::numeric_limits<LONGINT>::max() || s < detail::trailer_length) return BIG_NOTABIGFILE;
  slot.SIZE = static_cast<LONGINT>(s);
  unsigned char tail[6];
  if (!read_at(slot.FILEVAR, s - detail::trailer_length, tail, 6)) return BIG_INTERNAL;
  DUMMY = 6;
  slot.ENTRIES = read_le16(tail);
  LONGDUMMY = static_cast<LONGINT>(read_le32(tail + 2));
  const std::int64_t header = s - static_cast<std::int64_t>(LONGDUMMY) - 1;
  const std::int64_t directory_bytes = std::int64_t{detail::entry_length} * slot.ENTRIES;
  if (header < 0 || header + directory_bytes > s - detail::trailer_length) return BIG_NOTABIGFILE;
  slot.HEADER = static_cast<LONGINT>(header);
  return BIG_OK;
}

}  // namespace

namespace detail {

std::string search_key(const std::string& name) {
  std::string key(FILENAMELENGTH, ' ');
  const std::size_t n = std::min<std::size_t>(name.size(), FILENAMELENGTH);
  for (std::size_t i = 0; i < n; ++i) {
    const char c = name[i];
    key[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return key;
}

WORD key_checksum(const std::string& key) {
  unsigned sum = 0;
  for (const char c : key) sum += static_cast<unsigned char>(c);
  return static_cast<WORD>(sum);
}

bool entry_in_bounds(const BIGFILE& slot, const ENTRYTYPE& entry, std::int64_t& name_offset) {
  const std::int64_t data_end = std::int64_t{slot.SIZE} - entry.BYTES - 1;
  name_offset = data_end - entry.SIZE - FILENAMELENGTH;
  return entry.SIZE >= 0 && name_offset >= 0 && data_end <= slot.HEADER;
}

std::vector<member_info> read_directory(BYTE BIGHANDLE) {
  std::vector<member_info> members;
  if (!slot_active(BIGHANDLE)) return members;
  BIGFILE& slot = BIG[BIGHANDLE];
  for (std::int64_t i = 0; i < slot.ENTRIES; ++i) {
    unsigned char raw[entry_length];
    if (!read_at(slot.FILEVAR, slot.HEADER + i * entry_length, raw, entry_length)) return {};
    const ENTRYTYPE entry = decode_entry(raw);
    std::int64_t name_offset = 0;
    if (!entry_in_bounds(slot, entry, name_offset)) continue;  // no member: a search passes it
    member_info m;
    m.name_field.resize(FILENAMELENGTH);
    if (!read_at(slot.FILEVAR, name_offset, m.name_field.data(), FILENAMELENGTH)) return {};
    m.size = entry.SIZE;
    m.data_offset = static_cast<LONGINT>(name_offset + FILENAMELENGTH);
    members.push_back(std::move(m));
  }
  return members;
}

}  // namespace detail

// ============================================================================================
// Public routines
// ============================================================================================

std::string ERRORSTRING(BYTE ERROR) {
  switch (ERROR) {
    case BIG_OK:
      return "Ok";
    case BIG_TOOMANYFILES:
      return "More than 500 files open";
    case BIG_INTERNAL:
      return "Internal error";
    case BIG_TOOMANYBIGS:
      return "Too many bigfiles open";
    case BIG_NOTABIGFILE:
      return "File is not a Bigfile";
    case BIG_WRITEPROTECTION:
      return "Write protection";
    case BIG_BADHANDLE:
      return "Bad handle";
    case BIG_SEEKRANGE:
      return "Seek out of range";
    case BIG_FILENOTFOUND:
      return "File not found in Bigfile";
    case BIG_BIGNOTFOUND:
      return "Bigfile not found";
    default:
      return "Not an Error. Handle number";
  }
}

BYTE BIGOPEN(const std::string& NAME) {
  BYTE free_slot = 0;
  for (int i = 1; i <= MAXBIGFILES; ++i) {
    if (!BIG[i].ACTIVE) {
      free_slot = static_cast<BYTE>(i);
      break;
    }
  }
  if (free_slot == 0) return BIG_TOOMANYBIGS;
  CURRENTBIG = free_slot;
  BIGFILE& slot = BIG[free_slot];
  slot.HANDLE = free_slot;
  if (!slot.FILEVAR.open(NAME)) return BIG_BIGNOTFOUND;
  const BYTE result = examine_archive(slot);
  if (result != BIG_OK) {
    slot.FILEVAR.close();
    return result;
  }
  slot.ACTIVE = true;
  return slot.HANDLE;
}

BYTE BIGCLOSE(BYTE BIGHANDLE) {
  if (!slot_in_range(BIGHANDLE)) return BIG_BADHANDLE;
  BIGFILE& slot = BIG[BIGHANDLE];
  slot.ACTIVE = false;
  // kept: closing a slot that holds no open file is a failed close
  return slot.FILEVAR.close() ? BIG_OK : BIG_INTERNAL;
}

LONGINT BIGSIZE(BYTE BIGHANDLE) {
  return slot_active(BIGHANDLE) ? BIG[BIGHANDLE].SIZE : 0;
}

LONGINT BIGSEARCH(BYTE BIGHANDLE, const std::string& NAME) {
  const std::string SRCNAME = detail::search_key(NAME);
  // changed: an inactive slot and an unreadable name field answer 0 (not found); the codes
  // 251 and 247 given before could not be told from data offsets of those values
  if (!slot_active(BIGHANDLE)) return 0;
  BIGFILE& slot = BIG[BIGHANDLE];
  const WORD NAMECHECK = detail::key_checksum(SRCNAME);
  for (std::int64_t i = 0; i < slot.ENTRIES; ++i) {
    unsigned char raw[detail::entry_length];
    if (!read_at(slot.FILEVAR, slot.HEADER + i * detail::entry_length, raw, detail::entry_length))
      return 0;
    ENTRY = decode_entry(raw);
    if (ENTRY.CHECKSUM != NAMECHECK) continue;
    std::int64_t name_offset = 0;
    // an entry pointing outside the file is not followed: the search goes on past it
    if (!detail::entry_in_bounds(slot, ENTRY, name_offset)) continue;
    char ENTRYNAME[FILENAMELENGTH];
    if (!read_at(slot.FILEVAR, name_offset, ENTRYNAME, FILENAMELENGTH)) return 0;
    if (std::memcmp(ENTRYNAME, SRCNAME.data(), FILENAMELENGTH) == 0) {
      LASTSIZE = ENTRY.SIZE;
      return static_cast<LONGINT>(name_offset + FILENAMELENGTH);
    }
  }
  return 0;
}

WORD OPENFILE(BYTE BIGHANDLE, const std::string& NAME) {
  const LONGINT POSITION = BIGSEARCH(BIGHANDLE, NAME);
  if (POSITION == 0) return 0;
  for (int h = 1; h <= MAXFILES; ++h) {
    if (VFILE[h] == 0) {
      CURRENTFILE = static_cast<WORD>(h);
      VFILE[h] = POSITION;
      VFILESIZE[h] = LASTSIZE;
      VFILEPOS[h] = 0;
      return static_cast<WORD>(h);
    }
  }
  return 0;
}

BYTE CLOSEFILE(BYTE, WORD HANDLE) {
  if (!handle_in_use(HANDLE)) return BIG_BADHANDLE;
  VFILE[HANDLE] = 0;
  VFILESIZE[HANDLE] = 0;
  return BIG_OK;
}

LONGINT SIZEFILE(BYTE BIGHANDLE, WORD HANDLE) {
  if (!slot_active(BIGHANDLE) || !handle_in_use(HANDLE)) return 0;
  return VFILESIZE[HANDLE];
}

BYTE READBIG(BYTE BIGHANDLE, WORD HANDLE, void* P, LONGINT COUNT) {
  if (!handle_in_use(HANDLE)) return BIG_BADHANDLE;
  // an archive handle outside 1..10 has no slot to read from
  if (!slot_in_range(BIGHANDLE)) return BIG_BADHANDLE;
  const std::int64_t REALPOSITION = std::int64_t{VFILE[HANDLE]} + VFILEPOS[HANDLE];
  // changed: a negative count reads nothing instead of a negative number of bytes
  std::int64_t count = COUNT < 0 ? 0 : COUNT;
  if (VFILEPOS[HANDLE] + count > VFILESIZE[HANDLE]) count = VFILESIZE[HANDLE] - VFILEPOS[HANDLE];
  assert(P != nullptr || count == 0);
  BIGFILE& slot = BIG[BIGHANDLE];
  if (!slot.FILEVAR.seek(REALPOSITION)) return BIG_INTERNAL;
  const std::int64_t REALCOUNT = slot.FILEVAR.read(P, count);
  if (REALCOUNT < 0) return BIG_INTERNAL;
  VFILEPOS[HANDLE] += static_cast<LONGINT>(REALCOUNT);
  return BIG_OK;
}

BYTE SEEKBIG(BYTE, WORD HANDLE, LONGINT POS) {
  if (!handle_in_use(HANDLE)) return BIG_BADHANDLE;
  // changed: POS is an absolute position within the member (0..size); it used to be added
  // to the current position after testing it alone, which could move outside the member
  if (POS < 0 || POS > VFILESIZE[HANDLE]) return BIG_SEEKRANGE;
  VFILEPOS[HANDLE] = POS;
  return BIG_OK;
}

}  // namespace bigfile2
