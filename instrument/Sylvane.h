// The Sylvane instrument: 26 parameters mirrored one to one into a SynthKernel, a monophonic
// MIDI voice with last-note priority, and the preset file library. The same code is built into
// every module; it derives from the host adapter of the module it is built into, which each
// module names in its own SylvaneAdapter.h (`using SylvaneAdapter = IPlugXxx;`).
#pragma once

#include "SylvaneAdapter.h"

#include "engine/SynthKernel.h"
#include "instrument/MidiEventQueue.h"

#include <string>

class IFileSelectorControl;
class ITextControl;

constexpr int kSylvaneParamCount = 26;
constexpr int kSylvaneEditorWidth = SylvaneAdapter::kEditorWidth;
constexpr int kSylvaneEditorHeight = SylvaneAdapter::kEditorHeight;

class Sylvane : public SylvaneAdapter {
 public:
  // Any thread, under the module's creation lock (held by the module entry).
  explicit Sylvane(const SylvaneAdapter::InstanceInfo& info);
  ~Sylvane() override;

  // Overrides of the plug-in core. OnReset and HandleParamChange take the parameter lock;
  // ProcessBlock and HandleMidiMessage run on the audio thread with the lock already held.
  void OnReset() override;
  void HandleParamChange(int paramIdx) override;
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;
  void HandleMidiMessage(const MidiMessage& message) override;

  // Forgets every note and closes the kernel's gate (caller holds the parameter lock).
  void ResetVoices();

  // Preset files (caller holds the parameter lock). WritePreset writes the ten sound parameters to
  // the save selector's path; ReadPreset applies the load selector's file. Both show the file's
  // display name in the preset name text. Each returns false when nothing was read or written.
  bool WritePreset();
  bool ReadPreset();

  // What the editor's preset controls do, for tools and tests (any thread; take the lock):
  // choose library entry `index` as the preset menu does, or load/save through the two pickers.
  void SelectLibraryPreset(int index);
  bool LoadPresetFile(const std::string& path);
  bool SavePresetFile(const std::string& path);

  // Read access for the editor, the tools and the tests.
  float CurrentPreset() const noexcept { return mCurrentPreset; }
  const SynthKernel& Kernel() const noexcept { return *mKernel; }
  float RetriggerCounter() const noexcept { return mRetrigger; }
  int StackIndex() const noexcept { return mStackIndex; }
  int SustainPedal() const noexcept { return mSustainPedal; }
  bool NoteHeld(int note) const noexcept { return note >= 0 && note < 128 && mHeld[note]; }
  int StackNote(int position) const noexcept { return position >= 0 && position < 128 ? mNotes[position] : 0; }
  const MidiEventQueue& MidiQueue() const noexcept { return mMidiQueue; }

  IFileSelectorControl* PresetLoadSelector() const noexcept { return mLoadSelector; }
  IFileSelectorControl* PresetSaveSelector() const noexcept { return mSaveSelector; }
  ITextControl* PresetNameText() const noexcept { return mPresetName; }

 private:
  void BuildEditor();
  void HandleQueuedMessage(const MidiMessage& message);
  void NoteOn(int note, int velocity);
  void OpenVoice(int note, int velocity);
  void NoteOff(int note);
  void AdvanceRetrigger();
  void ControlChange(int controller, int value);
  void StepPreset(int delta);
  void LoadSelectedPreset();
  void ShowPresetName(const std::string& path);

  SynthKernel* mKernel = nullptr;
  MidiEventQueue mMidiQueue;

  bool mHeld[128] = {};
  int mNotes[128] = {};
  int mVelocities[128] = {};
  int mStackIndex = 0;  // 0..kMaxStackIndex; position 0 is never written by a note-on
  int mSustainPedal = 0;
  float mRetrigger = 0.0f;

  // Owned by the editor surface; the preset library reads and writes their paths and text.
  IFileSelectorControl* mLoadSelector = nullptr;
  IFileSelectorControl* mSaveSelector = nullptr;
  ITextControl* mPresetName = nullptr;
  float mCurrentPreset = 0.0f;
};
