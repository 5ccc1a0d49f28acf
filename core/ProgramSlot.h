// One built-in program: a name and the plug-in state stored in it. The core creates its slots
// at construction, uninitialised and named "empty"; their number never changes.
#pragma once

#include "core/FixedText.h"
#include "core/StateChunk.h"

constexpr int kProgramNameSize = 256;  // 255 characters and a NUL

struct ProgramSlot {
  bool initialized = false;  // true once the slot holds a state
  char name[kProgramNameSize] = "empty";
  StateChunk chunk;          // the state as written by WriteStateChunk

  // Copies name, cut to 255 characters.
  void SetName(const char* text) noexcept { CopyFixedText(name, text); }
};
