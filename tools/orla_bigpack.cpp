// orla_bigpack: makes "bigfile" archives from files, lists their members and extracts one.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "bigfile2.hpp"

namespace fs = std::filesystem;

namespace {

constexpr const char* usage =
    "usage: orla_bigpack create ARCHIVE FILE...\n"
    "       orla_bigpack list ARCHIVE\n"
    "       orla_bigpack extract [--force] ARCHIVE MEMBER [DIR]\n"
    "\n"
    "create   writes a new archive holding the files; each member is named after its file\n"
    "         (without folders). Member names are matched without regard to the case of a..z,\n"
    "         so names must differ in more than that; a name has 1 to 50 characters and does\n"
    "         not end in a space. An existing ARCHIVE is replaced.\n"
    "list     prints each member's size in bytes and its name as stored (upper case).\n"
    "extract  writes the member into DIR (default: the current folder) as a file named MEMBER,\n"
    "         which must be a plain file name. An existing file is only replaced with --force.\n"
    "Exit codes: 0 done, 1 refused or failed, 2 wrong arguments.\n";

int refuse(const std::string& text) {
  std::fprintf(stderr, "orla_bigpack: %s\n", text.c_str());
  return 1;
}

// A file created beside its final place and renamed into it; removed unless committed.
class staged_file {
 public:
  explicit staged_file(const fs::path& target) : target_(target) {
    std::random_device random;
    for (int attempt = 0; attempt < 16 && file_ == nullptr; ++attempt) {
      temp_ = target.string() + ".tmp" + std::to_string(random() % 1000000);
      // "x": never reuses or follows an existing name
      file_ = std::fopen(temp_.c_str(), "wbx");
    }
  }
  staged_file(const staged_file&) = delete;
  staged_file& operator=(const staged_file&) = delete;
  ~staged_file() {
    if (file_ != nullptr) std::fclose(file_);
    if (!committed_) std::remove(temp_.c_str());
  }
  bool ok() const { return file_ != nullptr && good_; }
  void write(const void* data, std::size_t n) {
    if (file_ != nullptr && n > 0 && std::fwrite(data, 1, n, file_) != n) good_ = false;
  }
  // Closes and renames into place; false when anything failed.
  bool commit() {
    if (file_ == nullptr) return false;
    good_ = (std::fclose(file_) == 0) && good_;
    file_ = nullptr;
    if (!good_) return false;
    std::error_code ec;
    fs::rename(temp_, target_, ec);
    committed_ = !ec;
    return committed_;
  }

 private:
  fs::path target_;
  std::string temp_;
  std::FILE* file_ = nullptr;
  bool good_ = true;
  bool committed_ = false;
};

void put16(std::vector<unsigned char>& out, std::uint32_t v) {
  out.push_back(static_cast<unsigned char>(v));
  out.push_back(static_cast<unsigned char>(v >> 8));
}
void put32(std::vector<unsigned char>& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// Why a member name cannot be stored so that the reader finds it under that name; empty if it can.
std::string name_problem(const std::string& name) {
  if (name.empty()) return "an empty member name";
  if (name.size() > bigfile2::FILENAMELENGTH)
    return "member name \"" + name + "\" is longer than 50 characters";
  if (name.back() == ' ')
    return "member name \"" + name + "\" ends in a space, which the archive cannot keep";
  return {};
}

int create(const std::string& archive, const std::vector<std::string>& files) {
  struct member {
    std::string path, key;
    std::int64_t size = 0;
  };
  std::vector<member> members;
  std::set<std::string> keys;
  std::int64_t total = 0;
  for (const std::string& path : files) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return refuse(path + ": not a readable file");
    const std::string name = fs::path(path).filename().string();
    if (const std::string problem = name_problem(name); !problem.empty())
      return refuse(path + ": " + problem);
    member m{path, bigfile2::detail::search_key(name), 0};
    if (!keys.insert(m.key).second)
      return refuse(path + ": member name \"" + name +
                    "\" is already taken (names are matched without regard to case)");
    m.size = static_cast<std::int64_t>(fs::file_size(path, ec));
    if (ec) return refuse(path + ": size cannot be read");
    total += bigfile2::FILENAMELENGTH + m.size + bigfile2::detail::entry_length;
    members.push_back(std::move(m));
  }
  if (members.size() > 0xFFFF) return refuse("an archive holds at most 65535 members");
  total += bigfile2::detail::trailer_length;
  if (total > std::numeric_limits<bigfile2::LONGINT>::max())
    return refuse("the archive would be larger than 2 GB, which the reader cannot address");

  staged_file out(archive);
  if (!out.ok()) return refuse(archive + ": cannot be written");
  std::vector<unsigned char> directory;
  std::vector<std::int64_t> data_ends;
  std::int64_t position = 0;
  std::vector<char> buffer(1 << 16);
  for (const member& m : members) {
    out.write(m.key.data(), m.key.size());
    std::FILE* in = std::fopen(m.path.c_str(), "rb");
    if (in == nullptr) return refuse(m.path + ": cannot be read");
    std::int64_t copied = 0;
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
      out.write(buffer.data(), got);
      copied += static_cast<std::int64_t>(got);
    }
    const bool read_error = std::ferror(in) != 0;
    std::fclose(in);
    if (read_error || copied != m.size) return refuse(m.path + ": changed or failed while read");
    position += bigfile2::FILENAMELENGTH + m.size;
    data_ends.push_back(position);
  }
  const std::int64_t entries = static_cast<std::int64_t>(members.size());
  const std::int64_t archive_size =
      position + entries * bigfile2::detail::entry_length + bigfile2::detail::trailer_length;
  for (std::size_t i = 0; i < members.size(); ++i) {
    put16(directory, bigfile2::detail::key_checksum(members[i].key));
    put32(directory, static_cast<std::uint32_t>(members[i].size));
    put32(directory, static_cast<std::uint32_t>(archive_size - data_ends[i] - 1));
  }
  put16(directory, static_cast<std::uint32_t>(entries));
  put32(directory, static_cast<std::uint32_t>(entries * bigfile2::detail::entry_length + 9));
  for (const char c : bigfile2::detail::signature)
    directory.push_back(static_cast<unsigned char>(c));
  out.write(directory.data(), directory.size());
  if (!out.commit()) return refuse(archive + ": cannot be written");

  // every member must be found by the reader under its own name, with its own size
  const bigfile2::BYTE a = bigfile2::BIGOPEN(archive);
  if (a > 244) return refuse(archive + ": written but not readable: " + bigfile2::ERRORSTRING(a));
  for (const member& m : members) {
    const std::string name = fs::path(m.path).filename().string();
    const bigfile2::WORD h = bigfile2::OPENFILE(a, name);
    const bool found = h != 0 && bigfile2::SIZEFILE(a, h) == m.size;
    if (h != 0) bigfile2::CLOSEFILE(a, h);
    if (!found) {
      bigfile2::BIGCLOSE(a);
      fs::remove(archive);
      return refuse(archive + ": member \"" + name + "\" would not be found; archive removed");
    }
  }
  bigfile2::BIGCLOSE(a);
  return 0;
}

int list(const std::string& archive) {
  const bigfile2::BYTE a = bigfile2::BIGOPEN(archive);
  if (a > 244) return refuse(archive + ": " + bigfile2::ERRORSTRING(a));
  const auto members = bigfile2::detail::read_directory(a);
  const std::size_t entries = bigfile2::BIG[a].ENTRIES;
  bigfile2::BIGCLOSE(a);
  for (const auto& m : members) {
    std::string name = m.name_field;
    while (!name.empty() && name.back() == ' ') name.pop_back();
    std::printf("%10d  %s\n", static_cast<int>(m.size), name.c_str());
  }
  // the sound members are listed; entries pointing outside the file are reported
  if (members.size() < entries)
    return refuse(archive + ": " + std::to_string(entries - members.size()) + " of " +
                  std::to_string(entries) + " directory entries cannot be read");
  return 0;
}

// Whether a member name can serve as a file name inside the target folder and nowhere else.
bool plain_file_name(const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.back() == ' ') return false;
  for (const char c : name)
    if (c == '/' || c == '\\' || c == '\0') return false;
  return fs::path(name).filename().string() == name;
}

int extract(const std::string& archive, const std::string& name, const std::string& dir,
            bool force) {
  if (!plain_file_name(name))
    return refuse("\"" + name + "\" is not a plain file name; nothing written");
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return refuse(dir + ": no such folder");
  const fs::path target = fs::path(dir) / name;
  const fs::file_status existing = fs::symlink_status(target, ec);
  if (fs::exists(existing)) {
    if (fs::is_directory(existing)) return refuse(target.string() + ": is a folder");
    if (!force) return refuse(target.string() + ": exists (use --force to replace it)");
  }

  const bigfile2::BYTE a = bigfile2::BIGOPEN(archive);
  if (a > 244) return refuse(archive + ": " + bigfile2::ERRORSTRING(a));
  const bigfile2::WORD h = bigfile2::OPENFILE(a, name);
  if (h == 0) {
    bigfile2::BIGCLOSE(a);
    return refuse(archive + ": no member \"" + name + "\"");
  }
  const bigfile2::LONGINT size = bigfile2::SIZEFILE(a, h);
  // the new file replaces the name itself, never what a link of that name points to
  staged_file out(target);
  std::vector<char> buffer(1 << 16);
  bool ok = out.ok();
  while (ok && bigfile2::VFILEPOS[h] < size) {
    const bigfile2::LONGINT before = bigfile2::VFILEPOS[h];
    ok = bigfile2::READBIG(a, h, buffer.data(), static_cast<bigfile2::LONGINT>(buffer.size())) ==
             0 &&
         bigfile2::VFILEPOS[h] > before;
    if (ok) out.write(buffer.data(), static_cast<std::size_t>(bigfile2::VFILEPOS[h] - before));
  }
  bigfile2::CLOSEFILE(a, h);
  bigfile2::BIGCLOSE(a);
  if (!ok || !out.commit()) return refuse(target.string() + ": cannot be written");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(usage, stdout);
    return 0;
  }
  if (args.size() >= 3 && args[0] == "create")
    return create(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
  if (args.size() == 2 && args[0] == "list") return list(args[1]);
  if (!args.empty() && args[0] == "extract") {
    bool force = false;
    if (args.size() > 1 && args[1] == "--force") {
      force = true;
      args.erase(args.begin() + 1);
    }
    if (args.size() == 3 || args.size() == 4)
      return extract(args[1], args[2], args.size() == 4 ? args[3] : ".", force);
  }
  std::fputs(usage, stderr);
  return 2;
}
