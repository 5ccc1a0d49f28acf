// The host-independent plug-in base. A host adapter derives from it and supplies the operations
// that talk to the host (the pure virtual ones); the product derives from the adapter and
// overrides the audio and parameter hooks. The core owns the parameters, the built-in programs,
// the channel buffers and the editor surface.
//
// Threads: the host's audio thread runs the block path (BindHostInputs, RenderAndConvert, ...);
// the UI thread runs the editor and most host requests. Parameter values and programs change only
// with the recursive parameter lock held (ParamLock); the adapter holds it around each block call
// and state request, and the core takes it again itself where noted.
//
// A block, on the audio thread with the lock held:
//   SetInputConnected / SetOutputConnected as the host's buses say;
//   BindHostInputs (first, count, hostInputs, n); BindHostOutputs (first, count, hostOutputs);
//   RenderAndConvert (n), or BypassBuffers (n) while bypassed.
// Double-precision hosts call RenderDouble / BypassDouble instead. Blocks longer than BlockSize
// are rendered in slices of at most BlockSize frames; nothing on this path allocates.
#pragma once

#include "core/HostIdentity.h"
#include "core/LatencyDelay.h"
#include "core/PlugParam.h"
#include "core/PlugTypes.h"
#include "core/ProgramSlot.h"
#include "core/StateChunk.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class IGraphics;

constexpr int kPlugTextSize = 128;  // effect, product and maker names: 127 characters and a NUL

class IPlugBase {
 public:
  // Any thread, before the object is shared. Creates nParams blank parameters and nPrograms slots
  // named "empty", parses the channel configuration ("2-2", "1-1 2-2", ...) and creates the
  // channel records. Texts are cut to 127 characters; negative counts count as 0.
  IPlugBase(int nParams, const char* channelIOStr, int nPrograms, const char* effectName,
            const char* productName, const char* makerName, int version, int32_t uniqueId,
            int32_t makerId, int latency, bool doesMidi, bool stateChunks, bool isInstrument, int api);
  IPlugBase(const IPlugBase&) = delete;
  IPlugBase& operator=(const IPlugBase&) = delete;

  // Virtual operations, in the framework's fixed slot order.

  // Destroys the editor surface first, then everything else the core owns.
  virtual ~IPlugBase();
  // Rate or block size changed (UI thread, after SetBlockSize / SetSampleRate). Takes the lock.
  virtual void OnReset();
  // A parameter's value changed (any thread that holds the lock). Takes the lock.
  virtual void HandleParamChange(int paramIdx);
  // Renders nFrames (never more than BlockSize) into nOut outputs. Audio thread, lock held.
  // Default: copies input k to output k for k below both counts, clears the other outputs.
  virtual void ProcessBlock(double** inputs, double** outputs, int nFrames);
  // The same copy for 32-bit buffers; no adapter calls it.
  virtual void ProcessBlockSingle(float** inputs, float** outputs, int nFrames);
  virtual void OnEditorOpen() {}
  virtual void OnEditorClose() {}
  virtual void ReservedHookA() {}
  // Processing switched on or off (UI thread). Takes the lock.
  virtual void OnActiveChanged(bool active);
  // A MIDI message of the coming block (audio thread, lock held). Default: SendMidiMessage.
  virtual void HandleMidiMessage(const MidiMessage& message);
  virtual void HandleSysEx(const SysExMessage& message) { (void)message; }
  // A name for a MIDI note; writes the empty text into text[textSize] and returns false.
  virtual bool MidiNoteText(int note, char* text, size_t textSize);
  // The plug-in state; default SerializeParams / UnserializeParams (lock taken).
  virtual bool WriteStateChunk(StateChunk& chunk);
  virtual int ReadStateChunk(const StateChunk& chunk, int startPos);
  // True when every parameter and the 64-bit value stored for it at startPos + 8 * index, both
  // narrowed to 32-bit floats, differ by less than 0.00001; false when a value is missing.
  virtual bool StateEqualsChunk(const StateChunk& chunk, int startPos);
  // After the editor window's size has changed (UI thread).
  virtual void OnWindowResized() {}
  virtual bool ReservedQuery() { return false; }
  // After the adapter has identified the host (UI thread).
  virtual void AfterHostKnown() {}
  // The host's context menu for a parameter, at editor coordinates x, y (UI thread).
  virtual void ShowHostParamMenu(int paramIdx, int x, int y) {
    (void)paramIdx; (void)x; (void)y;
  }
  // An editor control set a parameter (UI thread). Takes the lock; sets the value from the
  // normalised one, tells the host, then HandleParamChange. Bad indices and non-finite values
  // are ignored.
  virtual void SetParamFromEditor(int paramIdx, double normalized);
  // Host notifications, supplied by the adapter (UI thread unless stated).
  virtual void BeginParamGesture(int paramIdx) = 0;
  virtual void NotifyHostParamValue(int paramIdx, double normalized) = 0;
  virtual void EndParamGesture(int paramIdx) = 0;
  // Asks the host to read every parameter value (and program name) again.
  virtual void NotifyHostProgramChange() = 0;
  virtual bool IsRenderingOffline() { return false; }
  // Host transport, supplied by the adapter (audio thread, lock held).
  virtual int HostSamplePos() = 0;
  virtual double HostTempo() = 0;
  virtual void HostTimeSig(int* numerator, int* denominator) = 0;
  virtual void HostTime(HostTimeInfo* info) = 0;
  // The identified host; kHostUninit until the adapter has told (SetHostIdentity).
  virtual HostKind CurrentHostKind() { return mHost; }
  // 0 under VST 2, 1 under VST 3 (kApiVst2, kApiVst3).
  virtual int HostApi() { return mApi; }
  // The editor asks the host for a new window size (UI thread).
  virtual void EditorResized(int width, int height) = 0;
  virtual void InitForHost() {}
  // Takes ownership of the editor surface (null is ignored; a different earlier surface is
  // destroyed). Under the lock, gives every bound control its parameter's normalised value,
  // then prepares the surface's buffers.
  virtual void ConnectEditor(IGraphics* graphics);
  // latency := samples (negative counts as 0); resizes and clears the latency delay. Allocates:
  // UI thread, lock held.
  virtual void SetLatency(int samples);
  virtual bool SendMidiMessage(const MidiMessage& message) = 0;
  virtual bool SendSysExMessage(const SysExMessage& message) {
    (void)message;
    return false;
  }
  // Pushes every parameter's value to the editor's controls, after a state or program load.
  virtual void RefreshEditorFromParams();
  virtual void ReservedHookB() {}
  // After a program has been restored or renamed.
  virtual void OnProgramRestored() {}
  // Sizes every channel buffer for blocks of up to nFrames and clears them; the same size again
  // keeps them. Allocates: call before processing starts, with the lock held (taken as well).
  virtual void SetBlockSize(int nFrames);

  // Parameters. GetParam returns null for an index outside 0..NParams()-1.
  int NParams() const noexcept { return static_cast<int>(mParams.size()); }
  PlugParam* GetParam(int idx) noexcept;
  const PlugParam* GetParam(int idx) const noexcept;
  std::recursive_mutex& ParamLock() noexcept { return mParamLock; }

  // Channel configuration.
  // True when a configuration pair matches; a negative count matches any.
  bool LegalIO(int nInputs, int nOutputs) const noexcept;
  int NChannelConfigs() const noexcept { return static_cast<int>(mChannelConfigs.size()); }
  ChannelIO ChannelConfig(int idx) const noexcept;
  int NInChannels() const noexcept { return static_cast<int>(mInputs.size()); }
  int NOutChannels() const noexcept { return static_cast<int>(mOutputs.size()); }
  void SetInputConnected(int idx, bool connected) noexcept;
  void SetOutputConnected(int idx, bool connected) noexcept;
  bool IsInputConnected(int idx) const noexcept;
  bool IsOutputConnected(int idx) const noexcept;
  // Channel names for the host; empty means "use a numbered name". Allocate: UI thread.
  void SetInputLabel(int idx, const char* label);
  void SetOutputLabel(int idx, const char* label);
  const char* InputLabel(int idx) const noexcept;
  const char* OutputLabel(int idx) const noexcept;

  // The block path (audio thread, lock held, no allocation).
  // For channels first .. first+count-1 (within the input count) that are connected, each takes
  // the next host buffer: its first min(nFrames, BlockSize) samples are widened into the
  // channel's buffer now, the rest slice by slice in RenderAndConvert / BypassBuffers. Unconnected
  // channels consume no host buffer. A null host buffer reads as silence.
  void BindHostInputs(int first, int count, const float* const* buffers, int nFrames) noexcept;
  // For connected output channels first .. first+count-1, each takes the next host buffer as the
  // destination of its narrowed samples.
  void BindHostOutputs(int first, int count, float* const* buffers) noexcept;
  // ProcessBlock in slices of at most BlockSize frames, each slice's outputs narrowed into the
  // bound host buffers (added to them when accumulate is set). Bindings last for this one call.
  // With no block size set, the bound host outputs get silence.
  void RenderAndConvert(int nFrames, bool accumulate = false) noexcept;
  // The same with the bypass path: the latency delay when there is latency, else the default copy.
  void BypassBuffers(int nFrames, bool accumulate = false) noexcept;
  // Double-precision hosts: connected channels read and write the host's buffers directly (each
  // connected channel takes the next buffer of its list; at most nInputBuffers / nOutputBuffers
  // are used), the others use the core's own buffers. Sliced like RenderAndConvert.
  void RenderDouble(double* const* inputs, int nInputBuffers, double* const* outputs, int nOutputBuffers,
                    int nFrames) noexcept;
  void BypassDouble(double* const* inputs, int nInputBuffers, double* const* outputs, int nOutputBuffers,
                    int nFrames) noexcept;
  // Zeroes every channel buffer (BlockSize samples each).
  void ClearChannelBuffers() noexcept;
  // Creates the latency delay when there are inputs (adapter, at construction). Allocates.
  void CreateLatencyDelay();
  const LatencyDelay* GetLatencyDelay() const noexcept { return mLatencyDelay.get(); }

  // Host identification.
  static HostKind IdentifyHost(const char* hostName) noexcept { return ::IdentifyHost(hostName); }
  void SetHostIdentity(HostKind kind, int hostVersion) noexcept {
    mHost = kind;
    mHostVersion = hostVersion;
  }
  int HostVersion() const noexcept { return mHostVersion; }

  // Values the product changed on its own (a preset it loaded) that the host has not read yet.
  // Any thread, lock-free; the host is never called from here.
  void MarkHostViewStale() noexcept { mHostViewStale.store(true, std::memory_order_release); }
  // UI thread only (the editor's redraw tick), without the lock: when marked, clears the mark and
  // calls NotifyHostProgramChange once. True when the host was told. Neither format gives the
  // plug-in a UI-thread call of its own while no editor is open: the host is told at the first
  // tick after the editor opens.
  bool TellHostIfViewStale();

  // Editor. The core owns the surface (ConnectEditor); null when there is none.
  IGraphics* Graphics() const noexcept { return mGraphics.get(); }

  // State and programs. Each takes the lock.
  // Appends every parameter's value as a 64-bit float in index order; true when the chunk is
  // non-empty afterwards.
  bool SerializeParams(StateChunk& chunk);
  // Reads one 64-bit value per parameter from pos on, clamping each to its parameter's range
  // (non-finite ones are skipped), then calls HandleParamChange for every parameter with
  // RestoringState() true, and clears the host-view mark (MarkHostViewStale). When fewer than 8
  // bytes per parameter remain (or pos is -1), returns -1 and changes nothing; otherwise the
  // position after the last value.
  int UnserializeParams(const StateChunk& chunk, int pos);
  // n times: the first uninitialised slot takes the current state and name ("Empty" when null).
  void MakeDefaultPrograms(const char* name, int n);
  // Makes slot k current: loads it, or, when it holds nothing yet, stores the live state into it
  // under the name "user preset N". All or nothing: false, with every parameter as it was, for a
  // bad index or a failed load.
  bool RestoreProgram(int k);
  // The slot's name; the empty text for a bad index.
  const char* ProgramName(int k) const noexcept;
  // Stores the live state into the current slot and renames it when name is non-empty.
  void ModifyCurrentPreset(const char* name = nullptr);
  // Bank layout: per slot its name (PutText), 1 byte initialised flag, and the stored state of an
  // initialised slot. Reading stops (-1) at the first slot whose data runs out; that slot and the
  // ones after it keep what they held.
  bool SerializePresets(StateChunk& chunk);
  int UnserializePresets(const StateChunk& chunk, int pos);
  // True while UnserializeParams tells the product of restored values: a product then takes the
  // values but runs no command they would otherwise trigger (lock held).
  bool RestoringState() const noexcept { return mRestoringState; }
  int NPrograms() const noexcept { return static_cast<int>(mPrograms.size()); }
  int CurrentProgram() const noexcept { return mCurrentProgram; }
  const ProgramSlot* Program(int k) const noexcept;

  // Identity and settings.
  const char* EffectName() const noexcept { return mEffectName; }
  const char* ProductName() const noexcept { return mProductName; }
  const char* MakerName() const noexcept { return mMakerName; }
  int32_t UniqueId() const noexcept { return mUniqueId; }
  int32_t MakerId() const noexcept { return mMakerId; }
  int Version() const noexcept { return mVersion; }
  bool DoesStateChunks() const noexcept { return mStateChunks; }
  bool IsInstrument() const noexcept { return mIsInstrument; }
  bool DoesMidi() const noexcept { return mDoesMidi; }
  bool IsBypassed() const noexcept { return mBypassed; }
  void SetBypassed(bool bypassed) noexcept { mBypassed = bypassed; }
  double SampleRate() const noexcept { return mSampleRate; }
  // Set by the adapter, followed by OnReset.
  void SetSampleRate(double rate) noexcept { mSampleRate = rate; }
  int BlockSize() const noexcept { return mBlockSize; }
  int Latency() const noexcept { return mLatency; }

 protected:
  // The pointer arrays handed to ProcessBlock, nIn and nOut entries.
  double** InputPointers() noexcept { return mInputPtrs.data(); }
  double** OutputPointers() noexcept { return mOutputPtrs.data(); }

 private:
  struct InputChannel {
    bool connected = false;
    std::vector<double> buffer;          // the widened host samples, BlockSize values
    const float* hostSource = nullptr;   // bound host buffer, for the slices after the first
    std::string label;
  };
  struct OutputChannel {
    bool connected = false;
    float* hostDestination = nullptr;    // bound host buffer, for this block only
    std::vector<double> buffer;          // own buffer, BlockSize values
    std::string label;
  };
  enum class BlockPath { kRender, kBypass };

  void ParseChannelConfigs(const char* text);
  void PointChannelsAtOwnBuffers() noexcept;
  void RunSlice(BlockPath path, int nFrames) noexcept;
  void RenderFloat(BlockPath path, int nFrames, bool accumulate) noexcept;
  void RenderDirect(BlockPath path, double* const* inputs, int nInputBuffers, double* const* outputs,
                    int nOutputBuffers, int nFrames) noexcept;
  void UnbindHostBuffers() noexcept;
  bool StoreState(ProgramSlot& slot);

  std::vector<ChannelIO> mChannelConfigs;
  std::recursive_mutex mParamLock;
  char mEffectName[kPlugTextSize] = {};
  char mProductName[kPlugTextSize] = {};
  char mMakerName[kPlugTextSize] = {};
  int32_t mUniqueId = 0;
  int32_t mMakerId = 0;
  int32_t mVersion = 0;     // major in bits 16..31, minor in 8..15, patch in 0..7
  int32_t mApi = kApiVst2;
  HostKind mHost = kHostUninit;
  int32_t mHostVersion = 0;
  bool mStateChunks = false;
  bool mIsInstrument = false;
  bool mDoesMidi = false;
  bool mBypassed = false;
  bool mRestoringState = false;
  std::atomic<bool> mHostViewStale{false};
  int32_t mCurrentProgram = 0;
  double mSampleRate = 44100.0;
  int32_t mBlockSize = 0;
  int32_t mLatency = 0;
  std::unique_ptr<LatencyDelay> mLatencyDelay;
  std::unique_ptr<IGraphics> mGraphics;
  std::vector<PlugParam> mParams;
  std::vector<ProgramSlot> mPrograms;
  std::vector<double*> mInputPtrs;
  std::vector<double*> mOutputPtrs;
  std::vector<InputChannel> mInputs;
  std::vector<OutputChannel> mOutputs;
};
