// The one-line text preset format: writing, bounded reading of the last line, the element
// search and the display name of a preset path. Pure functions; the instrument applies the
// values (see Sylvane).
#pragma once

#include <string>

// The sound parameters a preset stores, in file order.
struct PresetElement {
  int paramIndex;
  const char* tag;
};
constexpr int kPresetElementCount = 10;
extern const PresetElement kPresetElements[kPresetElementCount];

// Longest part of a line kept by ReadPresetLastLine; a valid preset line is under 1 KiB.
constexpr size_t kPresetLineLimit = 64 * 1024;

// A double as a default-configured text stream writes it: 6 significant digits, no trailing
// zeros, scientific notation only when the exponent calls for it, '.' as decimal point.
std::string FormatPresetValue(double value);

// The full file content (no line break) for the ten values in kPresetElements order.
std::string BuildPresetLine(const double values[kPresetElementCount]);

// Reads the file's last line (text after the last '\n'; empty when the file ends with one).
// At most kPresetLineLimit bytes of it are kept. False when the file cannot be opened.
bool ReadPresetLastLine(const std::string& path, std::string& line);

// One value found in a preset line, already narrowed to single precision.
struct PresetValue {
  int paramIndex;
  float value;
};

// Converts the elements of `line` in kPresetElements order into `values`; elements whose opening
// or closing tag is missing are skipped. Returns how many values were stored. A value text that
// holds no number or a number that does not fit a float stops the conversion there: `error`
// then receives "invalid stof argument" or "stof argument out of range" and the values found
// before it are still returned. Non-finite texts ("nan", "inf") count as out of range.
int ParsePresetLine(const std::string& line, PresetValue values[kPresetElementCount], std::string& error);

// The file name without folders and without its last extension, cut to 35 characters + "...".
std::string PresetDisplayName(const std::string& path);

// Writes `content` to `path`, replacing the file. False when it cannot be written.
bool WritePresetFile(const std::string& path, const std::string& content);
