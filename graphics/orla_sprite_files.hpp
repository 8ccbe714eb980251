// orla_sprites (sprite files): reads and writes the raw sprite file and imports 24-bit PCX images.
#pragma once

#include <cstddef>
#include <string>

#include "orla.hpp"
#include "orla_files.hpp"

namespace orla_sprites {

using orla::BYTE;
using orla::LONGINT;
using orla::VIRTUALWINDOW;
using orla::WORD;

// The block of the most recent sprite or PCX load (nil after a PCX load).
inline void* MEMORY = nullptr;

// Loads a sprite file from disk (archive empty) or from an archive member. Fatal on failure.
void LOAD_SPRITE(const std::string& name, const std::string& archive, VIRTUALWINDOW& sprite);
// Writes the sprite to a loose file, asking before an existing file is replaced.
void SAVE_SPRITE(const std::string& name, VIRTUALWINDOW& sprite);
// Imports a run-length encoded 24-bit PCX image from disk or from an archive. Fatal on failure.
void LOAD_PCX(const std::string& name, const std::string& archive, VIRTUALWINDOW& sprite);

namespace detail {

using orla_files::detail::failure;
using orla_files::detail::outcome;

// Length of the PCX header in front of the image data.
inline constexpr std::size_t pcx_header_length = 128;

// Whether a sprite of the trailer's dimensions fits a block of the given size.
bool sprite_fits(LONGINT block_bytes, LONGINT trailer);

// The loads without the ending: on failure the record is left as it was and nothing stays
// allocated; on success it holds the picture exactly as the public routine leaves it.
outcome try_load_sprite(const std::string& name, const std::string& archive, VIRTUALWINDOW& sprite);
outcome try_load_pcx(const std::string& name, const std::string& archive, VIRTUALWINDOW& sprite);

// Checks and decodes a whole PCX file held in memory into a new picture; name is only used in
// the messages.
outcome decode_pcx(const BYTE* file, std::size_t size, const std::string& name,
                   VIRTUALWINDOW& sprite);

// Whether the record holds a buffer its dimensions describe, each dimension 1..65535.
bool sprite_savable(const VIRTUALWINDOW& sprite);
// Writes the sprite file (through a link, to its target) by a temporary file renamed into place
// with the old file's permission bits, or in place when the folder takes no new file; false
// when the file cannot be written (by the temporary file, an existing file is then untouched).
bool write_sprite_file(const std::string& name, const VIRTUALWINDOW& sprite);

}  // namespace detail

}  // namespace orla_sprites
