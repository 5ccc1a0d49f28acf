#include "engine/KernelParams.h"

#include <cstring>

namespace {
const char* const kNames[kKernelParamCount] = {
    "AmpFadeInOut",      "AmpFoliageLevel",        "AmpMainVolume",         "AmpWindLevel",
    "HostBarStartPulse", "HostTempoBpm",           "HostTransportIsRunning", "MidiChannelInput",
    "ModFoliageStochasticAmt", "ModWindStochasticAmt", "PresetBackward",    "PresetForward",
    "PresetLoad",        "PresetSave",             "PresetSelector",        "SoundfieldAmt",
    "SystemEnergyAmt",   "Voice00_NoteGate",       "Voice00_NoteNumber",    "Voice00_NoteRetrig",
    "Voice00_NoteVelocity", "VoiceModeMonoPoly",   "VoiceRetrigOffOn",      "WindDispersion",
    "WindSpeed",         "zInitParams"};
}  // namespace

const char* KernelParamName(int index) noexcept {
  return index >= 0 && index < kKernelParamCount ? kNames[index] : nullptr;
}

int FindKernelParam(const char* name) noexcept {
  if (name == nullptr) return -1;
  for (int i = 0; i < kKernelParamCount; ++i) {
    if (std::strcmp(kNames[i], name) == 0) return i;
  }
  return -1;
}
