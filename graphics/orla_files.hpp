// orla_files: loads a whole file, or a whole archive member, into one new memory block.
#pragma once

#include <optional>
#include <string>

#include "orla_types.hpp"

namespace orla_files {

using orla::LONGINT;

// Loads the whole file into a new block P; returns the file size. Fatal on failure.
LONGINT FILE2MEM(const std::string& name, void*& P);
// Loads the whole archive member into a new block P; returns the member size. Fatal on failure.
LONGINT BIGFILE2MEM(const std::string& member, const std::string& archive, void*& P);
// Loads all but the last 4 bytes of a sprite file into P and those 4 into DIMS; returns the
// file size. Fatal on failure.
LONGINT FILESPR2MEM(const std::string& name, void*& P, LONGINT& DIMS);
// The same for an archive member; the block is allocated at the full member size.
LONGINT BIGFILESPR2MEM(const std::string& member, const std::string& archive, void*& P,
                       LONGINT& DIMS);

namespace detail {

// A refusal ready to be shown: the message box caption and text.
struct failure {
  std::string caption;
  std::string text;
};
// Empty when the load succeeded.
using outcome = std::optional<failure>;

// The read-access message naming a loose file.
failure read_failure(const std::string& name);
// The message for an archive member that could not be read.
failure sub_file_failure(const std::string& member, const std::string& archive);
// Shows the refusal and ends the program.
[[noreturn]] void fail(const failure& f);

// The loaders without the ending: on failure P is nil and nothing is left allocated or open;
// on success size receives the result of the matching public routine.
outcome try_file2mem(const std::string& name, void*& P, LONGINT& size);
outcome try_bigfile2mem(const std::string& member, const std::string& archive, void*& P,
                        LONGINT& size);
outcome try_filespr2mem(const std::string& name, void*& P, LONGINT& DIMS, LONGINT& size);
outcome try_bigfilespr2mem(const std::string& member, const std::string& archive, void*& P,
                           LONGINT& DIMS, LONGINT& size);

}  // namespace detail

}  // namespace orla_files
