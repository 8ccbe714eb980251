// Test support: compares two pictures pixel for pixel and, when they differ, writes both as PNG
// files so that the difference can be looked at.
#pragma once

#include <gtest/gtest.h>
#if __has_include(<png.h>)
#include <png.h>
#define ORLA_IMAGE_COMPARE_PNG 1
#endif

#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "orla.hpp"

namespace image_test {

// Where the pictures of a failed comparison go: a folder in the build tree (or the temporary
// folder), one pair of files per test.
inline std::filesystem::path failure_folder() {
#ifdef ORLA_BINARY_DIR
  return std::filesystem::path(ORLA_BINARY_DIR) / "failed-images";
#else
  return std::filesystem::temp_directory_path() / "orla-failed-images";
#endif
}

// Writes the picture as an 8-bit RGB PNG file; false when it cannot be written (also where the
// build has no libpng: the cross build for Windows).
inline bool write_png(const orla::VIRTUALWINDOW& vw, const std::filesystem::path& file) {
#ifndef ORLA_IMAGE_COMPARE_PNG
  (void)vw;
  (void)file;
  return false;
#else
  const auto pixels = static_cast<std::size_t>(vw.BREITE) * static_cast<std::size_t>(vw.HOEHE);
  if (vw.DATA == nullptr || pixels == 0) return false;
  std::vector<png_byte> rgb(3 * pixels);
  for (std::size_t i = 0; i < pixels; ++i) orla::detail::to_rgb8(vw.DATA[i], &rgb[3 * i]);
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(vw.BREITE);
  image.height = static_cast<png_uint_32>(vw.HOEHE);
  image.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, file.string().c_str(), 0, rgb.data(), 0, nullptr) != 0;
#endif
}

// The name of the running test, usable in a file name.
inline std::string current_test_name() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = info == nullptr ? "image" : std::string(info->test_suite_name()) + "." +
                                                     info->name();
  for (char& c : name)
    if (c == '/') c = '_';
  return name;
}

// Empty when both pictures hold the same pixels. Otherwise how many pixels differ and where the
// first one is, and where both pictures were written (<test>-got.png, <test>-expected.png).
inline std::string difference(const orla::VIRTUALWINDOW& got, const orla::VIRTUALWINDOW& expected) {
  std::ostringstream text;
  if (got.BREITE != expected.BREITE || got.HOEHE != expected.HOEHE) {
    text << "sizes differ: " << got.BREITE << " x " << got.HOEHE << " against " << expected.BREITE
         << " x " << expected.HOEHE;
    return text.str();
  }
  long count = 0, first = -1;
  for (long i = 0; i < long{got.BREITE} * got.HOEHE; ++i)
    if (got.DATA[i] != expected.DATA[i]) {
      if (first < 0) first = i;
      ++count;
    }
  if (count == 0) return {};
  text << count << " pixels differ, the first at (" << first % got.BREITE << ", "
       << first / got.BREITE << "): " << got.DATA[first] << " against " << expected.DATA[first];
  std::error_code error;
  const std::filesystem::path folder = failure_folder();
  std::filesystem::create_directories(folder, error);
  const std::string name = current_test_name();
  const std::filesystem::path got_file = folder / (name + "-got.png");
  const std::filesystem::path expected_file = folder / (name + "-expected.png");
  if (write_png(got, got_file) && write_png(expected, expected_file))
    text << "; written to " << got_file.string() << " and " << expected_file.string();
  else
    text << "; the pictures could not be written to " << folder.string();
  return text.str();
}

}  // namespace image_test
