// The VST 2 adapter's cost per block over the instrument's own ProcessBlock: the same instance
// renders a held note at 48 kHz either through ProcessBlock directly or through the effect
// record's audio callbacks (lock, MIDI wish to the host, input widening, output narrowing).
// On a busy machine the difference of those two drowns in noise, so the adapter's work is also
// timed alone, around a ProcessBlock that does nothing: that time over BM_ProcessBlockDirect is
// the adapter's share.
#include "hosts/vst2/VstEntry.h"
#include "instrument/Sylvane.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr double kRate = 48000.0;

VstTimeInfo gTime = [] {
  VstTimeInfo t = {};
  t.sampleRate = kRate;
  t.tempo = 120.0;
  t.flags = kVstTempoValid;
  return t;
}();

VstIntPtr Host(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterGetTime ? reinterpret_cast<VstIntPtr>(&gTime) : 0;
}

struct Playing {
  AEffect* effect;
  std::vector<float> inF, outLF, outRF;
  std::vector<double> inD, outLD, outRD;
  float* insF[2];
  float* outsF[2];
  double* insD[2];
  double* outsD[2];

  explicit Playing(int block)
      : effect(VSTPluginMain(&Host)), inF(block), outLF(block), outRF(block), inD(block), outLD(block),
        outRD(block), insF{inF.data(), inF.data()}, outsF{outLF.data(), outRF.data()},
        insD{inD.data(), inD.data()}, outsD{outLD.data(), outRD.data()} {
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    effect->dispatcher(effect, effSetBlockSize, 0, block, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    VstMidiEvent note = {};
    note.type = kVstMidiType;
    note.byteSize = sizeof note;
    note.midiData[0] = static_cast<char>(0x90);
    note.midiData[1] = 60;
    note.midiData[2] = 100;
    VstEvents events = {};
    events.numEvents = 1;
    events.events[0] = reinterpret_cast<VstEvent*>(&note);
    effect->dispatcher(effect, effProcessEvents, 0, 0, &events, 0.0f);
  }
  ~Playing() { effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f); }
  Sylvane* Plug() const { return static_cast<Sylvane*>(effect->object); }
};

void BM_ProcessBlockDirect(benchmark::State& state) {
  const int block = static_cast<int>(state.range(0));
  Playing p(block);
  for (auto _ : state) {
    p.Plug()->ProcessBlock(p.insD, p.outsD, block);
    benchmark::DoNotOptimize(p.outLD.data());
  }
}

void BM_ProcessReplacing(benchmark::State& state) {
  const int block = static_cast<int>(state.range(0));
  Playing p(block);
  for (auto _ : state) {
    p.effect->processReplacing(p.effect, p.insF, p.outsF, block);
    benchmark::DoNotOptimize(p.outLF.data());
  }
}

void BM_ProcessDoubleReplacing(benchmark::State& state) {
  const int block = static_cast<int>(state.range(0));
  Playing p(block);
  for (auto _ : state) {
    p.effect->processDoubleReplacing(p.effect, p.insD, p.outsD, block);
    benchmark::DoNotOptimize(p.outLD.data());
  }
}

// The adapter around a plug-in of the same shape whose ProcessBlock renders nothing.
class IdlePlug : public IPlugVST {
 public:
  IdlePlug()
      : IPlugVST(InstanceInfo{&Host}, kSylvaneParamCount, "2-2", 1, "Idle", "", "", 0x10000, 1, 1, 0, true, false,
                 true) {}
  void ProcessBlock(double**, double**, int) override {}
};

void BM_AdapterOnly(benchmark::State& state) {
  const int block = static_cast<int>(state.range(0));
  const bool doubles = state.range(1) != 0;
  AEffect* effect = (new IdlePlug())->Effect();
  effect->dispatcher(effect, effSetBlockSize, 0, block, nullptr, 0.0f);
  std::vector<float> inF(block), l(block), r(block);
  std::vector<double> inD(block), ld(block), rd(block);
  float* insF[] = {inF.data(), inF.data()};
  float* outsF[] = {l.data(), r.data()};
  double* insD[] = {inD.data(), inD.data()};
  double* outsD[] = {ld.data(), rd.data()};
  for (auto _ : state) {
    if (doubles) {
      effect->processDoubleReplacing(effect, insD, outsD, block);
    } else {
      effect->processReplacing(effect, insF, outsF, block);
    }
    benchmark::DoNotOptimize(l.data());
  }
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

}  // namespace

BENCHMARK(BM_AdapterOnly)->ArgsProduct({{64, 512}, {0, 1}});
BENCHMARK(BM_ProcessBlockDirect)->Arg(64)->Arg(512);
BENCHMARK(BM_ProcessReplacing)->Arg(64)->Arg(512);
BENCHMARK(BM_ProcessDoubleReplacing)->Arg(64)->Arg(512);
