// Fuzz support: the readers take file names, so each input is written to a scratch file first.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "orla.hpp"

namespace fuzz {

// A scratch file of this process, rewritten for every input.
inline std::string write_input(const char* tag, const std::uint8_t* data, std::size_t size) {
  static const std::string base = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/orla_fuzz_" + std::to_string(::getpid());
  }();
  const std::string path = base + "_" + tag;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  return path;
}

// Every accounted block must be given back after each input.
inline void expect_no_blocks_held() {
  if (orla::TOTALALLOCMEMORY != 0) {
    std::fprintf(stderr, "accounted memory left after an input: %d\n", orla::TOTALALLOCMEMORY);
    std::abort();
  }
}

// Stops the run when a reader's result contradicts the input.
inline void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
  }
}

}  // namespace fuzz
