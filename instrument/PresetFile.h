// The one-line text preset format: writing, bounded reading of the last line, the element
// search and the display name of a preset path. Pure functions; the instrument applies the
// values (see Sylvane).
#pragma once

#include "instrument/RegularFile.h"

#include <string>

// The sound parameters a preset stores, in file order.
struct PresetElement {
  int paramIndex;
  const char* tag;
};
constexpr int kPresetElementCount = 10;
extern const PresetElement kPresetElements[kPresetElementCount];

// Largest file read as a preset; a preset line is under 1 KiB, so anything bigger is not one.
constexpr size_t kPresetFileLimit = 64 * 1024;

// A double as a default-configured text stream writes it: 6 significant digits, no trailing
// zeros, scientific notation only when the exponent calls for it, '.' as decimal point.
std::string FormatPresetValue(double value);

// The full file content (no line break) for the ten values in kPresetElements order.
std::string BuildPresetLine(const double values[kPresetElementCount]);

// The line that holds the settings: the last line once trailing CR, LF, spaces and tabs are
// dropped, so a file an editor saved with a final line break reads like one without it.
std::string PresetLastLine(const std::string& content);

// Reads the preset line of a regular file of at most kPresetFileLimit bytes. False when the file
// cannot be opened, is not a regular file (a device or FIFO would never finish) or is too large.
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
// before it are still returned, and `stoppedAt` (when given) receives the failing element's tag
// (null when nothing stopped the conversion). Non-finite texts ("nan", "inf") count as out of range.
int ParsePresetLine(const std::string& line, PresetValue values[kPresetElementCount], std::string& error,
                    const char** stoppedAt = nullptr);

// What loading a preset file would apply, for callers that explain a failure to the user.
struct PresetFileCheck {
  FileReadStatus status = FileReadStatus::CannotOpen;
  int count = 0;                    // values the file applies; 0 means it does not load
  const char* stoppedAt = nullptr;  // tag of the element whose value stopped the read, or null
  std::string error;                // that element's conversion error
  bool holdsNul = false;            // a NUL byte in the line: likely UTF-16 text
};
PresetFileCheck CheckPresetFile(const std::string& path);

// The file name without folders and without its last extension, cut to 35 characters + "...".
std::string PresetDisplayName(const std::string& path);

// Writes `content` to a new file beside `path` and renames it over `path`, so that a failed write
// leaves any previous file whole. False, with nothing changed, when `path` names something other
// than a regular file or the file cannot be written.
bool WritePresetFile(const std::string& path, const std::string& content);
