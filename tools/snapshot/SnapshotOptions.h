// Command-line options of sylvane-editor-snapshot, parsed into a plain record (testable without
// rendering). Parsing never exits: it reports the first problem as text.
#pragma once

#include "tools/render/RenderOptions.h"

#include <string>
#include <vector>

struct MouseDrag {
  int x = 0, y = 0, dX = 0, dY = 0;  // editor pixels at the chosen scale
};

struct SnapshotOptions {
  int scale = 2;  // 2: the VST 3 module's editor (1000 x 960), 1: the VST 2 module's (500 x 480)
  std::string preset;
  std::vector<ParamSetting> params;
  std::vector<MouseDrag> drags;
  std::string output;
  bool help = false;
};

bool ParseSnapshotOptions(int argc, const char* const* argv, SnapshotOptions& options, std::string& error);
const char* SnapshotUsage();
