#include "tools/render/RenderOptions.h"

#include "engine/KernelParams.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <vector>

bool ParseNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const double parsed = std::strtod(begin, &end);
  if (end == begin || *end != '\0' || errno == ERANGE || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

namespace {

std::vector<std::string> SplitColons(const std::string& text) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t colon = text.find(':', start);
    fields.push_back(text.substr(start, colon - start));
    if (colon == std::string::npos) return fields;
    start = colon + 1;
  }
}

// A whole number in [lo, hi], decimal or 0x-hex.
bool ParseInteger(const std::string& text, long long lo, long long hi, long long& value) {
  if (text.empty()) return false;
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const long long parsed = std::strtoll(begin, &end, hex ? 16 : 10);
  if (end == begin || *end != '\0' || errno == ERANGE || parsed < lo || parsed > hi) return false;
  value = parsed;
  return true;
}

// ON[:OFF[:KEY[:VEL]]]; OFF may be left empty to give a key without an off time.
bool ParseNote(const std::string& text, NoteSpan& note) {
  const std::vector<std::string> f = SplitColons(text);
  if (f.size() > 4) return false;
  if (!ParseNumber(f[0], note.onSeconds) || note.onSeconds < 0.0) return false;
  note.hasOff = f.size() > 1 && !f[1].empty();
  if (note.hasOff && (!ParseNumber(f[1], note.offSeconds) || note.offSeconds < note.onSeconds)) return false;
  if (f.size() > 1 && f[1].empty() && f.size() == 2) return false;
  long long key = note.key, velocity = note.velocity;
  if (f.size() > 2 && !ParseInteger(f[2], 0, 127, key)) return false;
  if (f.size() > 3 && !ParseInteger(f[3], 1, 127, velocity)) return false;
  note.key = static_cast<int>(key);
  note.velocity = static_cast<int>(velocity);
  return true;
}

// TIME:CONTROLLER:VALUE, a channel-1 control change.
bool ParseControlChange(const std::string& text, TimedMessage& message) {
  const std::vector<std::string> f = SplitColons(text);
  long long controller = 0, value = 0;
  if (f.size() != 3 || !ParseNumber(f[0], message.seconds) || message.seconds < 0.0 ||
      !ParseInteger(f[1], 0, 127, controller) || !ParseInteger(f[2], 0, 127, value))
    return false;
  message.status = 0xB0;
  message.data1 = static_cast<unsigned char>(controller);
  message.data2 = static_cast<unsigned char>(value);
  return true;
}

// SAMPLE:STATUS:DATA1:DATA2, raw bytes as a host may deliver them (data bytes up to 255).
bool ParseRawEvent(const std::string& text, TimedMessage& message) {
  const std::vector<std::string> f = SplitColons(text);
  long long sample = 0, status = 0, d1 = 0, d2 = 0;
  if (f.size() != 4 || !ParseInteger(f[0], 0, 1LL << 40, sample) || !ParseInteger(f[1], 0, 255, status) ||
      !ParseInteger(f[2], 0, 255, d1) || !ParseInteger(f[3], 0, 255, d2))
    return false;
  message.atSample = true;
  message.sample = sample;
  message.status = static_cast<unsigned char>(status);
  message.data1 = static_cast<unsigned char>(d1);
  message.data2 = static_cast<unsigned char>(d2);
  return true;
}

bool ParseParam(const std::string& text, ParamSetting& setting, std::string& error) {
  const size_t eq = text.find('=');
  if (eq == std::string::npos) {
    error = "parameter setting '" + text + "' is not NAME=VALUE";
    return false;
  }
  const std::string name = text.substr(0, eq);
  setting.index = FindKernelParam(name.c_str());
  if (setting.index < 0) {
    error = "unknown parameter '" + name + "'";
    return false;
  }
  if (!ParseNumber(text.substr(eq + 1), setting.value)) {
    error = "bad value for parameter '" + name + "': '" + text.substr(eq + 1) + "'";
    return false;
  }
  return true;
}

bool ParseFormat(const std::string& text, SampleFormat& format) {
  if (text == "pcm16") format = SampleFormat::Pcm16;
  else if (text == "pcm24") format = SampleFormat::Pcm24;
  else if (text == "float") format = SampleFormat::Float;
  else if (text == "double") format = SampleFormat::Double;
  else return false;
  return true;
}

}  // namespace

bool ParseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string value;
    bool hasInlineValue = false;
    if (arg.size() > 2 && arg[0] == '-' && arg[1] == '-') {
      const size_t eq = arg.find('=');
      if (eq != std::string::npos) {
        value = arg.substr(eq + 1);
        arg = arg.substr(0, eq);
        hasInlineValue = true;
      }
    }
    // Fetches the option's value from "--opt=value" or from the next argument.
    auto takeValue = [&]() -> bool {
      if (hasInlineValue) return true;
      if (i + 1 >= argc) {
        error = "option " + arg + " needs a value";
        return false;
      }
      value = argv[++i];
      return true;
    };
    auto bad = [&](const char* what) {
      error = std::string("bad ") + what + " '" + value + "'";
      return false;
    };

    if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "-q" || arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "-r" || arg == "--rate") {
      if (!takeValue()) return false;
      if (!ParseNumber(value, options.sampleRate) || options.sampleRate < 1000.0 || options.sampleRate > 768000.0 ||
          options.sampleRate != std::floor(options.sampleRate))
        return bad("sample rate (a whole number of Hz, 1000 to 768000)");
    } else if (arg == "-b" || arg == "--block") {
      double block = 0.0;
      if (!takeValue()) return false;
      if (!ParseNumber(value, block) || block < 1.0 || block > 65536.0 || block != std::floor(block))
        return bad("block size (1 to 65536)");
      options.blockSize = static_cast<int>(block);
    } else if (arg == "-d" || arg == "--seconds") {
      if (!takeValue()) return false;
      if (!ParseNumber(value, options.seconds) || options.seconds < 0.0 || options.seconds > 86400.0)
        return bad("duration (0 to 86400 s)");
      options.secondsGiven = true;
    } else if (arg == "-n" || arg == "--note") {
      NoteSpan note;
      if (!takeValue()) return false;
      if (!ParseNote(value, note)) return bad("note (ON[:OFF[:KEY[:VEL]]], seconds, OFF >= ON, KEY 0-127, VEL 1-127)");
      options.notes.push_back(note);
    } else if (arg == "-c" || arg == "--cc") {
      TimedMessage message;
      if (!takeValue()) return false;
      if (!ParseControlChange(value, message)) return bad("control change (TIME:CONTROLLER:VALUE, 0-127)");
      options.messages.push_back(message);
    } else if (arg == "-e" || arg == "--event") {
      TimedMessage message;
      if (!takeValue()) return false;
      if (!ParseRawEvent(value, message)) return bad("event (SAMPLE:STATUS:DATA1:DATA2, bytes 0-255)");
      options.messages.push_back(message);
    } else if (arg == "-m" || arg == "--midi") {
      if (!takeValue()) return false;
      if (value.empty()) return bad("MIDI file name");
      options.midiFiles.push_back(value);
    } else if (arg == "--channel") {
      long long channel = 0;
      if (!takeValue()) return false;
      if (!ParseInteger(value, 1, 16, channel)) return bad("MIDI channel (1 to 16)");
      options.midiChannel = static_cast<int>(channel);
    } else if (arg == "--list-presets") {
      options.listPresets = true;
    } else if (arg == "--list-params") {
      options.listParams = true;
    } else if (arg == "--tempo") {
      if (!takeValue()) return false;
      if (!ParseNumber(value, options.tempo) || options.tempo < 0.0) return bad("tempo (BPM)");
    } else if (arg == "-P" || arg == "--preset") {
      if (!takeValue()) return false;
      if (value.empty()) return bad("preset");
      options.preset = value;
    } else if (arg == "--save-preset") {
      if (!takeValue()) return false;
      if (value.empty()) return bad("preset file name");
      options.savePreset = value;
    } else if (arg == "-p" || arg == "--param") {
      ParamSetting setting;
      if (!takeValue() || !ParseParam(value, setting, error)) return false;
      options.params.push_back(setting);
    } else if (arg == "-f" || arg == "--format") {
      if (!takeValue()) return false;
      if (!ParseFormat(value, options.format)) return bad("format (pcm16, pcm24, float or double)");
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      error = "unknown option '" + arg + "'";
      return false;
    } else if (options.output.empty()) {
      options.output = arg;
    } else {
      error = "more than one output file given ('" + options.output + "' and '" + arg + "')";
      return false;
    }
  }
  if (!options.help && !options.listPresets && !options.listParams && options.output.empty() &&
      options.savePreset.empty()) {
    error = "no output file given";
    return false;
  }
  return true;
}

const char* RenderUsage() {
  return "usage: sylvane-render [options] OUTPUT.wav|OUTPUT.flac\n"
         "Renders the wind and foliage synthesiser, played from MIDI, to an audio file.\n"
         "\n"
         "  -r, --rate HZ          sample rate, a whole number of Hz (default 48000)\n"
         "  -b, --block N          block length in samples (default 512); events reach the\n"
         "                         instrument at the start of their block: -b 64 for tight timing\n"
         "  -d, --seconds S        length in seconds (default 10, or the MIDI files' length plus\n"
         "                         the release when -m is given; 0 writes an empty file)\n"
         "  -n, --note ON[:OFF[:KEY[:VEL]]]\n"
         "                         note-on at ON and note-off at OFF seconds (key 60, velocity 100);\n"
         "                         repeatable. Without -n, -e or -m one note is held throughout\n"
         "  -c, --cc TIME:CONTROLLER:VALUE   channel-1 control change at TIME seconds; repeatable\n"
         "  -e, --event SAMPLE:STATUS:DATA1:DATA2\n"
         "                         raw MIDI message at an absolute sample (decimal or 0x-hex); repeatable\n"
         "  -m, --midi FILE.mid    play the channel-1 messages of a standard MIDI file\n"
         "      --channel N        play channel N's messages of the MIDI files instead (1-16)\n"
         "      --tempo BPM        host tempo the instrument reads each block (default 120)\n"
         "  -P, --preset P         load a preset file, or a library entry by index (1-106) or name\n"
         "      --save-preset FILE write the settings as a preset file after all options (OUTPUT may\n"
         "                         then be left out)\n"
         "  -p, --param NAME=VALUE set a parameter's plain value by name (clamped to its range);\n"
         "                         repeatable\n"
         "  -f, --format F         pcm16, pcm24 (default), float or double\n"
         "  -q, --quiet            no progress display\n"
         "      --list-presets     the preset library: index, name, installed or not\n"
         "      --list-params      every parameter: name, range, default, MIDI controller\n"
         "  -h, --help             this text\n";
}
