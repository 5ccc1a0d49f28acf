// The reference is what `sylvane-render -f double` writes, read back from its file.
#include "tests/TestTmp.h"
#include "tests/hosts/vst2/ReferenceRender.h"

#include <sndfile.h>

#include <cstdio>
#include <cstdlib>

bool RenderReference(const ReferenceSetup& setup, std::vector<double>& left, std::vector<double>& right,
                     std::string& error) {
  // An empty preset library for the renderer and for the module loaded later in this process,
  // so that no preset on disk changes the settings of either side.
  setenv("SYLVANE_DOCUMENTS_DIR", TestTempPath("vst2-empty-documents").c_str(), 1);
  const std::string output = TestTempPath("vst2-reference.wav");
  char number[160];
  std::string command = std::string("'") + SYLVANE_RENDER_PATH + "' -q -f double";
  std::snprintf(number, sizeof number, " -r %.17g -b %d -d %.17g --tempo %.17g", setup.sampleRate, setup.blockSize,
                static_cast<double>(setup.frames) / setup.sampleRate, setup.tempo);
  command += number;
  for (const ReferenceSetup::Event& e : setup.events) {
    std::snprintf(number, sizeof number, " -e %lld:%d:%d:%d", e.sample, e.status, e.data1, e.data2);
    command += number;
  }
  if (!setup.paramName.empty()) {
    std::snprintf(number, sizeof number, "=%.17g", setup.paramValue);
    command += " -p " + setup.paramName + number;
  }
  command += " '" + output + "'";
  if (std::system(command.c_str()) != 0) {
    error = "renderer failed: " + command;
    return false;
  }

  SF_INFO info = {};
  SNDFILE* file = sf_open(output.c_str(), SFM_READ, &info);
  if (!file || info.channels != 2 || info.frames != setup.frames) {
    error = "unexpected renderer output " + output;
    if (file) sf_close(file);
    return false;
  }
  std::vector<double> interleaved(static_cast<size_t>(2 * info.frames));
  const sf_count_t read = sf_readf_double(file, interleaved.data(), info.frames);
  sf_close(file);
  std::remove(output.c_str());
  if (read != info.frames) {
    error = "short read of " + output;
    return false;
  }
  left.resize(static_cast<size_t>(info.frames));
  right.resize(static_cast<size_t>(info.frames));
  for (sf_count_t i = 0; i < info.frames; ++i) {
    left[static_cast<size_t>(i)] = interleaved[static_cast<size_t>(2 * i)];
    right[static_cast<size_t>(i)] = interleaved[static_cast<size_t>(2 * i + 1)];
  }
  return true;
}
