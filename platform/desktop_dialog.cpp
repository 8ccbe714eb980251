// platform: the desktop's own dialog programs, for a message when the backend cannot show a box.
#include "desktop_dialog.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace platform::detail {

namespace {

using namespace win32;

enum class kind { information, warning, error };

// The program's path on PATH; empty when none is there.
std::string on_path(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  const std::string list = path;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(':', start), list.size());
    // an empty entry is the working directory
    const std::string folder = end > start ? list.substr(start, end - start) : std::string(".");
    const std::string candidate = folder + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

// Runs the program with these arguments (no shell: the text goes through as it is), its output
// and its complaints discarded; returns its exit code, or nothing when it did not run or end.
std::optional<int> run(const std::string& path, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  if (posix_spawn_file_actions_init(&files) != 0) return std::nullopt;
  posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, path.c_str(), &files, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  if (spawned != 0) return std::nullopt;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return std::nullopt;
  if (!WIFEXITED(status)) return std::nullopt;
  return WEXITSTATUS(status);
}

// A dialog program: its name, its arguments for a message, and how its exit code answers.
struct dialog_program {
  const char* name;
  std::vector<std::string> (*arguments)(const std::string& caption, const std::string& text,
                                        bool question, kind k);
  std::optional<int> (*answer)(int code, bool question);
};

// zenity and kdialog: 0 is OK or Yes, 1 No or closed; any other code is a failure.
std::optional<int> zero_yes_one_no(int code, bool question) {
  if (code != 0 && code != 1) return std::nullopt;
  if (!question) return IDOK;
  return code == 0 ? IDYES : IDNO;
}

// xmessage: its buttons end it with codes of their own, apart from its failure code 1.
constexpr int xmessage_yes = 100, xmessage_no = 101;
std::optional<int> xmessage_answer(int code, bool question) {
  if (question) {
    if (code == xmessage_yes) return IDYES;
    if (code == xmessage_no || code == 0) return IDNO;  // 0: the window was closed
    return std::nullopt;
  }
  if (code == xmessage_yes || code == 0) return IDOK;
  return std::nullopt;
}

const dialog_program programs[] = {
    {"zenity",
     [](const std::string& caption, const std::string& text, bool question, kind k) {
       const char* mode = question             ? "--question"
                          : k == kind::error   ? "--error"
                          : k == kind::warning ? "--warning"
                                               : "--info";
       return std::vector<std::string>{mode, "--no-markup", "--title=" + caption, "--text=" + text};
     },
     zero_yes_one_no},
    {"kdialog",
     [](const std::string& caption, const std::string& text, bool question, kind k) {
       const char* mode = question             ? "--yesno"
                          : k == kind::error   ? "--error"
                          : k == kind::warning ? "--sorry"
                                               : "--msgbox";
       return std::vector<std::string>{"--title", caption, mode, text};
     },
     zero_yes_one_no},
    {"xmessage",
     [](const std::string& caption, const std::string& text, bool question, kind) {
       const std::string buttons =
           question ? "Yes:" + std::to_string(xmessage_yes) + ",No:" + std::to_string(xmessage_no)
                    : "OK:" + std::to_string(xmessage_yes);
       // the text last: xmessage shows the arguments after its options
       return std::vector<std::string>{"-title",  caption,    "-buttons",
                                       buttons,   "-default", question ? "No" : "OK",
                                       "-center", text};
     },
     xmessage_answer},
};

bool display_given() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

std::optional<int> desktop_dialog(const std::string& caption, const std::string& text, UINT type) {
  if (!display_given()) return std::nullopt;
  const bool question = (type & 0xF) == MB_YESNO;
  const UINT icon = type & 0xF0;
  const kind k = icon == MB_ICONHAND                                       ? kind::error
                 : (icon == MB_ICONQUESTION || icon == MB_ICONEXCLAMATION) ? kind::warning
                                                                           : kind::information;
  for (const auto& program : programs) {
    const std::string path = on_path(program.name);
    if (path.empty()) continue;
    const auto code = run(path, program.arguments(caption, text, question, k));
    if (!code) continue;
    if (const auto answer = program.answer(*code, question)) return answer;
  }
  return std::nullopt;
}

}  // namespace platform::detail
