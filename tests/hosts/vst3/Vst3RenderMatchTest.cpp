// The built bundle, played in double precision, renders sample for sample what the headless
// instrument (the renderer's engine) renders for the same notes, parameter changes and blocks.
// Its own program: the module's noise sequence must start fresh, as in a host that has just
// loaded it.
#include "LoadedPlugin.h"

#include "engine/NoiseSource.h"
#include "hosts/headless/SylvaneAdapter.h"
#include "instrument/Sylvane.h"

#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

struct BlockEvent {
  int block;
  int offset;
  int pitch;
  bool on;
};

TEST(Vst3RenderMatch, DoublePrecisionOutputEqualsTheHeadlessInstrument) {
  constexpr int kBlock = 512;
  constexpr int kBlocks = 120;
  constexpr double kRate = 48000.0;
  const BlockEvent notes[] = {{1, 100, 60, true}, {30, 7, 64, true}, {31, 0, 60, false},
                              {70, 300, 64, false}, {90, 511, 62, true}};
  // One sound parameter moved by the host on a later block, as automation would.
  constexpr int kAutomationBlock = 40;
  constexpr int kAutomatedParam = 24;  // WindSpeed
  constexpr double kAutomatedValue = 0.7;

  LoadedPlugin p;
  ASSERT_EQ(p.initResult, kResultOk);
  ASSERT_EQ(p.Setup(kSample64, kBlock, kRate), kResultOk);

  SeedNoiseSource(2);
  Sylvane reference{IPlugHeadless::InstanceInfo{}};
  reference.Activate(kRate, kBlock);
  reference.SetHostTempo(120.0);

  std::vector<double> left(kBlock), right(kBlock), refLeft(kBlock), refRight(kBlock);
  double* channels[2] = {left.data(), right.data()};
  double* refChannels[2] = {refLeft.data(), refRight.data()};
  AudioBusBuffers out;
  out.numChannels = 2;
  out.channelBuffers64 = channels;
  ProcessContext context{};
  context.tempo = 120.0;
  context.sampleRate = kRate;

  double energy = 0.0;
  for (int b = 0; b < kBlocks; ++b) {
    EventList* events = new EventList;
    ParamChanges* changes = new ParamChanges;
    std::vector<MidiMessage> midi;
    for (const BlockEvent& e : notes) {
      if (e.block != b) continue;
      if (e.on) {
        events->NoteOn(e.offset, e.pitch, 100.0f / 127.0f);
        midi.push_back(MidiMessage{e.offset, 0x90, static_cast<uint8_t>(e.pitch), 100});
      } else {
        events->NoteOff(e.offset, e.pitch);
        midi.push_back(MidiMessage{e.offset, 0x80, static_cast<uint8_t>(e.pitch), 0});
      }
    }
    if (b == kAutomationBlock) {
      changes->Add(kAutomatedParam, kAutomatedValue);
      reference.SetParamNormalized(kAutomatedParam, kAutomatedValue);
    }
    ProcessData data;
    data.symbolicSampleSize = kSample64;
    data.numSamples = kBlock;
    data.numOutputs = 1;
    data.outputs = &out;
    data.inputEvents = events;
    data.inputParameterChanges = changes;
    data.processContext = &context;
    ASSERT_EQ(p.processor->process(data), kResultOk);
    reference.ProcessDouble(refChannels, kBlock, midi.data(), static_cast<int>(midi.size()));
    for (int i = 0; i < kBlock; ++i) {
      ASSERT_EQ(left[size_t(i)], refLeft[size_t(i)]) << "block " << b << " sample " << i;
      ASSERT_EQ(right[size_t(i)], refRight[size_t(i)]) << "block " << b << " sample " << i;
      energy += left[size_t(i)] * left[size_t(i)];
    }
    context.projectTimeSamples += kBlock;
    events->release();
    changes->release();
  }
  EXPECT_GT(energy, 0.0);  // the comparison covered sound, not only silence
}

}  // namespace
