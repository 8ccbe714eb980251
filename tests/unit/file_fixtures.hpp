// Test support for the file units: scratch folders, byte files, archive and PCX fixtures, and
// the regular expression of a message box as the headless backend prints it.
#pragma once

#include <gtest/gtest.h>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fixtures {

using bytes = std::vector<std::uint8_t>;

// The run's number: its process's. On Windows a death test runs the test again in a new process,
// which must find the same folders: it takes the first process's number from the environment.
inline std::string run_id() {
#ifdef _WIN32
  if (const char* id = std::getenv("ORLA_TEST_RUN_ID")) return id;
  const std::string id = std::to_string(_getpid());
  _putenv_s("ORLA_TEST_RUN_ID", id.c_str());
  return id;
#else
  return std::to_string(::getpid());
#endif
}

// Removes a folder and everything in it, write-protected files too (Windows deletes none).
inline void remove_folder(const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
  for (fs::recursive_directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path, ec);
}

// A fresh folder removed again at the end of the test, named by the run and its place among the
// test's folders: the same in a death test's new process, which takes it as its parent left it.
struct scratch_dir {
  std::filesystem::path path;
  scratch_dir() {
    static std::string test;
    static int counter = 0;
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "";
    if (name != test) {
      test = name;
      counter = 0;
    }
    path = std::filesystem::temp_directory_path() /
           ("orla_test_" + run_id() + "_" + std::to_string(counter++));
    if (GTEST_FLAG_GET(internal_run_death_test).empty()) remove_folder(path);
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
  }
  ~scratch_dir() { remove_folder(path); }
  std::string operator/(const std::string& name) const { return (path / name).string(); }
};

// Makes a folder the working directory for the rest of the scope, so that names stay short
// enough for the 255-character messages.
struct working_dir {
  std::filesystem::path before = std::filesystem::current_path();
  explicit working_dir(const std::filesystem::path& p) { std::filesystem::current_path(p); }
  ~working_dir() { std::filesystem::current_path(before); }
};

inline void write_file(const std::string& path, const bytes& data) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

inline bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return bytes(std::istreambuf_iterator<char>(in), {});
}

inline void put16(bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void put32(bytes& b, std::uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}
inline void patch32(bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A 50-byte name field: the text as given, padded with spaces.
inline std::string field(const std::string& text) {
  return text + std::string(50 - text.size(), ' ');
}

// One archive member: its raw name field and its data.
struct member {
  std::string name_field;
  bytes data;
};

// An archive with the members in order, the directory directly before the trailer.
// Entry i lies at directory_offset(members) + 10 * i.
inline bytes archive(const std::vector<member>& members) {
  bytes out;
  std::vector<std::size_t> ends;
  for (const member& m : members) {
    out.insert(out.end(), m.name_field.begin(), m.name_field.end());
    out.insert(out.end(), m.data.begin(), m.data.end());
    ends.push_back(out.size());
  }
  const std::size_t total = out.size() + 10 * members.size() + 10;
  for (std::size_t i = 0; i < members.size(); ++i) {
    unsigned sum = 0;
    for (const char c : members[i].name_field) sum += static_cast<unsigned char>(c);
    put16(out, sum);
    put32(out, static_cast<std::uint32_t>(members[i].data.size()));
    put32(out, static_cast<std::uint32_t>(total - ends[i] - 1));
  }
  put16(out, static_cast<std::uint32_t>(members.size()));
  put32(out, static_cast<std::uint32_t>(10 * members.size() + 9));
  out.insert(out.end(), {'.', 'B', 'G', 'F'});
  return out;
}

// A sprite file: pixels, then width and height as two 16-bit values.
inline bytes sprite_file(std::uint16_t w, std::uint16_t h,
                         const std::vector<std::uint16_t>& pixels) {
  bytes out;
  for (const std::uint16_t p : pixels) put16(out, p);
  put16(out, w);
  put16(out, h);
  return out;
}

// A 24-bit run-length PCX header for a picture of w x h pixels, then the given data.
inline bytes pcx(int w, int h, const bytes& data, std::uint8_t encoding = 1,
                 std::uint8_t planes = 3, std::uint8_t manufacturer = 10) {
  bytes out(128 + data.size(), 0);
  std::copy(data.begin(), data.end(), out.begin() + 128);
  out[0] = manufacturer;
  out[1] = 5;
  out[2] = encoding;
  out[3] = 8;
  out[8] = static_cast<std::uint8_t>(w - 1);
  out[9] = static_cast<std::uint8_t>((w - 1) >> 8);
  out[10] = static_cast<std::uint8_t>(h - 1);
  out[11] = static_cast<std::uint8_t>((h - 1) >> 8);
  out[65] = planes;
  return out;
}

// The regular expression matching a message box's caption and text on standard error.
inline std::string box_regex(const std::string& caption, const std::string& text) {
  std::string re;
  for (const char c : caption + "\n" + text) {
    if (c == '\r') {
      re += '\n';
    } else {
      if (std::string(".[]{}()*+?^$|\\").find(c) != std::string::npos) re += '\\';
      re += c;
    }
  }
  return re;
}

}  // namespace fixtures
