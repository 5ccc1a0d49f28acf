#include "instrument/PresetFile.h"

#include "engine/KernelParams.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale>
#include <sstream>

const PresetElement kPresetElements[kPresetElementCount] = {
    {kAmpFadeInOut, "AmpFadeInOut"},
    {kAmpFoliageLevel, "AmpFoliageLevel"},
    {kAmpMainVolume, "AmpMainVolume"},
    {kAmpWindLevel, "AmpWindLevel"},
    {kModFoliageStochasticAmt, "ModFoliageStochasticAmt"},
    {kModWindStochasticAmt, "ModWindStochasticAmt"},
    {kSoundfieldAmt, "SoundfieldAmt"},
    {kSystemEnergyAmt, "SystemEnergyAmt"},
    {kWindDispersion, "WindDispersion"},
    {kWindSpeed, "WindSpeed"},
};

std::string FormatPresetValue(double value) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out << value;
  return out.str();
}

std::string BuildPresetLine(const double values[kPresetElementCount]) {
  std::string line = "<Company>Korvel Audio</Company><Product>Sylvane</Product><Version>1.0.0</Version>";
  for (int i = 0; i < kPresetElementCount; ++i) {
    const std::string tag = kPresetElements[i].tag;
    line += "<" + tag + ">" + FormatPresetValue(values[i]) + "</" + tag + ">";
  }
  return line;
}

bool ReadPresetLastLine(const std::string& path, std::string& line) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  line.clear();
  char chunk[4096];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    for (size_t i = 0; i < got; ++i) {
      if (chunk[i] == '\n') {
        line.clear();
      } else if (line.size() < kPresetLineLimit) {
        line.push_back(chunk[i]);
      }
    }
  }
  std::fclose(file);
  return true;
}

namespace {

enum class Conversion { Ok, Invalid, OutOfRange };

// Leading white space skipped, decimal or scientific notation, stops at the first character
// that cannot belong to the number.
Conversion ConvertToFloat(const std::string& text, float& value) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const double parsed = std::strtod(begin, &end);
  if (end == begin) return Conversion::Invalid;
  if (errno == ERANGE || !std::isfinite(parsed)) return Conversion::OutOfRange;
  const float narrowed = static_cast<float>(parsed);
  if (!std::isfinite(narrowed)) return Conversion::OutOfRange;
  value = narrowed;
  return Conversion::Ok;
}

}  // namespace

int ParsePresetLine(const std::string& line, PresetValue values[kPresetElementCount], std::string& error) {
  int count = 0;
  for (const PresetElement& element : kPresetElements) {
    const std::string open = std::string("<") + element.tag + ">";
    const std::string close = std::string("</") + element.tag + ">";
    const size_t openAt = line.find(open);
    const size_t closeAt = line.find(close);
    if (openAt == std::string::npos || closeAt == std::string::npos) continue;
    const size_t start = openAt + open.size();
    // A closing tag before the opening one leaves nothing between them.
    const std::string text = closeAt > start ? line.substr(start, closeAt - start) : std::string();
    float value = 0.0f;
    switch (ConvertToFloat(text, value)) {
      case Conversion::Ok:
        values[count++] = {element.paramIndex, value};
        break;
      case Conversion::Invalid:
        error = "invalid stof argument";
        return count;
      case Conversion::OutOfRange:
        error = "stof argument out of range";
        return count;
    }
  }
  return count;
}

std::string PresetDisplayName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.erase(dot);
  if (name.size() > 35) name = name.substr(0, 35) + "...";
  return name;
}

bool WritePresetFile(const std::string& path, const std::string& content) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  return std::fclose(file) == 0 && written;
}
