// platform: the user's services on Windows (the Windows program): the Pictures known folder
// and the Windows clipboard as Unicode text. Windows has no downloads for a program and no
// address to keep the figure in.
#include <windows.h>
// after <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <string>

#include "user_services.hpp"

namespace platform {

namespace {

std::string utf8_of(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(size) - 1);
  return out;
}

std::wstring wide_of(const std::string& text) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  if (size <= 0) return {};
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), size);
  out.resize(static_cast<std::size_t>(size) - 1);
  return out;
}

std::string& folder_for_tests() {
  static std::string folder;
  return folder;
}

}  // namespace

void detail::set_pictures_folder(const std::string& folder) {
  folder_for_tests() = folder;
}

std::string pictures_folder() {
  if (!folder_for_tests().empty()) return folder_for_tests();
  PWSTR path = nullptr;
  std::string folder;
  // KF_FLAG_CREATE: a profile without the folder yet gets it, as Explorer would make it
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_CREATE, nullptr, &path)))
    folder = utf8_of(path);
  CoTaskMemFree(path);
  return folder;
}

bool offer_download(const std::string&, const std::string&, const std::string&) {
  return false;
}

bool copy_to_clipboard(const std::string& text) {
  const std::wstring wide = wide_of(text);
  const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (block == nullptr) return false;
  void* memory = GlobalLock(block);
  if (memory == nullptr) {
    GlobalFree(block);
    return false;
  }
  CopyMemory(memory, wide.c_str(), bytes);
  GlobalUnlock(block);
  if (!OpenClipboard(nullptr)) {
    GlobalFree(block);
    return false;
  }
  EmptyClipboard();
  // the clipboard owns the block once it took it
  const bool taken = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  CloseClipboard();
  if (!taken) GlobalFree(block);
  return taken;
}

void share_figure_line(const std::string&) {}

}  // namespace platform
