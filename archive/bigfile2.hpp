// bigfile2: reader of the "bigfile" archive format: many member files in one file, found by name
// through a directory at the end of the archive.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "orla_types.hpp"

namespace bigfile2 {

using orla::BOOLEAN;
using orla::BYTE;
using orla::LONGINT;
using orla::WORD;

namespace detail {

// An archive or data file opened for reading only; closed when it goes out of scope.
class input_file {
 public:
  input_file() = default;
  input_file(const input_file&) = delete;
  input_file& operator=(const input_file&) = delete;
  ~input_file() { close(); }

  // Opens an existing regular file; false when it cannot be opened for reading.
  bool open(const std::string& name);
  // Closes the file; false when it was not open or the close reported an error.
  bool close();
  bool is_open() const { return file_ != nullptr; }
  // Size in bytes, or -1 when it cannot be told.
  std::int64_t size();
  bool seek(std::int64_t offset);
  // Reads up to count bytes; returns the bytes delivered, or -1 on an I/O error.
  std::int64_t read(void* target, std::int64_t count);

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace detail

// Length of a member's name field.
inline constexpr int FILENAMELENGTH = 50;
// Number of archive slots and of member handles.
inline constexpr int MAXBIGFILES = 10;
inline constexpr int MAXFILES = 500;

// One archive slot.
struct BIGFILE {
  detail::input_file FILEVAR;
  LONGINT SIZE = 0;
  BYTE HANDLE = 0;
  BOOLEAN ACTIVE = false;
  LONGINT HEADER = 0;
  WORD ENTRIES = 0;
};

// One directory entry as stored (10 bytes, little-endian).
struct ENTRYTYPE {
  WORD CHECKSUM = 0;
  LONGINT SIZE = 0;
  LONGINT BYTES = 0;
};

// The archive slots 1..10.
inline orla::detail::checked_array<BIGFILE, 1, MAXBIGFILES> BIG;
// The directory entry the search reads into.
inline ENTRYTYPE ENTRY;
// Per member handle 1..500: data offset (0: free), size, read position within the member.
inline orla::detail::checked_array<LONGINT, 1, MAXFILES> VFILE;
inline orla::detail::checked_array<LONGINT, 1, MAXFILES> VFILESIZE;
inline orla::detail::checked_array<LONGINT, 1, MAXFILES> VFILEPOS;
// Indexes of the last free-slot and free-handle searches.
inline BYTE CURRENTBIG = 0;
inline WORD CURRENTFILE = 0;
// Size of the member most recently found by BIGSEARCH.
inline LONGINT LASTSIZE = 0;
// The directory distance just read.
inline LONGINT LONGDUMMY = 0;
// Byte count of the last header read.
inline WORD DUMMY = 0;

// Result codes (archive handles 1..10 share the value space; callers test for > 244).
inline constexpr BYTE BIG_OK = 0;
inline constexpr BYTE BIG_TOOMANYFILES = 245;
inline constexpr BYTE BIG_INTERNAL = 247;
inline constexpr BYTE BIG_TOOMANYBIGS = 248;
inline constexpr BYTE BIG_NOTABIGFILE = 249;
inline constexpr BYTE BIG_WRITEPROTECTION = 250;
inline constexpr BYTE BIG_BADHANDLE = 251;
inline constexpr BYTE BIG_SEEKRANGE = 253;
inline constexpr BYTE BIG_FILENOTFOUND = 254;
inline constexpr BYTE BIG_BIGNOTFOUND = 255;

// The text of a result code.
std::string ERRORSTRING(BYTE ERROR);
// Opens an archive; its handle 1..10, or 247, 248, 249, 255.
BYTE BIGOPEN(const std::string& NAME);
// Frees the slot and closes its file; 0, 247 or 251.
BYTE BIGCLOSE(BYTE BIGHANDLE);
// The archive's total size; 0 for an inactive slot.
LONGINT BIGSIZE(BYTE BIGHANDLE);
// Absolute offset of the named member's data, or 0 when not found; sets LASTSIZE.
LONGINT BIGSEARCH(BYTE BIGHANDLE, const std::string& NAME);
// A member handle 1..500, or 0 when not found or no handle is free.
WORD OPENFILE(BYTE BIGHANDLE, const std::string& NAME);
// Frees a member handle; 0 or 251.
BYTE CLOSEFILE(BYTE BIGHANDLE, WORD HANDLE);
// The member's size; 0 for an inactive slot or a free handle.
LONGINT SIZEFILE(BYTE BIGHANDLE, WORD HANDLE);
// Reads up to COUNT bytes from the member's position and advances it; 0, 247 or 251.
BYTE READBIG(BYTE BIGHANDLE, WORD HANDLE, void* P, LONGINT COUNT);
// Sets the member's read position to POS (0..size); 0, 251 or 253.
BYTE SEEKBIG(BYTE BIGHANDLE, WORD HANDLE, LONGINT POS);

namespace detail {

inline constexpr char signature[4] = {'.', 'B', 'G', 'F'};
// Bytes after the directory: ENTRIES (2), distance (4), signature (4).
inline constexpr int trailer_length = 10;
inline constexpr int entry_length = 10;

// The 50-byte search key of a name: a..z upper-cased, cut or padded with spaces.
std::string search_key(const std::string& name);
// Sum of the key's 50 character codes.
WORD key_checksum(const std::string& key);

// One member as the directory describes it.
struct member_info {
  std::string name_field;  // the 50 stored bytes
  LONGINT size = 0;
  LONGINT data_offset = 0;
};

// Where an entry's name field and data lie; false when they do not lie wholly between the
// start of the file and the directory.
bool entry_in_bounds(const BIGFILE& slot, const ENTRYTYPE& entry, std::int64_t& name_offset);

// Every member of an open archive in directory order, without the entries that point outside
// the file; empty when the slot is inactive or the directory cannot be read.
std::vector<member_info> read_directory(BYTE BIGHANDLE);

}  // namespace detail

}  // namespace bigfile2
