// Plays a host against the built Sylvane.vst3 bundle: exports, factory, identity, buses,
// parameters, units, processing and state, through the published interfaces only.
#include "LoadedPlugin.h"

#include "hosts/headless/SylvaneAdapter.h"
#include "instrument/Sylvane.h"
#include "vst3support/String.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr ParamID kPrst = 0x70727374;  // the program change and the program list

std::string Narrow(const char16* text) {
  char out[256];
  vst3support::String::ToUtf8(text, out, sizeof out);
  return out;
}

// Runs one 32-bit stereo block; returns the sum of squares of both channels.
double RunBlock(LoadedPlugin& p, int frames, IParameterChanges* changes = nullptr, IEventList* events = nullptr) {
  std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
  float* channels[2] = {left.data(), right.data()};
  AudioBusBuffers out;
  out.numChannels = 2;
  out.channelBuffers32 = channels;
  ProcessData data;
  data.symbolicSampleSize = kSample32;
  data.numSamples = frames;
  data.numOutputs = 1;
  data.outputs = &out;
  data.inputParameterChanges = changes;
  data.inputEvents = events;
  EXPECT_EQ(p.processor->process(data), kResultOk);
  double energy = 0.0;
  for (int i = 0; i < frames; ++i) energy += double(left[size_t(i)]) * left[size_t(i)] + double(right[size_t(i)]) * right[size_t(i)];
  return energy;
}

// A parameter flush: no samples, no buffers.
void Flush(LoadedPlugin& p, IParameterChanges* changes, IEventList* events = nullptr) {
  ProcessData data;
  data.numSamples = 0;
  data.inputParameterChanges = changes;
  data.inputEvents = events;
  EXPECT_EQ(p.processor->process(data), kResultOk);
}

TEST(Vst3Module, ExportsAnswerAndTheFactoryIsSharedUntilReleased) {
  ASSERT_TRUE(Module().IsLoaded()) << Module().Error();
  using EntryProc = bool (*)();
  const char* entries[] = {"InitDll", "ExitDll",
#ifdef _WIN32
                           "InitModule", "DeinitModule"
#else
                           "ModuleExit"
#endif
  };
  for (const char* name : entries) {
    auto proc = reinterpret_cast<EntryProc>(Module().Symbol(name));
    ASSERT_NE(proc, nullptr) << name;
    EXPECT_TRUE(proc()) << name;
  }
#ifndef _WIN32
  auto moduleEntry = reinterpret_cast<bool (*)(void*)>(Module().Symbol("ModuleEntry"));
  ASSERT_NE(moduleEntry, nullptr);
  EXPECT_TRUE(moduleEntry(nullptr));
#endif

  IPluginFactory* first = AcquireFactory();
  IPluginFactory* second = AcquireFactory();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(second->release(), 1u);
  EXPECT_EQ(first->release(), 0u);
  IPluginFactory* fresh = AcquireFactory();
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(fresh->countClasses(), 1);
  fresh->release();
}

TEST(Vst3Module, FactoryReportsTheIdentityHostsSee) {
  IPluginFactory* factory = AcquireFactory();
  ASSERT_NE(factory, nullptr);
  PFactoryInfo info{};
  ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
  EXPECT_STREQ(info.vendor, "KorvelAudio");
  EXPECT_EQ(info.flags, PFactoryInfo::kUnicode);
  EXPECT_EQ(factory->getFactoryInfo(nullptr), kInvalidArgument);

  IPluginFactory2* factory2 = nullptr;
  IPluginFactory3* factory3 = nullptr;
  ASSERT_EQ(factory->queryInterface(IPluginFactory2::iid, reinterpret_cast<void**>(&factory2)), kResultOk);
  ASSERT_EQ(factory->queryInterface(IPluginFactory3::iid, reinterpret_cast<void**>(&factory3)), kResultOk);
  PClassInfo2 c2{};
  ASSERT_EQ(factory2->getClassInfo2(0, &c2), kResultOk);
  EXPECT_EQ(std::memcmp(c2.cid, SylvaneCid(), sizeof(TUID)), 0);
  EXPECT_EQ(c2.cardinality, 0x7FFFFFFF);
  EXPECT_STREQ(c2.category, "Audio Module Class");
  EXPECT_STREQ(c2.name, "Sylvane");
  EXPECT_EQ(c2.classFlags, 2u);
  EXPECT_STREQ(c2.subCategories, "Instrument|Synth");
  EXPECT_STREQ(c2.vendor, "");
  EXPECT_STREQ(c2.version, "1.0.2");
  EXPECT_STREQ(c2.sdkVersion, "VST 3.6.0");
  PClassInfoW cw{};
  ASSERT_EQ(factory3->getClassInfoUnicode(0, &cw), kResultOk);
  EXPECT_EQ(Narrow(cw.name), "Sylvane");
  EXPECT_EQ(Narrow(cw.version), "1.0.2");
  EXPECT_EQ(factory2->getClassInfo2(1, &c2), kInvalidArgument);
  EXPECT_EQ(factory3->setHostContext(nullptr), kNotImplemented);

  // Another class ID, or an interface the class lacks, creates nothing.
  TUID otherCid;
  std::memcpy(otherCid, SylvaneCid(), sizeof otherCid);
  otherCid[15] = '2';
  void* obj = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->createInstance(otherCid, IComponent::iid, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
  obj = reinterpret_cast<void*>(1);
  EXPECT_EQ(factory->createInstance(SylvaneCid(), IPluginFactory::iid, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
  factory3->release();
  factory2->release();
  factory->release();
}

TEST(Vst3Module, DeclaresOneStereoOutputAndOneMidiInput) {
  LoadedPlugin p;
  ASSERT_NE(p.component, nullptr);
  ASSERT_EQ(p.initResult, kResultOk);
  EXPECT_EQ(p.component->initialize(p.host->Context()), kResultFalse);
  EXPECT_EQ(p.component->getBusCount(kAudio, kInput), 0);
  ASSERT_EQ(p.component->getBusCount(kAudio, kOutput), 1);
  ASSERT_EQ(p.component->getBusCount(kEvent, kInput), 1);
  EXPECT_EQ(p.component->getBusCount(kEvent, kOutput), 0);
  BusInfo bus{};
  ASSERT_EQ(p.component->getBusInfo(kAudio, kOutput, 0, bus), kResultOk);
  EXPECT_EQ(Narrow(bus.name), "Output 1");
  EXPECT_EQ(bus.channelCount, 2);
  EXPECT_EQ(bus.busType, kMain);
  EXPECT_EQ(bus.flags, uint32(BusInfo::kDefaultActive));
  ASSERT_EQ(p.component->getBusInfo(kEvent, kInput, 0, bus), kResultOk);
  EXPECT_EQ(Narrow(bus.name), "MIDI Input");
  EXPECT_EQ(p.component->getBusInfo(kAudio, kOutput, 1, bus), kInvalidArgument);
  EXPECT_EQ(p.component->activateBus(kAudio, kInput, 0, true), kInvalidArgument);

  SpeakerArrangement stereo = SpeakerArr::kStereo, mono = SpeakerArr::kMono;
  EXPECT_EQ(p.processor->setBusArrangements(nullptr, 0, &stereo, 1), kResultOk);
  EXPECT_EQ(p.processor->setBusArrangements(nullptr, 0, &mono, 1), kResultFalse);
  EXPECT_EQ(p.processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultFalse);
  EXPECT_EQ(p.processor->setBusArrangements(nullptr, 0, nullptr, 1), kInvalidArgument);
  SpeakerArrangement arrangement = 0;
  ASSERT_EQ(p.processor->getBusArrangement(kOutput, 0, arrangement), kResultOk);
  EXPECT_EQ(arrangement, SpeakerArr::kStereo);

  EXPECT_EQ(p.processor->canProcessSampleSize(kSample32), kResultOk);
  EXPECT_EQ(p.processor->canProcessSampleSize(kSample64), kResultOk);
  EXPECT_EQ(p.processor->canProcessSampleSize(2), kResultFalse);
  ProcessSetup bad{kRealtime, 2, 512, 44100.0};
  EXPECT_EQ(p.processor->setupProcessing(bad), kResultFalse);
  bad = ProcessSetup{kRealtime, kSample32, 0, 44100.0};
  EXPECT_EQ(p.processor->setupProcessing(bad), kResultFalse);

  // A block before setupProcessing (no block size known yet) is silence, not a crash.
  EXPECT_EQ(RunBlock(p, 64), 0.0);

  EXPECT_EQ(p.component->terminate(), kResultOk);
  EXPECT_EQ(p.component->getBusCount(kAudio, kOutput), 0);
  EXPECT_EQ(p.controller->getParameterCount(), 0);
  EXPECT_EQ(p.component->initialize(p.host->Context()), kResultOk);
  EXPECT_EQ(p.controller->getParameterCount(), 27);
}

TEST(Vst3Module, ShowsEveryParameterWithTheCoreNamesAndTexts) {
  LoadedPlugin p;
  ASSERT_EQ(p.initResult, kResultOk);
  Sylvane reference{IPlugHeadless::InstanceInfo{}};
  ASSERT_EQ(p.controller->getParameterCount(), reference.NParams() + 1);

  for (int32 index = 0; index < p.controller->getParameterCount(); ++index) {
    ParameterInfo info{};
    ASSERT_EQ(p.controller->getParameterInfo(index, info), kResultOk);
    if (info.id == kPrst) {
      EXPECT_EQ(Narrow(info.title), "Preset");
      EXPECT_EQ(info.stepCount, 1);
      EXPECT_EQ(info.flags, ParameterInfo::kIsProgramChange);
      continue;
    }
    ASSERT_LT(info.id, static_cast<ParamID>(reference.NParams()));
    const PlugParam& param = *reference.GetParam(static_cast<int>(info.id));
    EXPECT_EQ(Narrow(info.title), param.Name());
    EXPECT_EQ(info.flags, ParameterInfo::kCanAutomate);
    EXPECT_EQ(info.unitId, kRootUnitId);
    EXPECT_DOUBLE_EQ(info.defaultNormalizedValue, param.ToNormalized(param.Default()));
    EXPECT_DOUBLE_EQ(p.controller->getParamNormalized(info.id), param.CurrentNormalized());
    for (double normalized : {0.0, 0.37, 1.0}) {
      String128 text;
      ASSERT_EQ(p.controller->getParamStringByValue(info.id, normalized, text), kResultOk);
      char expected[128];
      param.FormatDisplay(normalized, true, expected, sizeof expected, true);
      EXPECT_EQ(Narrow(text), expected) << param.Name();
      // The text read back means a value shown by the same text.
      ParamValue parsed = -1.0;
      ASSERT_EQ(p.controller->getParamValueByString(info.id, text, parsed), kResultOk);
      String128 again;
      ASSERT_EQ(p.controller->getParamStringByValue(info.id, parsed, again), kResultOk);
      EXPECT_EQ(Narrow(again), expected) << param.Name();
    }
  }
  String128 text;
  ASSERT_EQ(p.controller->getParamStringByValue(5, p.controller->getParamNormalized(5), text), kResultOk);
  EXPECT_EQ(Narrow(text), "120.00000");
  EXPECT_EQ(p.controller->getParamStringByValue(999, 0.5, text), kResultFalse);
  EXPECT_EQ(p.controller->getParamStringByValue(5, 0.5, nullptr), kInvalidArgument);
  EXPECT_EQ(p.controller->setParamNormalized(999, 0.5), kResultFalse);
  EXPECT_EQ(p.controller->setParamNormalized(kPrst, 0.5), kResultFalse);
  EXPECT_EQ(p.controller->getParamNormalized(999), 0.0);
  EXPECT_DOUBLE_EQ(p.controller->normalizedParamToPlain(5, 0.25), 250.0);
  EXPECT_DOUBLE_EQ(p.controller->plainParamToNormalized(5, 250.0), 0.25);
  EXPECT_DOUBLE_EQ(p.controller->plainParamToNormalized(999, 7.0), 7.0);
}

TEST(Vst3Module, AnswersUnitsAndTheProgramList) {
  LoadedPlugin p;
  ASSERT_NE(p.units, nullptr);
  ASSERT_EQ(p.units->getUnitCount(), 1);
  UnitInfo unit{};
  ASSERT_EQ(p.units->getUnitInfo(0, unit), kResultOk);
  EXPECT_EQ(unit.id, kRootUnitId);
  EXPECT_EQ(unit.parentUnitId, kNoParentUnitId);
  EXPECT_EQ(unit.programListId, kNoProgramListId);
  EXPECT_EQ(Narrow(unit.name), "Root Unit");
  EXPECT_EQ(p.units->getUnitInfo(1, unit), kResultFalse);

  EXPECT_EQ(p.units->getProgramListCount(), 0);
  ProgramListInfo list{};
  ASSERT_EQ(p.units->getProgramListInfo(0, list), kResultOk);
  EXPECT_EQ(list.id, kPrst);
  EXPECT_EQ(Narrow(list.name), "Factory Presets");
  EXPECT_EQ(list.programCount, 1);
  EXPECT_EQ(p.units->getProgramListInfo(1, list), kResultFalse);
  String128 name;
  ASSERT_EQ(p.units->getProgramName(kPrst, 0, name), kResultOk);
  EXPECT_EQ(Narrow(name), "Init");
  ASSERT_EQ(p.units->getProgramName(kPrst, 7, name), kResultOk);
  EXPECT_EQ(Narrow(name), "");
  EXPECT_EQ(p.units->getProgramName(1, 0, name), kResultFalse);
}

TEST(Vst3Module, PlaysANoteAndAppliesFlushedParameters) {
  LoadedPlugin p;
  ASSERT_EQ(p.Setup(kSample32, 512), kResultOk);
  EXPECT_EQ(RunBlock(p, 512), 0.0);

  // A flush with no samples and no buffers applies its parameter change.
  ParamChanges* changes = new ParamChanges;
  changes->Add(2, 0.25, 0);
  changes->Add(2, 0.6, 300);  // only the last point counts
  Flush(p, changes);
  EXPECT_NEAR(p.controller->getParamNormalized(2), 0.6, 1e-12);

  // What the host must never be trusted with: non-finite values, unknown IDs, offsets past the
  // block, pitches outside 0..127.
  changes->Clear();
  changes->Add(2, std::nan(""));
  changes->Add(12345, 0.5);
  EventList* events = new EventList;
  events->NoteOn(100000, 60, 1.0f);
  events->NoteOn(-5, 300, 1.0f);
  EXPECT_GT(RunBlock(p, 256, changes, events), 0.0);
  EXPECT_NEAR(p.controller->getParamNormalized(2), 0.6, 1e-12);

  // A bus with fewer channels than the core, and a null channel pointer, render without a crash.
  float left[64] = {};
  float* oneChannel[1] = {left};
  AudioBusBuffers narrow;
  narrow.numChannels = 1;
  narrow.channelBuffers32 = oneChannel;
  ProcessData data;
  data.numSamples = 64;
  data.numOutputs = 1;
  data.outputs = &narrow;
  EXPECT_EQ(p.processor->process(data), kResultOk);
  EXPECT_NE(left[63], 0.0f);
  float* nullChannels[2] = {nullptr, nullptr};
  AudioBusBuffers empty;
  empty.numChannels = 2;
  empty.channelBuffers32 = nullChannels;
  data.outputs = &empty;
  EXPECT_EQ(p.processor->process(data), kResultOk);
  changes->release();
  events->release();
}

TEST(Vst3Module, StateRoundTripsThroughShortStreamsAndAShortStreamChangesNothing) {
  LoadedPlugin p;
  ASSERT_EQ(p.Setup(kSample32, 256), kResultOk);
  ParamChanges* changes = new ParamChanges;
  changes->Add(3, 0.125);
  changes->Add(24, 0.875);
  Flush(p, changes);

  MemoryStream* saved = new MemoryStream;
  ASSERT_EQ(p.controller->getState(saved), kResultOk);
  EXPECT_EQ(saved->Bytes().size(), 26u * 8u + 4u);

  changes->Clear();
  changes->Add(3, 0.5);
  changes->Add(24, 0.5);
  Flush(p, changes);

  // Whole state minus its last byte: refused, nothing changes.
  std::vector<uint8_t> truncated(saved->Bytes().begin(), saved->Bytes().end() - 1);
  MemoryStream* shortStream = new MemoryStream(truncated);
  EXPECT_EQ(p.component->setState(shortStream), kResultFalse);
  EXPECT_DOUBLE_EQ(p.controller->getParamNormalized(3), 0.5);

  // The same bytes handed out 7 at a time restore everything.
  MemoryStream* trickle = new MemoryStream(saved->Bytes(), 7);
  ASSERT_EQ(p.controller->setState(trickle), kResultOk);
  EXPECT_DOUBLE_EQ(p.controller->getParamNormalized(3), 0.125);
  EXPECT_DOUBLE_EQ(p.controller->getParamNormalized(24), 0.875);

  // A host that then flushes every parameter at its current value, the program change included,
  // leaves the restored state in place.
  changes->Clear();
  for (int32 i = 0; i < p.controller->getParameterCount(); ++i) {
    ParameterInfo info{};
    p.controller->getParameterInfo(i, info);
    changes->Add(info.id, p.controller->getParamNormalized(info.id));
  }
  Flush(p, changes);
  EXPECT_DOUBLE_EQ(p.controller->getParamNormalized(3), 0.125);
  EXPECT_DOUBLE_EQ(p.controller->getParamNormalized(24), 0.875);

  EXPECT_EQ(p.controller->setState(nullptr), kInvalidArgument);
  EXPECT_EQ(p.controller->getState(nullptr), kInvalidArgument);
  for (MemoryStream* s : {saved, shortStream, trickle}) s->release();
  changes->release();
}

TEST(Vst3Module, AProgramChangeActsOnlyWhenItsValueChanges) {
  LoadedPlugin p;
  ASSERT_EQ(p.Setup(kSample32, 256), kResultOk);
  ParamChanges* changes = new ParamChanges;
  changes->Add(3, 0.125);
  Flush(p, changes);
  // "prst" at 0 is the program already selected: the edit stays.
  changes->Clear();
  changes->Add(kPrst, 0.0);
  Flush(p, changes);
  EXPECT_DOUBLE_EQ(p.controller->getParamNormalized(3), 0.125);
  // A new value past the last slot selects nothing but is remembered; back to 0 reloads "Init".
  changes->Clear();
  changes->Add(kPrst, 1.0);
  Flush(p, changes);
  EXPECT_DOUBLE_EQ(p.controller->getParamNormalized(kPrst), 1.0);
  EXPECT_DOUBLE_EQ(p.controller->getParamNormalized(3), 0.125);
  changes->Clear();
  changes->Add(kPrst, 0.0);
  Flush(p, changes);
  EXPECT_DOUBLE_EQ(p.controller->getParamNormalized(3), 0.5);
  changes->release();
}

}  // namespace
