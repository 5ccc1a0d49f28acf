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

std::string PresetLastLine(const std::string& content) {
  size_t end = content.find_last_not_of("\r\n \t");
  if (end == std::string::npos) return std::string();
  ++end;
  const size_t feed = content.rfind('\n', end - 1);
  const size_t start = feed == std::string::npos ? 0 : feed + 1;
  return content.substr(start, end - start);
}

bool ReadPresetLastLine(const std::string& path, std::string& line) {
  std::string content;
  line.clear();
  if (ReadRegularFile(path, kPresetFileLimit, content) != FileReadStatus::Ok) return false;
  line = PresetLastLine(content);
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

int ParsePresetLine(const std::string& line, PresetValue values[kPresetElementCount], std::string& error,
                    const char** stoppedAt) {
  int count = 0;
  if (stoppedAt) *stoppedAt = nullptr;
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
    const Conversion conversion = ConvertToFloat(text, value);
    switch (conversion) {
      case Conversion::Ok:
        values[count++] = {element.paramIndex, value};
        break;
      case Conversion::Invalid:
      case Conversion::OutOfRange:
        error = conversion == Conversion::Invalid ? "invalid stof argument" : "stof argument out of range";
        if (stoppedAt) *stoppedAt = element.tag;
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

PresetFileCheck CheckPresetFile(const std::string& path) {
  PresetFileCheck check;
  std::string content;
  check.status = ReadRegularFile(path, kPresetFileLimit, content);
  if (check.status != FileReadStatus::Ok) return check;
  const std::string line = PresetLastLine(content);
  check.holdsNul = line.find('\0') != std::string::npos;
  PresetValue values[kPresetElementCount];
  check.count = ParsePresetLine(line, values, check.error, &check.stoppedAt);
  return check;
}

bool WritePresetFile(const std::string& path, const std::string& content) {
  // Renaming over a device or FIFO would replace it; writing into one could block.
  if (path.empty() || GetPathKind(path) == PathKind::Other) return false;
  std::string tempPath;
  std::FILE* file = CreateFileBeside(path, tempPath);
  if (!file) return false;
  const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  const bool closed = CloseFileDurably(file);
  if (written && closed && RenameOver(tempPath, path)) return true;
  std::remove(tempPath.c_str());
  return false;
}
