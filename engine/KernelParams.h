// Indices of the kernel's 26 parameters. The index is the identity everywhere: plug-in parameter i
// drives kernel parameter i. The order follows the ascending byte order of the names.
#pragma once

enum KernelParam : int {
  kAmpFadeInOut = 0,
  kAmpFoliageLevel,
  kAmpMainVolume,
  kAmpWindLevel,
  kHostBarStartPulse,
  kHostTempoBpm,
  kHostTransportIsRunning,
  kMidiChannelInput,
  kModFoliageStochasticAmt,
  kModWindStochasticAmt,
  kPresetBackward,
  kPresetForward,
  kPresetLoad,
  kPresetSave,
  kPresetSelector,
  kSoundfieldAmt,
  kSystemEnergyAmt,
  kVoice00_NoteGate,
  kVoice00_NoteNumber,
  kVoice00_NoteRetrig,
  kVoice00_NoteVelocity,
  kVoiceModeMonoPoly,
  kVoiceRetrigOffOn,
  kWindDispersion,
  kWindSpeed,
  kzInitParams,
  kKernelParamCount
};

// The parameter's name, or null outside 0..25.
const char* KernelParamName(int index) noexcept;

// Index of the parameter with exactly this name, or -1 (also for a null name).
int FindKernelParam(const char* name) noexcept;
