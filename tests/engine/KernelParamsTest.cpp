#include "engine/SynthKernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

namespace {
struct KernelDeleter {
  void operator()(SynthKernel* k) const { DestroyKernel(k); }
};
using KernelPtr = std::unique_ptr<SynthKernel, KernelDeleter>;

struct Expected {
  const char* name;
  double def, min, max;
};
const Expected kTable[] = {
    {"AmpFadeInOut", 0.3, 0, 1},          {"AmpFoliageLevel", 0.8, 0, 1},    {"AmpMainVolume", 0.75, 0, 1},
    {"AmpWindLevel", 0.5, 0, 1},          {"HostBarStartPulse", 0, 0, 1},    {"HostTempoBpm", 120, 0, 1000},
    {"HostTransportIsRunning", 0, 0, 1},  {"MidiChannelInput", 1, 1, 1},     {"ModFoliageStochasticAmt", 0.8, 0, 1},
    {"ModWindStochasticAmt", 1, 0, 1},    {"PresetBackward", 0, 0, 1},       {"PresetForward", 0, 0, 1},
    {"PresetLoad", 0, 0, 1},              {"PresetSave", 0, 0, 1},           {"PresetSelector", 0, -1, 10000},
    {"SoundfieldAmt", 0, 0, 1},           {"SystemEnergyAmt", 0.3, 0, 1},    {"Voice00_NoteGate", 0, 0, 1},
    {"Voice00_NoteNumber", 64, 0, 127},   {"Voice00_NoteRetrig", 0, 0, 1},   {"Voice00_NoteVelocity", 64, 0, 127},
    {"VoiceModeMonoPoly", 0, 0, 0},       {"VoiceRetrigOffOn", 1, 1, 1},     {"WindDispersion", 0.94, 0, 1},
    {"WindSpeed", 0.12, 0, 1},            {"zInitParams", 0, 0, 1}};
}  // namespace

TEST(KernelTable, HeaderAndEveryEntryMatchTheParameterTable) {
  KernelPtr k(CreateKernel(48000.0));
  ASSERT_NE(nullptr, k);
  EXPECT_EQ(48000.0, k->sampleRate);
  EXPECT_EQ(1024, k->blockSizeHint);
  EXPECT_EQ(2, k->inputCount);
  EXPECT_EQ(2, k->outputCount);
  EXPECT_STREQ("in1", k->inputNames[0]);
  EXPECT_STREQ("in2", k->inputNames[1]);
  EXPECT_STREQ("audio_out_1", k->outputNames[0]);
  EXPECT_STREQ("audio_out_2", k->outputNames[1]);
  ASSERT_EQ(26, k->paramCount);
  for (int i = 0; i < 26; ++i) {
    const KernelParamInfo& info = k->paramInfo[i];
    EXPECT_STREQ(kTable[i].name, info.name) << i;
    EXPECT_EQ(kTable[i].def, info.defaultValue) << i;
    EXPECT_EQ(kTable[i].def, k->paramValues[i]) << i;
    EXPECT_EQ(kTable[i].min, info.outputMin) << i;
    EXPECT_EQ(kTable[i].max, info.outputMax) << i;
    EXPECT_EQ(0.0, info.inputMin);
    EXPECT_EQ(1.0, info.inputMax);
    EXPECT_FALSE(info.hasInputRange);
    EXPECT_TRUE(info.hasOutputRange);
    EXPECT_STREQ("", info.units);
    EXPECT_EQ(nullptr, info.reference);
    EXPECT_EQ(0, info.valueType);
    EXPECT_EQ(i, FindKernelParam(kTable[i].name));
    if (i > 0) {
      EXPECT_LT(std::strcmp(kTable[i - 1].name, kTable[i].name), 0) << "byte order at " << i;
    }
  }
  EXPECT_EQ(-1, FindKernelParam("windspeed"));
  EXPECT_EQ(-1, FindKernelParam(""));
  EXPECT_EQ(-1, FindKernelParam(nullptr));
}

TEST(KernelParams, ValuesAreClampedIntoTheirRange) {
  KernelPtr k(CreateKernel(48000.0));
  SetKernelParam(k.get(), kHostTempoBpm, 2000.0);
  EXPECT_EQ(1000.0, k->paramValues[kHostTempoBpm]);
  SetKernelParam(k.get(), kMidiChannelInput, 5.0);
  EXPECT_EQ(1.0, k->paramValues[kMidiChannelInput]);
  SetKernelParam(k.get(), kVoiceModeMonoPoly, 0.7);
  EXPECT_EQ(0.0, k->paramValues[kVoiceModeMonoPoly]);
  SetKernelParam(k.get(), kPresetSelector, -3.0);
  EXPECT_EQ(-1.0, k->paramValues[kPresetSelector]);
  SetKernelParam(k.get(), kWindSpeed, 0.55);
  EXPECT_EQ(0.55, k->paramValues[kWindSpeed]);
  SetKernelParam(k.get(), kWindSpeed, -0.1);
  EXPECT_EQ(0.0, k->paramValues[kWindSpeed]);
}

TEST(KernelParams, IndicesOutsideTheTableChangeNothing) {
  KernelPtr k(CreateKernel(48000.0));
  double before[26];
  std::memcpy(before, k->paramValues, sizeof before);
  SetKernelParam(k.get(), 26, 0.5);
  SetKernelParam(k.get(), -1, 0.5);
  SetKernelParam(k.get(), 1 << 30, 0.5);
  EXPECT_EQ(0, std::memcmp(before, k->paramValues, sizeof before));
}

TEST(KernelParams, NonFiniteValuesAreIgnored) {
  KernelPtr k(CreateKernel(48000.0));
  SetKernelParam(k.get(), kSoundfieldAmt, 0.25);
  SetKernelParam(k.get(), kSoundfieldAmt, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(0.25, k->paramValues[kSoundfieldAmt]);
  SetKernelParam(k.get(), kSoundfieldAmt, std::numeric_limits<double>::infinity());
  EXPECT_EQ(0.25, k->paramValues[kSoundfieldAmt]);
  SetKernelParam(k.get(), kHostTempoBpm, -std::numeric_limits<double>::infinity());
  EXPECT_EQ(120.0, k->paramValues[kHostTempoBpm]);

  // A NaN soundfield used to reach the delay index; the output must stay finite.
  SetKernelParam(k.get(), kVoice00_NoteGate, 1.0);
  double l[256], r[256], in[256] = {};
  double* ins[2] = {in, in};
  double* outs[2] = {l, r};
  for (int b = 0; b < 40; ++b) {
    ASSERT_EQ(0, PerformKernel(k.get(), ins, outs, 256));
    for (int i = 0; i < 256; ++i) ASSERT_TRUE(std::isfinite(l[i]) && std::isfinite(r[i]));
  }
}

TEST(KernelReset, RestoresDefaultsClearsErrorAndKeepsStorage) {
  KernelPtr k(CreateKernel(48000.0));
  SetKernelParam(k.get(), kWindDispersion, 0.1);
  SetKernelParam(k.get(), kWindSpeed, 0.9);
  SetKernelParam(k.get(), kVoice00_NoteGate, 1.0);
  double l[64], r[64], in[64] = {};
  double* ins[2] = {in, in};
  double* outs[2] = {l, r};
  for (int b = 0; b < 100; ++b) PerformKernel(k.get(), ins, outs, 64);
  double* shortStorage = k->shortDelay.storage;
  double* longStorage = k->longDelay.storage;
  EXPECT_EQ(101, PerformKernel(k.get(), ins, nullptr, 64));

  ResetKernel(k.get(), 44100.0, 256);
  EXPECT_EQ(0, k->errorCode);
  EXPECT_EQ(44100.0, k->sampleRate);
  EXPECT_EQ(256, k->blockLength);
  EXPECT_DOUBLE_EQ(1.0 / 44100.0, k->invSampleRate);
  EXPECT_EQ(0.94, k->paramValues[kWindDispersion]);
  EXPECT_EQ(0.12, k->paramValues[kWindSpeed]);
  EXPECT_EQ(0.0, k->paramValues[kVoice00_NoteGate]);
  EXPECT_EQ(kEnvIdle, k->envStage);
  EXPECT_EQ(0.0, k->envLevel);
  EXPECT_EQ(0.0, k->envSmoothed);
  EXPECT_EQ(0.0, k->windMod.phase);
  EXPECT_EQ(0.0, k->windHigh1.band);

  ResetKernel(k.get(), 44100.0, 256);
  EXPECT_EQ(shortStorage, k->shortDelay.storage);
  EXPECT_EQ(longStorage, k->longDelay.storage);
  for (int i = 0; i < kDelayLineSize; ++i) {
    ASSERT_EQ(0.0, k->shortDelay.storage[i]);
    ASSERT_EQ(0.0, k->longDelay.storage[i]);
  }
  EXPECT_EQ(0, PerformKernel(k.get(), ins, outs, 64));
}
