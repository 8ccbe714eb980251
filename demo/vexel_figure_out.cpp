// vexel: taking the figure out: saving it as a PNG of the figure area and an SVG drawing (into
// the pictures folder, or as the page's downloads), copying its line to the clipboard, keeping
// the page's address on the figure, the start figure of --figure, and the message of the last
// save or copy in the panel's title line.
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "orla_text.hpp"
#include "orla_win32.hpp"
#include "user_services.hpp"
#include "vexel.hpp"

namespace vexel {

namespace {

namespace fs = std::filesystem;

// How long the message stays in the title line.
constexpr win32::DWORD message_ms = 3000;
// Where the message goes: over the panel's subtitle, right of the title, in 8 x 8 letters.
constexpr LONGINT message_x = 184, message_y = 478, message_top = 470, message_bottom = 493;
constexpr std::size_t message_chars = (800 - message_x - 4) / 8;

struct figure_out_state {
  bool save_asked = false;
  bool copy_asked = false;
  std::string message;
  win32::DWORD message_since = 0;
  bool shared = false;
  detail::figure_state last_shared;
};
figure_out_state out_state;

struct chapter_names {
  const char* file_hu;
  const char* file_en;
  const char* title_hu;
  const char* title_en;
};
constexpr chapter_names chapters[] = {
    {"koreirt-kor", "circumcircle", "Köré írt kör", "Circumcircle"},
    {"beirt-kor", "incircle", "Beírt kör", "Incircle"},
    {"magassagpont", "orthocentre", "Magasságpont", "Orthocentre"},
    {"sulypont", "centroid", "Súlypont", "Centroid"},
    {"hozzairt-korok", "excircles", "Hozzáírt körök", "Excircles"},
    {"nevezetes-pontok-egyenese", "euler-line", "Nevezetes pontok egyenese", "Euler line"},
    {"talpponti-haromszog", "orthic-triangle", "Talpponti háromszög", "Orthic triangle"},
    {"vexel-egyenes", "pedal-line", "VEXEL egyenes", "Pedal line"},
    {"parabolak", "parabolas", "Parabolák", "Parabolas"},
};

const chapter_names& names_of(BYTE chapter) {
  const int i = chapter >= first_chapter && chapter <= last_chapter ? chapter - first_chapter : 0;
  return chapters[i];
}

bool english() {
  return detail::picture_language == detail::language::en;
}

fs::path path_of(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string text_of(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// What happened to one file written into place.
enum class written { ok, taken, failed };

// Writes the bytes into a temporary file beside `target` and gives it the target's name, never
// over a file that is there: a hard link fails on an existing name, and where the file system
// has none the name is tested just before the rename.
written write_into_place(const fs::path& target, const std::string& bytes, std::string& error) {
  std::string part_name(1, '.');
  part_name += text_of(target.filename());
  part_name += ".part";
  const fs::path part = target.parent_path() / path_of(part_name);
  {
    std::ofstream file(part, std::ios::binary | std::ios::trunc);
    if (!file) {
      error = std::strerror(errno);
      return written::failed;
    }
    errno = 0;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.flush();
    file.close();
    if (!file) {
      error = errno != 0 ? std::strerror(errno) : "the file could not be written";
      std::error_code ignored;
      fs::remove(part, ignored);
      return written::failed;
    }
  }
  std::error_code ec;
  fs::create_hard_link(part, target, ec);
  if (!ec) {
    fs::remove(part, ec);
    return written::ok;
  }
  std::error_code ignored;
  if (ec == std::errc::file_exists || fs::exists(target, ignored)) {
    fs::remove(part, ignored);
    return written::taken;
  }
  fs::rename(part, target, ec);
  if (ec) {
    error = ec.message();
    fs::remove(part, ignored);
    return written::failed;
  }
  return written::ok;
}

// The message in the small font's code page: ASCII, and the Hungarian letters at their Latin-2
// codes; any other letter (of a folder's name, say) shows as '?'.
std::string in_font_code_page(const std::string& utf8) {
  static constexpr struct {
    char32_t letter;
    unsigned char code;
  } hungarian[] = {{U'Á', 0xC1}, {U'É', 0xC9}, {U'Í', 0xCD}, {U'Ó', 0xD3}, {U'Ö', 0xD6},
                   {U'Ő', 0xD5}, {U'Ú', 0xDA}, {U'Ü', 0xDC}, {U'Ű', 0xDB}, {U'á', 0xE1},
                   {U'é', 0xE9}, {U'í', 0xED}, {U'ó', 0xF3}, {U'ö', 0xF6}, {U'ő', 0xF5},
                   {U'ú', 0xFA}, {U'ü', 0xFC}, {U'ű', 0xFB}};
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    char32_t letter = length == 1 ? 0 : c & (0x7F >> length);
    for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
      letter = letter << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    char shown = '?';
    for (const auto& h : hungarian)
      if (h.letter == letter) shown = static_cast<char>(h.code);
    out += shown;
    i += length;
  }
  return out;
}

void show_message(const std::string& text) {
  out_state.message = text;
  out_state.message_since = win32::GetTickCount();
}

void save_now() {
  using namespace detail;
  const figure_state figure = current_figure();
  const std::string png = png_file(RESULT.DATA, WIDTH, scene_rows);
  const std::string title = chapter_title(SARGAMENU);
  const std::string svg =
      figure_svg(std::string(APPLICATIONID) + " – " + title, figure_line(figure),
                 BACKGROUND.DATA != nullptr ? svg_colour(BACKGROUND.DATA[0]) : std::string());
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (const std::tm* t = std::localtime(&now)) local = *t;
  const std::string stem = save_stem(SARGAMENU, local);
  const std::string folder = platform::pictures_folder();
  if (folder.empty()) {
    // the page keeps no files: it offers the two as downloads
    if (platform::offer_download(stem + ".png", "image/png", png) &&
        platform::offer_download(stem + ".svg", "image/svg+xml", svg)) {
      show_message((english() ? "Downloaded: " : "Letöltve: ") + stem + ".png, .svg");
      return;
    }
    orla::POST("SAVE ERROR", "The figure could not be saved:\rthere is no pictures folder.");
    return;
  }
  const save_result result = save_files(folder, stem, png, svg);
  if (!result.ok) {
    orla::POST("SAVE ERROR",
               "The figure could not be saved in the folder\r" + folder + "\r" + result.error);
    return;
  }
  show_message((english() ? "Saved: " : "Mentve: ") + result.png_path + ", .svg");
}

void copy_now() {
  const std::string line = detail::figure_line(detail::current_figure());
  if (platform::copy_to_clipboard(line))
    show_message((english() ? "Copied: " : "Másolva: ") + line);
  else
    show_message(english() ? "The clipboard took nothing" : "A vágólap nem vette át");
}

bool same_place(const detail::figure_state& a, const detail::figure_state& b) {
  for (int v = 0; v < 3; ++v)
    if (a.x[v] != b.x[v] || a.y[v] != b.y[v]) return false;
  return a.chapter == b.chapter;
}

}  // namespace

std::string detail::chapter_file_name(BYTE chapter) {
  return english() ? names_of(chapter).file_en : names_of(chapter).file_hu;
}

std::string detail::chapter_title(BYTE chapter) {
  return english() ? names_of(chapter).title_en : names_of(chapter).title_hu;
}

std::string detail::save_stem(BYTE chapter, const std::tm& when) {
  char stamp[32];
  if (std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &when) == 0) stamp[0] = '\0';
  return "vexel-" + chapter_file_name(chapter) + "-" + stamp;
}

detail::save_result detail::save_files(const std::string& folder, const std::string& base,
                                       const std::string& png, const std::string& svg) {
  save_result result;
  if (folder.empty()) {
    result.error = "no pictures folder is known";
    return result;
  }
  const fs::path dir = path_of(folder);
  std::error_code ec;
  if (!fs::exists(dir, ec)) {
    fs::create_directories(dir, ec);
    if (ec) {
      result.error = "The folder cannot be made: " + ec.message();
      return result;
    }
  }
  if (!fs::is_directory(dir, ec)) {
    result.error = "This is not a folder.";
    return result;
  }
  constexpr int last_suffix = 999;
  for (int n = 1; n <= last_suffix; ++n) {
    const std::string stem = n == 1 ? base : base + "-" + std::to_string(n);
    const fs::path png_path = dir / path_of(stem + ".png"), svg_path = dir / path_of(stem + ".svg");
    if (fs::exists(png_path, ec) || fs::exists(svg_path, ec)) continue;
    std::string error;
    const written first = write_into_place(png_path, png, error);
    if (first == written::taken) continue;
    if (first == written::failed) {
      result.error = error;
      return result;
    }
    const written second = write_into_place(svg_path, svg, error);
    if (second != written::ok) {
      // the two go together: a picture without its drawing is taken back
      fs::remove(png_path, ec);
      if (second == written::taken) continue;
      result.error = error;
      return result;
    }
    result.ok = true;
    result.png_path = text_of(png_path);
    result.svg_path = text_of(svg_path);
    return result;
  }
  result.error = "Every name up to -" + std::to_string(last_suffix) + " is taken.";
  return result;
}

void detail::request_save() {
  out_state.save_asked = true;
}

bool detail::save_requested() {
  return out_state.save_asked;
}

void detail::request_copy() {
  out_state.copy_asked = true;
}

void detail::take_figure_out() {
  if (out_state.copy_asked) {
    out_state.copy_asked = false;
    copy_now();
  }
  if (out_state.save_asked) {
    out_state.save_asked = false;
    save_now();
  }
  // the address follows the figure when a drag has ended or the chapter changed; a running
  // point alone does not rewrite it every frame
  if (MOZGAT) return;
  const figure_state now = current_figure();
  if (out_state.shared && same_place(now, out_state.last_shared)) return;
  const bool first = !out_state.shared;
  out_state.shared = true;
  out_state.last_shared = now;
  if (!first) platform::share_figure_line(figure_line(now));
}

std::string detail::figure_message() {
  if (out_state.message.empty()) return {};
  if (win32::GetTickCount() - out_state.message_since >= message_ms) out_state.message.clear();
  return out_state.message;
}

void detail::draw_figure_message() {
  std::string text = in_font_code_page(figure_message());
  if (text.empty()) return;
  // a long path keeps its end, where the file's name is
  if (text.size() > message_chars) text = "..." + text.substr(text.size() - (message_chars - 3));
  // the panel's own colour under it, read from the backdrop beside the title line
  const WORD panel =
      BACKGROUND.DATA != nullptr && BACKGROUND.BREITE == WIDTH
          ? BACKGROUND.DATA[static_cast<std::size_t>(message_top) * WIDTH + WIDTH - 1]
          : orla::PACK(5, 14, 9);
  for (LONGINT y = message_top; y <= message_bottom && y < RESULT.HOEHE; ++y)
    for (LONGINT x = message_x - 4; x < RESULT.BREITE; ++x)
      RESULT.DATA[static_cast<std::size_t>(y) * RESULT.BREITE + x] = panel;
  orla_text::OUTTEXTXY(RESULT, message_x, message_y, 31, 63, 31, text);
  copy_rows_to_large_frame(message_top, message_bottom, message_x - 4);
}

void detail::reset_figure_out() {
  out_state = figure_out_state{};
}

std::string detail::choose_start_figure(const std::vector<std::string>& arguments) {
  start_figure_given = false;
  start_figure_refusal.clear();
  std::string line;
  bool given = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--figure") {
      if (i + 1 == arguments.size()) {
        start_figure_refusal = figure_line_refusal("--figure needs a figure line");
        return "--figure needs a figure line";
      }
      line = arguments[++i];
      given = true;
    } else if (argument.rfind("--figure=", 0) == 0) {
      line = argument.substr(9);
      given = true;
    }
  }
  if (!given) return {};
  const figure_reading reading = read_figure_line(line);
  if (!reading.ok) {
    start_figure_refusal = figure_line_refusal(reading.error);
    return "the figure line cannot be used: " + reading.error + "; the default figure is shown";
  }
  start_figure_given = true;
  start_figure = reading.figure;
  return {};
}

void detail::use_start_figure() {
  if (!start_figure_refusal.empty())
    orla::POST("FIGURE LINE", start_figure_refusal);
  else if (start_figure_given)
    apply_figure(start_figure);
  // the figure the run starts with is what the address already says
  out_state.shared = true;
  out_state.last_shared = current_figure();
}

}  // namespace vexel
