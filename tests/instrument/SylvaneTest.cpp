#include "tests/instrument/SylvaneHarness.h"

#include "core/StateChunk.h"
#include "engine/NoiseSource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

TEST(SylvaneConstruction, DeclaresTheKernelsParameters) {
  SylvaneHarness h;
  Sylvane& p = *h.plug;
  ASSERT_EQ(26, p.NParams());
  const SynthKernel& k = p.Kernel();
  for (int i = 0; i < 26; ++i) {
    const PlugParam* param = p.GetParam(i);
    EXPECT_STREQ(k.paramInfo[i].name, param->Name()) << i;
    EXPECT_EQ(k.paramInfo[i].defaultValue, param->Value()) << i;
    EXPECT_EQ(k.paramInfo[i].outputMin, param->Min()) << i;
    EXPECT_EQ(kParamDouble, param->Type()) << i;
    EXPECT_EQ(5, param->DisplayPrecision()) << i;
  }
  char text[64];
  p.GetParam(kHostTempoBpm)->FormatDisplay(text);
  EXPECT_STREQ("120.00000", text);
  EXPECT_EQ(-1.0, p.GetParam(kPresetSelector)->Min());
  EXPECT_EQ(10000.0, p.GetParam(kPresetSelector)->Max());
  EXPECT_DOUBLE_EQ(0.00001, p.GetParam(kVoiceModeMonoPoly)->Max());
  EXPECT_DOUBLE_EQ(1.00001, p.GetParam(kMidiChannelInput)->Max());
  EXPECT_DOUBLE_EQ(1.00001, p.GetParam(kVoiceRetrigOffOn)->Max());
}

TEST(SylvaneConstruction, InitProgramHoldsTheDefaultState) {
  SylvaneHarness h;
  EXPECT_STREQ("Init", h.plug->ProgramName(0));
  StateChunk state;
  ASSERT_TRUE(h.plug->SerializeParams(state));
  ASSERT_EQ(208, state.Size());
  const double expected[26] = {0.3, 0.8, 0.75, 0.5, 0, 120, 0, 1, 0.8, 1, 0, 0, 0,
                               0,   0,   0,    0.3, 0, 64, 0, 64, 0, 1, 0.94, 0.12, 0};
  for (int i = 0; i < 26; ++i) {
    double v = -1.0;
    std::memcpy(&v, state.Data() + 8 * i, 8);
    EXPECT_EQ(expected[i], v) << i;
  }
}

TEST(SylvaneMidi, EventsOfABlockAreHandledBeforeItsAudio) {
  SylvaneHarness h;
  h.NoteOn(60, 100, 10);
  h.NoteOff(60, 200);
  h.Block();
  EXPECT_EQ(0.0, h.Gate());
  for (double s : h.left) ASSERT_EQ(0.0, s);
  for (double s : h.right) ASSERT_EQ(0.0, s);
}

TEST(SylvaneMidi, EventsBeyondTheBlockWaitForTheirBlock) {
  SylvaneHarness h(48000.0, 512);
  h.NoteOn(60, 100, 700);
  h.Block(256);  // a short block: the note lies 444 samples into the next one
  EXPECT_EQ(0.0, h.Gate());
  EXPECT_EQ(1, h.plug->MidiQueue().Size());
  h.Block();
  EXPECT_EQ(1.0, h.Gate());
  EXPECT_TRUE(h.plug->MidiQueue().Empty());
}

TEST(SylvaneMidi, LastNotePriorityAdvancesTheRetriggerCounter) {
  SylvaneHarness h;
  h.NoteOn(60);
  h.NoteOn(62, 90);
  h.NoteOff(62);
  h.Block();
  EXPECT_EQ(1.0, h.Gate());
  EXPECT_EQ(60.0, h.KernelParam(kVoice00_NoteNumber));
  EXPECT_EQ(100.0, h.KernelParam(kVoice00_NoteVelocity));
  EXPECT_EQ(60.0, h.Param(kVoice00_NoteNumber));
  const float three = 0.01f + 0.01f + 0.01f;
  EXPECT_EQ(three, h.plug->RetriggerCounter());
  EXPECT_EQ(static_cast<double>(three), h.Param(kVoice00_NoteRetrig));

  SylvaneHarness g;
  g.NoteOn(60);
  g.NoteOn(62);
  g.NoteOff(60);  // not the most recent key: no retrigger
  g.Block();
  EXPECT_EQ(1.0, g.Gate());
  EXPECT_EQ(62.0, g.KernelParam(kVoice00_NoteNumber));
  EXPECT_EQ(0.01f + 0.01f, g.plug->RetriggerCounter());
}

TEST(SylvaneMidi, RetriggerCounterWrapsOnItsHundredthAdvance) {
  SylvaneHarness h;
  float expected = 0.0f;
  for (int i = 0; i < 100; ++i) {
    expected = expected + 0.01f;
    if (expected > 0.99f) expected = 0.0f;
    h.NoteOn(60);
    h.Block(1);
    ASSERT_EQ(expected, h.plug->RetriggerCounter()) << i;
  }
  EXPECT_EQ(0.0f, h.plug->RetriggerCounter());
}

TEST(SylvaneMidi, SustainPedalHoldsFrom64AndReleasesBelow) {
  struct Case {
    int down, up;
  };
  for (const Case& c : {Case{127, 0}, Case{64, 63}, Case{100, 20}}) {
    SylvaneHarness h;
    h.NoteOn(60);
    h.Cc(64, c.down);
    h.NoteOff(60);
    h.Block();
    EXPECT_EQ(1.0, h.Gate()) << c.down;
    EXPECT_EQ(127, h.plug->SustainPedal()) << c.down;
    h.Cc(64, c.up);
    h.Block();
    EXPECT_EQ(0.0, h.Gate()) << c.up;
    EXPECT_EQ(0.0, h.Param(kVoice00_NoteGate)) << c.up;
    EXPECT_EQ(0, h.plug->SustainPedal()) << c.up;
  }
}

TEST(SylvaneMidi, OnlyChannelOneNotesAndControllersAct) {
  SylvaneHarness h;
  h.Midi(0, 0x91, 60, 100);  // channel 2
  EXPECT_TRUE(h.plug->MidiQueue().Empty());
  h.Midi(0, 0xA0, 60, 100);  // poly pressure
  h.Midi(0, 0xE0, 0, 64);    // pitch bend
  h.Midi(0, 0xC0, 5, 0);     // program change
  const double volume = h.Param(kAmpMainVolume);
  h.Block();
  EXPECT_EQ(0.0, h.Gate());
  EXPECT_EQ(volume, h.Param(kAmpMainVolume));
  EXPECT_EQ(0, h.plug->StackIndex());
}

TEST(SylvaneMidi, DataBytesAbove127AreIgnored) {
  SylvaneHarness h;
  h.Midi(0, 0x90, 200, 100);
  h.Midi(0, 0x80, 255, 0);
  h.Midi(0, 0x90, 60, 255);
  h.Block();
  EXPECT_EQ(0.0, h.Gate());
  EXPECT_EQ(0, h.plug->StackIndex());
}

TEST(SylvaneMidi, VoiceSwitchesAtTheirMaximaDisableNotesAndRetrigger) {
  SylvaneHarness h;
  h.plug->SetParamPlain(kVoiceRetrigOffOn, 1.00001);
  h.NoteOn(60);
  h.Block();
  EXPECT_EQ(1.0, h.Gate());
  EXPECT_EQ(0.0f, h.plug->RetriggerCounter());

  h.plug->SetParamPlain(kVoiceModeMonoPoly, 0.00001);
  h.NoteOff(60);
  h.NoteOn(62);
  h.Block();
  EXPECT_EQ(1.0, h.Gate());  // the note-off was ignored
  EXPECT_EQ(60.0, h.KernelParam(kVoice00_NoteNumber));
}

TEST(SylvaneMidi, ControllersSetTheSoundParameters) {
  struct Binding {
    int controller, param;
  };
  const Binding table[] = {{1, kSystemEnergyAmt}, {2, kAmpWindLevel},   {3, kAmpFoliageLevel},
                           {7, kAmpMainVolume},   {8, kAmpFadeInOut},   {9, kWindDispersion},
                           {10, kWindSpeed},      {11, kModWindStochasticAmt},
                           {12, kModFoliageStochasticAmt}, {13, kSoundfieldAmt}};
  for (const Binding& b : table) {
    SylvaneHarness h;
    for (int value : {64, 127, 0, 33}) {
      h.Cc(b.controller, value);
      h.Block(16);
      EXPECT_EQ(value / 127.0, h.Param(b.param)) << b.controller;
      EXPECT_EQ(value / 127.0, h.KernelParam(b.param)) << b.controller;
    }
  }
  SylvaneHarness h;
  h.Cc(7, 64);
  h.Block(1);
  EXPECT_NEAR(0.503937, h.Param(kAmpMainVolume), 1e-6);
}

TEST(SylvaneMidi, StackIsCappedAtAHundredNotes) {
  SylvaneHarness h;
  for (int key = 0; key < 101; ++key) h.NoteOn(key);
  h.Block();
  EXPECT_EQ(100, h.plug->StackIndex());
  EXPECT_EQ(100, h.plug->StackNote(100));  // the 101st note overwrote the top entry
  EXPECT_EQ(98, h.plug->StackNote(99));  // key k went to position k + 1
  EXPECT_EQ(0, h.plug->StackNote(1));
}

TEST(SylvaneMidi, AllNotesOffClosesTheGateAndEmptiesTheStack) {
  SylvaneHarness h;
  h.NoteOn(60);
  h.NoteOn(64);
  h.Cc(64, 127);
  h.Cc(123, 0);
  h.Block();
  EXPECT_EQ(0.0, h.Gate());
  EXPECT_EQ(0, h.plug->StackIndex());
  EXPECT_FALSE(h.plug->NoteHeld(60));
  EXPECT_EQ(0, h.plug->SustainPedal());
}

TEST(SylvaneTransport, TempoIsPublishedAndClampedEveryBlock) {
  SylvaneHarness h;
  h.plug->SetHostTempo(1500.0);
  h.Block(1);
  EXPECT_EQ(1000.0, h.Param(kHostTempoBpm));
  EXPECT_EQ(1000.0, h.KernelParam(kHostTempoBpm));
  h.plug->SetHostTempo(93.5);
  h.Block(1);
  EXPECT_EQ(93.5, h.Param(kHostTempoBpm));
  h.plug->SetHostTempo(std::nan(""));  // a broken host value never becomes a parameter value
  h.Block(1);
  EXPECT_EQ(93.5, h.Param(kHostTempoBpm));
  EXPECT_EQ(93.5, h.KernelParam(kHostTempoBpm));
}

TEST(SylvaneReset, ResetSilencesAtOnceAndForgetsNotes) {
  SylvaneHarness h;
  h.plug->SetParamPlain(kAmpFadeInOut, 0.0);  // 1 ms fade
  h.NoteOn(60);
  h.Block();
  h.Block();
  double peak = 0.0;
  for (double s : h.left) peak = std::max(peak, std::fabs(s));
  EXPECT_GT(peak, 0.0);

  h.plug->SetParamPlain(kWindSpeed, 0.7);
  h.plug->Activate(44100.0, 256);
  EXPECT_EQ(0.0, h.Gate());
  EXPECT_FALSE(h.plug->NoteHeld(60));
  EXPECT_EQ(0.7, h.KernelParam(kWindSpeed));  // the user's values survive the kernel reset
  EXPECT_EQ(44100.0, h.plug->Kernel().sampleRate);
  h.Block(256);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(0.0, h.left[i]);
}

// The instrument adds no sound of its own: a held note renders exactly what the bare kernel
// renders with its gate open and the same parameters.
TEST(SylvaneRender, HeldNoteRendersExactlyTheKernel) {
  const int block = 64, blocks = 200;
  SeedNoiseSource(2);
  SylvaneHarness h(48000.0, block);
  h.plug->SetParamPlain(kSoundfieldAmt, 0.6);
  h.NoteOn(60, 100, 0);
  std::vector<double> viaInstrument;
  for (int b = 0; b < blocks; ++b) {
    h.Block();
    viaInstrument.insert(viaInstrument.end(), h.left.begin(), h.left.end());
    viaInstrument.insert(viaInstrument.end(), h.right.begin(), h.right.end());
  }

  SeedNoiseSource(2);
  SynthKernel* k = CreateKernel(48000.0);
  SetKernelParam(k, kSoundfieldAmt, 0.6);
  SetKernelParam(k, kVoice00_NoteGate, 1.0);
  std::vector<double> in(block, 0.0), l(block), r(block), direct;
  double* ins[2] = {in.data(), in.data()};
  double* outs[2] = {l.data(), r.data()};
  for (int b = 0; b < blocks; ++b) {
    ASSERT_EQ(0, PerformKernel(k, ins, outs, block));
    direct.insert(direct.end(), l.begin(), l.end());
    direct.insert(direct.end(), r.begin(), r.end());
  }
  DestroyKernel(k);
  EXPECT_EQ(direct, viaInstrument);
}

}  // namespace
