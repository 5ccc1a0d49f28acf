// A host of our own that loads the built module by file name and enters it through its exports,
// as a DAW does: open, rate and block size, switch on, note events, the three audio callbacks,
// state save and restore, and close.
#include "hosts/vst2/VstAbi.h"
#include "tests/hosts/vst2/FakeVstHost.h"
#include "tests/hosts/vst2/ModuleLoader.h"
#include "tests/hosts/vst2/ReferenceRender.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using Entry = AEffect* (*)(audioMasterCallback);

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

// One loaded module and one effect from it, closed and unloaded at the end.
struct ModuleHost {
  LoadedModule module{SYLVANE_VST2_MODULE};
  FakeVstHost host;
  AEffect* effect = nullptr;

  explicit ModuleHost(const char* entryName = "VSTPluginMain") {
    auto entry = reinterpret_cast<Entry>(module.Symbol(entryName));
    if (entry) effect = entry(&FakeVstHost::Callback);
    if (effect) effect->user = &host;
  }
  ~ModuleHost() {
    if (effect) Dispatch(effect, effClose);
  }
  // What a host does before the first block.
  void Start() {
    Dispatch(effect, effOpen);
    Dispatch(effect, effSetSampleRate, 0, 0, nullptr, static_cast<float>(kRate));
    Dispatch(effect, effSetBlockSize, 0, kBlock);
    Dispatch(effect, effMainsChanged, 0, 1);
  }
  void SendEvents(std::vector<VstMidiEvent>& events) {
    std::vector<VstEvent*> pointers;
    for (VstMidiEvent& e : events) pointers.push_back(reinterpret_cast<VstEvent*>(&e));
    EventList list(pointers);
    ASSERT_EQ(Dispatch(effect, effProcessEvents, 0, 0, list.get()), 1);
  }
  void SetPlain(int index, const char* text) {
    ASSERT_EQ(Dispatch(effect, effString2Parameter, index, 0, const_cast<char*>(text)), 1) << index;
  }
};

int ParamIndex(AEffect* effect, const char* name) {
  for (int i = 0; i < effect->numParams; ++i) {
    char text[64] = {};
    Dispatch(effect, effGetParamName, i, 0, text);
    if (std::strcmp(text, name) == 0) return i;
  }
  return -1;
}

// The noise sequence is shared by the module's instances and starts at its beginning when the
// module is loaded; every test here loads and unloads the module, so this one starts afresh.
TEST(Vst2Module, EveryAudioCallbackPlaysWhatTheInstrumentRendersWithoutVst2) {
  ReferenceSetup setup;
  setup.sampleRate = kRate;
  setup.blockSize = kBlock;
  setup.frames = 24000;
  setup.events = {{100, 0x90, 60, 100}, {9000, 0xB0, 7, 90}, {15000, 0x80, 60, 0}};
  setup.paramName = "WindSpeed";
  setup.paramValue = 0.625;
  std::vector<double> refL, refR;
  std::string error;
  ASSERT_TRUE(RenderReference(setup, refL, refR, error)) << error;

  ModuleHost h;
  ASSERT_TRUE(h.module.Loaded()) << h.module.Error();
  ASSERT_NE(h.effect, nullptr);
  h.Start();
  h.SetPlain(ParamIndex(h.effect, "WindSpeed"), "0.625");

  // Blocks go through the three callbacks in turn; the float ones must carry the same samples,
  // narrowed, and process() adds them to what the buffer held.
  constexpr float kHeld = 0.5f;
  std::vector<float> silenceF(kBlock, 0.0f), outLF(kBlock), outRF(kBlock);
  std::vector<double> silenceD(kBlock, 0.0), outLD(kBlock), outRD(kBlock);
  float* inF[] = {silenceF.data(), silenceF.data()};
  float* outF[] = {outLF.data(), outRF.data()};
  double* inD[] = {silenceD.data(), silenceD.data()};
  double* outD[] = {outLD.data(), outRD.data()};
  size_t next = 0;
  int mismatches[3] = {};
  double loudest = 0.0;
  for (long long pos = 0, block = 0; pos < setup.frames; pos += kBlock, ++block) {
    const int n = static_cast<int>(std::min<long long>(kBlock, setup.frames - pos));
    std::vector<VstMidiEvent> events;
    for (; next < setup.events.size() && setup.events[next].sample < pos + n; ++next) {
      const ReferenceSetup::Event& e = setup.events[next];
      events.push_back(MakeMidiEvent(static_cast<int>(e.sample - pos), e.status, e.data1, e.data2));
    }
    if (!events.empty()) h.SendEvents(events);
    const int kind = static_cast<int>(block % 3);
    if (kind == 0) {
      h.effect->processDoubleReplacing(h.effect, inD, outD, n);
    } else {
      std::fill(outLF.begin(), outLF.end(), kind == 1 ? 99.0f : kHeld);
      std::fill(outRF.begin(), outRF.end(), kind == 1 ? 99.0f : kHeld);
      (kind == 1 ? h.effect->processReplacing : h.effect->process)(h.effect, inF, outF, n);
    }
    for (int i = 0; i < n; ++i) {
      const size_t k = static_cast<size_t>(pos + i);
      loudest = std::max(loudest, std::fabs(refL[k]));
      bool same;
      if (kind == 0) {
        same = outLD[i] == refL[k] && outRD[i] == refR[k];
      } else {
        const float base = kind == 1 ? 0.0f : kHeld;
        float l = base, r = base;
        l += static_cast<float>(refL[k]);
        r += static_cast<float>(refR[k]);
        same = outLF[i] == (kind == 1 ? static_cast<float>(refL[k]) : l) &&
               outRF[i] == (kind == 1 ? static_cast<float>(refR[k]) : r);
      }
      if (!same) ++mismatches[kind];
    }
  }
  EXPECT_GT(loudest, 0.001) << "the note should be heard";
  EXPECT_EQ(mismatches[0], 0) << "processDoubleReplacing";
  EXPECT_EQ(mismatches[1], 0) << "processReplacing";
  EXPECT_EQ(mismatches[2], 0) << "process";
}

TEST(Vst2Module, BothExportsCreateTheSameInstrument) {
  ModuleHost a("VSTPluginMain");
  ModuleHost b("main");
  ASSERT_TRUE(a.module.Loaded()) << a.module.Error();
  ASSERT_TRUE(a.effect && b.effect);
  EXPECT_NE(a.effect, b.effect) << "one instrument per call";
  EXPECT_EQ(a.effect->uniqueID, b.effect->uniqueID);
  EXPECT_EQ(a.effect->flags, b.effect->flags);
  EXPECT_EQ(a.effect->version, b.effect->version);
  EXPECT_EQ(a.effect->numParams, b.effect->numParams);
  EXPECT_EQ(Dispatch(b.effect, effGetVendorVersion), 10002);
  EXPECT_EQ(Dispatch(b.effect, effGetPlugCategory), kPlugCategSynth);
}

TEST(Vst2Module, StateSurvivesSaveAndRestoreThroughTheModule) {
  ModuleHost h;
  ASSERT_NE(h.effect, nullptr);
  h.Start();
  for (int i = 0; i < 10; ++i) h.effect->setParameter(h.effect, i, 0.05f * static_cast<float>(i + 1));
  std::vector<float> saved;
  for (int i = 0; i < h.effect->numParams; ++i) saved.push_back(h.effect->getParameter(h.effect, i));
  void* data = nullptr;
  const VstIntPtr size = Dispatch(h.effect, effGetChunk, 1, 0, &data);
  ASSERT_EQ(size, 216);
  const std::vector<unsigned char> chunk(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
  Dispatch(h.effect, effClose);
  h.effect = nullptr;

  // A new instance, as when the host reopens the project.
  ModuleHost reopened;
  reopened.Start();
  std::vector<unsigned char> bytes = chunk;
  ASSERT_EQ(Dispatch(reopened.effect, effSetChunk, 1, size, bytes.data()), 1);
  for (int i = 0; i < reopened.effect->numParams; ++i) {
    EXPECT_EQ(reopened.effect->getParameter(reopened.effect, i), saved[static_cast<size_t>(i)]) << i;
  }
}

// Audio callbacks on one thread while another makes state, program and text requests and
// automates: every answer stays whole and every sample finite. (The sanitizer builds check the
// locking itself.)
TEST(Vst2Module, AudioAndDispatcherCallsFromTwoThreads) {
  ModuleHost h;
  ASSERT_NE(h.effect, nullptr);
  h.Start();
  std::atomic<bool> stop{false};
  std::atomic<int> badSamples{0};
  std::thread audio([&] {
    std::vector<float> l(kBlock), r(kBlock);
    std::vector<double> ld(kBlock), rd(kBlock);
    float* outs[] = {l.data(), r.data()};
    double* outsD[] = {ld.data(), rd.data()};
    for (int block = 0; !stop.load() || block < 200; ++block) {
      std::vector<VstMidiEvent> events = {MakeMidiEvent(block % kBlock, block % 2 ? 0x80 : 0x90, 60, 100)};
      h.SendEvents(events);
      if (block % 2) {
        h.effect->processReplacing(h.effect, nullptr, outs, kBlock);
      } else {
        h.effect->processDoubleReplacing(h.effect, nullptr, outsD, kBlock);
        for (int i = 0; i < kBlock; ++i) l[i] = static_cast<float>(ld[i]);
      }
      for (float x : l) {
        if (!std::isfinite(x) || std::fabs(x) > 10.0f) ++badSamples;
      }
      if (block > 100000) break;
    }
  });
  int badChunks = 0;
  for (int round = 0; round < 100; ++round) {
    void* data = nullptr;
    const VstIntPtr size = Dispatch(h.effect, effGetChunk, round % 2, 0, &data);
    const unsigned char header[] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
    if (size < 8 || std::memcmp(data, header, 8) != 0) ++badChunks;
    std::vector<unsigned char> copy(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
    if (Dispatch(h.effect, effSetChunk, round % 2, size, copy.data()) != 1) ++badChunks;
    Dispatch(h.effect, effSetProgram, 0, 0);
    char text[64];
    for (int i = 0; i < h.effect->numParams; ++i) Dispatch(h.effect, effGetParamDisplay, i, 0, text);
    for (int i = 0; i < h.effect->numParams; ++i) {
      h.effect->setParameter(h.effect, i % 10, static_cast<float>((round + i) % 7) / 7.0f);
      std::this_thread::yield();
    }
  }
  stop = true;
  audio.join();
  EXPECT_EQ(badChunks, 0);
  EXPECT_EQ(badSamples.load(), 0);
}

}  // namespace
