// The Sylvane instrument: 26 parameters mirrored one to one into a SynthKernel, a monophonic
// MIDI voice with last-note priority, and the preset file library. The same code is built into
// every module; it derives from the host adapter of the module it is built into, which each
// module names in its own SylvaneAdapter.h (`using SylvaneAdapter = IPlugXxx;`).
#pragma once

#include "SylvaneAdapter.h"

#include "engine/SynthKernel.h"
#include "instrument/MidiEventQueue.h"
#include "instrument/PresetWorker.h"

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
  // Parameters 10..14 are preset commands. A change to the value a command already has does
  // nothing (hosts resend every value), and neither does a change from a restored state or
  // program. No file is read or written on the calling thread while the host renders in real
  // time: the instance's worker does it, and a read's values are applied under the lock between
  // two blocks (at once when no block is running). Offline, the file work happens here, so
  // every render hears the preset from the same block on. Only the editor's save writes a
  // file; the host's automation of PresetSave is ignored. A read that changes values marks the
  // host's view stale: the editor's next redraw tick tells the host, whose thread it is.
  void HandleParamChange(int paramIdx) override;
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override;
  void HandleMidiMessage(const MidiMessage& message) override;
  // Marks the change as the user's own from the editor (a save then writes its file).
  void SetParamFromEditor(int paramIdx, double normalized) override;

  // Forgets every note and closes the kernel's gate (caller holds the parameter lock).
  void ResetVoices();

  // Preset files (caller holds the parameter lock), on the caller's thread. WritePreset writes
  // the ten sound parameters to the save selector's path; ReadPreset applies the load selector's
  // file. Both show the file's display name in the preset name text. Each returns false when
  // nothing was read or written.
  bool WritePreset();
  bool ReadPreset();

  // What the editor's preset controls do, for tools and tests (any thread; take the lock):
  // choose library entry `index` as the preset menu does, or load/save through the two pickers.
  // LoadPresetFile and SavePresetFile work on the caller's thread and report the outcome;
  // SelectLibraryPreset reads as a parameter change does (see HandleParamChange).
  void SelectLibraryPreset(int index);
  bool LoadPresetFile(const std::string& path);
  bool SavePresetFile(const std::string& path);

  // Returns once every preset file request handed to the worker has been read or written and
  // applied (any thread not holding the parameter lock).
  void WaitForPresetFiles();

  // Read access for the editor, the tools and the tests.
  float CurrentPreset() const noexcept { return mCurrentPreset; }
  const SynthKernel& Kernel() const noexcept { return *mKernel; }
  float RetriggerCounter() const noexcept { return mRetrigger; }
  int StackIndex() const noexcept { return mStackIndex; }
  int SustainPedal() const noexcept { return mSustainPedal; }  // 127 while held down, else 0
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
  void HandleCommandChange(int paramIdx, double value);
  void RequestPresetRead(bool library, int libraryIndex);
  bool PostPresetRequest(const std::string* path);
  void RequestPresetWrite();
  bool ReadPresetFrom(const std::string& path, int libraryIndex);
  bool FinishPresetRead(const std::string& path, int libraryIndex, bool opened, const PresetValue* values,
                        int count);
  void RunPresetRequest(const PresetWorker::Request& request);

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

  // Preset commands (parameters 10..14). Their last value seen, so that a change to the same
  // value does nothing; whether the change being handled comes from the editor.
  double mCommandValues[5] = {};
  bool mEditorChange = false;
  // File work away from the audio thread (see HandleParamChange). The generation counts read
  // and write requests; a result whose request is no longer the newest is dropped.
  int mPresetGeneration = 0;
  bool mRequestUnsent = false;
  PresetWorker::Request mPendingRequest;
  PresetWorker mPresetWorker;
};
