// The monophonic MIDI voice: note stack with last-note priority, sustain pedal, retrigger
// counter and the controller table. Runs on the audio thread under the parameter lock.
#include "instrument/Sylvane.h"

#include "engine/KernelParams.h"
#include "gui/IGraphics.h"

#include <algorithm>

namespace {

constexpr int kMaxStackIndex = 100;
constexpr int kSustainController = 64;
constexpr int kSustainThreshold = 64;  // pedal values from here up hold
constexpr int kAllNotesOffController = 123;

// MIDI controller -> sound parameter it drives.
struct ControllerBinding {
  int controller;
  int paramIdx;
};
constexpr ControllerBinding kControllerTable[] = {
    {1, kSystemEnergyAmt}, {2, kAmpWindLevel},  {3, kAmpFoliageLevel},         {7, kAmpMainVolume},
    {8, kAmpFadeInOut},    {9, kWindDispersion}, {10, kWindSpeed},              {11, kModWindStochasticAmt},
    {12, kModFoliageStochasticAmt}, {13, kSoundfieldAmt},
};

}  // namespace

void Sylvane::HandleMidiMessage(const MidiMessage& message) {
  const int channel = message.status & 0x0F;
  const int wanted = static_cast<int>(GetParam(kMidiChannelInput)->Value() - 1.0);
  if (channel == wanted) mMidiQueue.Add(message);
}

void Sylvane::HandleQueuedMessage(const MidiMessage& message) {
  const int type = message.status >> 4;
  // Raw host data may carry data bytes above 127; they would index past the 128-entry arrays.
  if ((type == 0x8 || type == 0x9) && GetParam(kVoiceModeMonoPoly)->Value() == 0.0) {
    if (message.data1 > 127 || message.data2 > 127) return;
    if (type == 0x9 && message.data2 > 0) {
      NoteOn(message.data1, message.data2);
    } else {
      NoteOff(message.data1);
    }
  } else if (type == 0xB) {
    ControlChange(message.data1, message.data2);
  }
}

void Sylvane::NoteOn(int note, int velocity) {
  mHeld[note] = true;
  OpenVoice(note, velocity);
  if (GetParam(kVoiceRetrigOffOn)->Value() == 1.0) AdvanceRetrigger();
  mStackIndex = std::min(mStackIndex + 1, kMaxStackIndex);
  mNotes[mStackIndex] = note;
  mVelocities[mStackIndex] = velocity;
}

// The kernel clamps every value into its parameter's range, so none is clamped here first.
void Sylvane::OpenVoice(int note, int velocity) {
  SetKernelParam(mKernel, kVoice00_NoteGate, 1.0);
  SetKernelParam(mKernel, kVoice00_NoteNumber, note);
  SetKernelParam(mKernel, kVoice00_NoteVelocity, velocity);
  GetParam(kVoice00_NoteGate)->SetValue(1.0);
  GetParam(kVoice00_NoteNumber)->SetValue(note);
  GetParam(kVoice00_NoteVelocity)->SetValue(velocity);
}

void Sylvane::NoteOff(int note) {
  mHeld[note] = false;
  const int top = mNotes[mStackIndex];
  mStackIndex = std::max(mStackIndex - 1, 0);
  if (GetParam(kVoiceRetrigOffOn)->Value() == 1.0 && top == note && mStackIndex > 0) AdvanceRetrigger();

  int* found = std::find(mNotes, mNotes + 128, note);
  if (found != mNotes + 128) {
    const int p = static_cast<int>(found - mNotes);
    std::copy(mNotes + p + 1, mNotes + 128, mNotes + p);
    std::copy(mVelocities + p + 1, mVelocities + 128, mVelocities + p);
    mNotes[127] = 0;
    mVelocities[127] = 0;
  }

  if (mSustainPedal == 0) {
    SetKernelParam(mKernel, kVoice00_NoteGate, 0.0);
    SetKernelParam(mKernel, kVoice00_NoteNumber, note);
    GetParam(kVoice00_NoteGate)->SetValue(0.0);
    GetParam(kVoice00_NoteNumber)->SetValue(note);
  }
  if (std::find(mHeld, mHeld + 128, true) != mHeld + 128) {
    // Last-note priority: the voice returns to the most recent key still down.
    OpenVoice(mNotes[mStackIndex], mVelocities[mStackIndex]);
  }
}

void Sylvane::AdvanceRetrigger() {
  mRetrigger = mRetrigger + 0.01f;
  if (mRetrigger > 0.99f) mRetrigger = 0.0f;
  GetParam(kVoice00_NoteRetrig)->SetValue(mRetrigger);
  SetKernelParam(mKernel, kVoice00_NoteRetrig, mRetrigger);
}

void Sylvane::ControlChange(int controller, int value) {
  for (const ControllerBinding& binding : kControllerTable) {
    if (binding.controller != controller) continue;
    const double v = value / 127.0;
    GetParam(binding.paramIdx)->SetFromNormalized(v);
    SetKernelParam(mKernel, binding.paramIdx, v);
    if (IGraphics* graphics = Graphics()) graphics->PushParamToControls(binding.paramIdx, v, true);
    HandleParamChange(binding.paramIdx);
    return;
  }
  if (controller == kSustainController) {
    // MIDI 1.0: 64..127 hold, 0..63 release, so a continuous pedal never leaves the gate open.
    if (value < kSustainThreshold) {
      mSustainPedal = 0;
      if (GetParam(kVoiceModeMonoPoly)->Value() == 0.0 && std::find(mHeld, mHeld + 128, true) == mHeld + 128) {
        SetKernelParam(mKernel, kVoice00_NoteGate, 0.0);
        GetParam(kVoice00_NoteGate)->SetValue(0.0);
      }
    } else {
      mSustainPedal = 127;
    }
  } else if (controller == kAllNotesOffController) {
    ResetVoices();
  }
}

void Sylvane::ResetVoices() {
  std::fill(mHeld, mHeld + 128, false);
  std::fill(mNotes, mNotes + 128, 0);
  std::fill(mVelocities, mVelocities + 128, 0);
  mStackIndex = 0;
  mRetrigger = 0.0f;
  mSustainPedal = 0;
  SetKernelParam(mKernel, kVoice00_NoteGate, 0.0);
  GetParam(kVoice00_NoteGate)->SetValue(0.0);
}
