#include "core/HostIdentity.h"

#include <cctype>
#include <cstring>

namespace {

struct HostNameEntry {
  const char* text;
  HostKind kind;
};

// Searched in this order: a name holding two of these texts gets the earlier one, so "cubase"
// beats "nuendo" and the short "live" only decides when nothing before it matched.
constexpr HostNameEntry kHostNames[] = {
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostCakewalk},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFruity},
    {"live", kHostLive},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVstManLib},
    {"aulab", kHostAuLab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSawStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostPreSonus},
    {"vst3plugintesthost", kHostVst3TestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"standalone", kHostStandalone},
};

constexpr int kMaxHostNameChars = 255;

}  // namespace

HostKind IdentifyHost(const char* name) noexcept {
  if (!name) return kHostUnknown;
  char lower[kMaxHostNameChars + 1];
  int n = 0;
  for (; n < kMaxHostNameChars && name[n] != '\0'; ++n) {
    lower[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[n])));
  }
  lower[n] = '\0';
  for (const HostNameEntry& entry : kHostNames) {
    if (std::strstr(lower, entry.text)) return entry.kind;
  }
  return kHostUnknown;
}
