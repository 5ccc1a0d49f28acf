// sylvane-editor-snapshot: renders the instrument's editor offscreen into a PNG. One executable
// per editor scale (the instrument is built for one); the other scale is handed to the sibling.
#include "gui/IGraphicsOffscreen.h"
#include "instrument/Sylvane.h"
#include "raster/LICE_Raster.h"
#include "raster/LICE_SysBitmap.h"
#include "tools/render/PresetChoice.h"
#include "tools/snapshot/SnapshotOptions.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {
int Fail(const std::string& error, int status) {
  std::fprintf(stderr, "sylvane-editor-snapshot: %s\n", error.c_str());
  return status;
}

// Runs the executable for the other scale, which sits beside this one.
int HandOver(const char* self, char** argv) {
  std::string path = self;
  const size_t slash = path.find_last_of('/');
  path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + SYLVANE_SNAPSHOT_SIBLING;
  execv(path.c_str(), argv);
  return Fail("cannot run " + path, 2);
}
}  // namespace

int main(int argc, char** argv) {
  SnapshotOptions options;
  std::string error;
  if (!ParseSnapshotOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "%s", SnapshotUsage());
    return Fail(error, 1);
  }
  if (options.help) {
    std::printf("%s", SnapshotUsage());
    return 0;
  }
  if (options.scale != SylvaneAdapter::kEditorScale) return HandOver(argv[0], argv);

  auto plug = std::make_unique<Sylvane>(SylvaneAdapter::InstanceInfo());
  plug->Activate(48000.0, 512);
  std::string presetPath, warning;
  if (!options.preset.empty() && !LoadPresetChoice(*plug, options.preset, presetPath, error, warning))
    return Fail(error, 2);
  if (!warning.empty()) std::fprintf(stderr, "sylvane-editor-snapshot: warning: %s\n", warning.c_str());
  plug->WaitForPresetFiles();  // a library preset loads on the plug-in's worker thread
  for (const ParamSetting& setting : options.params) plug->SetParamPlain(setting.index, setting.value);

  auto* g = static_cast<IGraphicsOffscreen*>(plug->Graphics());
  if (!g || !g->BackBuffer()) return Fail("the editor has no drawing surface", 2);
  g->OpenEditorWindow(nullptr);
  for (const MouseDrag& d : options.drags) g->Drag(d.x, d.y, d.dX, d.dY);
  g->DrawRect(GuiRect{0, 0, g->Width(), g->Height()});
  if (!LICE::WritePNG(options.output.c_str(), *g->BackBuffer(), true)) {  // as a window shows it
    return Fail("cannot write '" + options.output + "'", 2);
  }
  return 0;
}
