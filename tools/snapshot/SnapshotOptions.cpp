#include "tools/snapshot/SnapshotOptions.h"

#include <cstdio>

namespace {
bool ParseDrag(const std::string& text, MouseDrag& drag) {
  char tail = 0;
  return std::sscanf(text.c_str(), "%d,%d,%d,%d%c", &drag.x, &drag.y, &drag.dX, &drag.dY, &tail) == 4;
}
}  // namespace

bool ParseSnapshotOptions(int argc, const char* const* argv, SnapshotOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    std::string value;
    auto takeValue = [&]() {
      if (i + 1 >= argc) {
        error = "option '" + arg + "' needs a value";
        return false;
      }
      value = argv[++i];
      return true;
    };
    if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "--scale") {
      if (!takeValue()) return false;
      if (value == "vst3") {
        options.scale = 2;
      } else if (value == "vst2") {
        options.scale = 1;
      } else {
        error = "bad scale '" + value + "' (vst3 or vst2)";
        return false;
      }
    } else if (arg == "-P" || arg == "--preset") {
      if (!takeValue()) return false;
      options.preset = value;
    } else if (arg == "-p" || arg == "--param") {
      ParamSetting setting;
      if (!takeValue() || !ParseParam(value, setting, error)) return false;
      options.params.push_back(setting);
    } else if (arg == "--drag") {
      MouseDrag drag;
      if (!takeValue()) return false;
      if (!ParseDrag(value, drag)) {
        error = "bad drag '" + value + "' (X,Y,DX,DY)";
        return false;
      }
      options.drags.push_back(drag);
    } else if (!arg.empty() && arg[0] == '-') {
      error = "unknown option '" + arg + "'";
      return false;
    } else if (options.output.empty()) {
      options.output = arg;
    } else {
      error = "more than one output file given ('" + options.output + "' and '" + arg + "')";
      return false;
    }
  }
  if (!options.help && options.output.empty()) {
    error = "no output file given";
    return false;
  }
  return true;
}

const char* SnapshotUsage() {
  return "usage: sylvane-editor-snapshot [--scale vst3|vst2] [-P PRESET] [-p NAME=VALUE]...\n"
         "                               [--drag X,Y,DX,DY]... OUT.png\n"
         "Renders the instrument's editor into a PNG image.\n"
         "  --scale S              vst3: the 1000 x 960 editor (default); vst2: the 500 x 480 editor\n"
         "  -P, --preset P         load a preset file, or a library entry by index (1-106) or name\n"
         "  -p, --param NAME=VALUE set a parameter's plain value as a host does (after the preset)\n"
         "      --drag X,Y,DX,DY   press at X,Y (editor pixels), move by DX,DY, release (in order,\n"
         "                         after the parameters)\n";
}
