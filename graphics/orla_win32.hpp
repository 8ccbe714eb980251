// orla_win32: the window and input layer: one window, its messages turned into input globals.
#pragma once

#include "orla_types.hpp"
#include "win32.hpp"

namespace orla_win32 {

using orla::BOOLEAN;
using orla::BYTE;
using orla::LONGINT;
using orla::WORD;

// Last mouse position in client (frame) coordinates.
inline WORD M_X = 0;
inline WORD M_Y = 0;
// Left and right button held.
inline BOOLEAN M_L = false;
inline BOOLEAN M_R = false;
// Entry k is true while the key with virtual-key code k is held; 256 marks a key press as the
// last message handled.
inline BOOLEAN KTASTE[257] = {};
// A mouse move was handled since the last pump began, and how far it moved.
inline BOOLEAN M_MOVED = false;
inline LONGINT M_MOVED_DIFF = 0;

}  // namespace orla_win32
