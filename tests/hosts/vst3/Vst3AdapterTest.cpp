// The VST 3 adapter linked in directly, for what a host cannot observe through the interfaces:
// the core's view of offline rendering and transport, gestures reaching the component handler,
// and process racing the controller on two threads.
#include "HostObjects.h"

#include "engine/KernelParams.h"
#include "gui/IGraphicsOffscreen.h"
#include "instrument/PresetLibrary.h"
#include "instrument/Sylvane.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

struct Instance {
  Instance() {
    host = new HostApplication("Sylvane Adapter Test");
    plug = new Sylvane(IPlugVST3::InstanceInfo{});
    EXPECT_EQ(plug->initialize(host->Context()), kResultOk);
  }
  ~Instance() {
    plug->terminate();
    plug->release();
    host->release();
  }
  tresult Setup(int32 mode, int32 sampleSize = kSample32, int block = 256) {
    ProcessSetup setup{mode, sampleSize, block, 44100.0};
    return plug->setupProcessing(setup);
  }
  HostApplication* host;
  Sylvane* plug;
};

TEST(Vst3Adapter, OfflineModeAndTransportReachTheCore) {
  Instance in;
  ASSERT_EQ(in.Setup(kOffline), kResultOk);
  EXPECT_TRUE(in.plug->IsRenderingOffline());
  ASSERT_EQ(in.Setup(kRealtime), kResultOk);
  EXPECT_FALSE(in.plug->IsRenderingOffline());
  EXPECT_EQ(in.plug->CurrentHostKind(), kHostUnknown);

  ProcessContext context{};
  context.state = ProcessContext::kPlaying | ProcessContext::kCycleActive;
  context.tempo = 97.5;
  context.projectTimeSamples = (int64(1) << 32) + 1234;
  context.projectTimeMusic = 8.5;
  context.barPositionMusic = 8.0;
  context.cycleStartMusic = 4.0;
  context.cycleEndMusic = 12.0;
  context.timeSigNumerator = 7;
  context.timeSigDenominator = 8;
  ProcessData data;
  data.numSamples = 0;
  data.processContext = &context;
  ASSERT_EQ(in.plug->process(data), kResultOk);
  HostTimeInfo info;
  in.plug->HostTime(&info);
  EXPECT_EQ(info.tempo, 97.5);
  EXPECT_EQ(info.samplePos, double((int64(1) << 32) + 1234));
  EXPECT_EQ(info.ppqPos, 8.5);
  EXPECT_EQ(info.lastBarPos, 8.0);
  EXPECT_EQ(info.cycleStart, 4.0);
  EXPECT_EQ(info.cycleEnd, 12.0);
  EXPECT_EQ(info.numerator, 7);
  EXPECT_EQ(info.denominator, 8);
  EXPECT_TRUE(info.transportIsRunning);
  EXPECT_TRUE(info.loopEnabled);
  EXPECT_EQ(in.plug->HostSamplePos(), 1234);
  EXPECT_EQ(in.plug->HostTempo(), 97.5);
}

TEST(Vst3Adapter, EditorGesturesAndLatencyReachTheComponentHandler) {
  Instance in;
  in.plug->BeginParamGesture(3);  // no handler yet: dropped
  ComponentHandler* handler = new ComponentHandler;
  ASSERT_EQ(in.plug->setComponentHandler(handler), kResultOk);
  in.plug->BeginParamGesture(3);
  in.plug->SetParamFromEditor(3, 0.5);
  in.plug->EndParamGesture(3);
  in.plug->BeginParamGesture(-1);
  in.plug->SetLatency(0);
  EXPECT_EQ(handler->calls, (std::vector<std::string>{"b3", "p3=0.500000", "e3", "r8"}));
  in.plug->setComponentHandler(nullptr);
  EXPECT_EQ(handler->release(), 0u);
}

// A preset the worker applies leaves the host holding old values: it hears of them once, at the
// editor's next tick on the UI thread, and reads the preset's values; a state the host restores
// is its own and is not reported, even over a load not yet reported.
TEST(Vst3Adapter, APresetLoadReachesTheHostOnceAtTheNextEditorTick) {
  Instance in;
  ASSERT_EQ(in.Setup(kRealtime), kResultOk);
  ComponentHandler* handler = new ComponentHandler;
  ASSERT_EQ(in.plug->setComponentHandler(handler), kResultOk);
  auto* editor = dynamic_cast<IGraphicsOffscreen*>(in.plug->Graphics());
  ASSERT_NE(editor, nullptr);
  auto restarts = [&] { return std::count(handler->calls.begin(), handler->calls.end(), "r4"); };
  auto writeEntry = [](int index, const char* line) {
    std::filesystem::create_directories(std::filesystem::path(PresetLibraryPath(index)).parent_path());
    std::ofstream(PresetLibraryPath(index), std::ios::trunc) << line;
  };
  writeEntry(2, "<AmpWindLevel>0.75</AmpWindLevel>");
  writeEntry(3, "<AmpWindLevel>0.25</AmpWindLevel>");
  MemoryStream* saved = new MemoryStream;
  ASSERT_EQ(in.plug->getState(saved), kResultOk);
  const ParamValue savedLevel = in.plug->getParamNormalized(kAmpWindLevel);
  ASSERT_NE(savedLevel, 0.75);

  in.plug->SelectLibraryPreset(2);
  in.plug->WaitForPresetFiles();
  EXPECT_EQ(restarts(), 0);  // applied, but the worker never calls the host
  EXPECT_FALSE(editor->RedrawCycle());  // telling the host is all this tick does
  EXPECT_EQ(restarts(), 1);
  EXPECT_EQ(in.plug->getParamNormalized(kAmpWindLevel), 0.75);
  EXPECT_TRUE(editor->RedrawCycle());  // the knob the preset moved
  EXPECT_EQ(restarts(), 1);

  in.plug->SelectLibraryPreset(3);
  in.plug->WaitForPresetFiles();
  MemoryStream* back = new MemoryStream(saved->Bytes());
  ASSERT_EQ(in.plug->setState(back), kResultOk);
  editor->RedrawCycle();
  EXPECT_EQ(restarts(), 1);
  EXPECT_EQ(in.plug->getParamNormalized(kAmpWindLevel), savedLevel);
  back->release();
  saved->release();
  in.plug->setComponentHandler(nullptr);
  EXPECT_EQ(handler->release(), 0u);
}

// The host's parameter menu needs a handler that offers IComponentHandler3 and an open view, and
// is asked for that view and the parameter's ID at the editor's coordinates.
TEST(Vst3Adapter, HostParamMenuOpensThroughTheHandlerForTheFirstView) {
  Instance in;
  ComponentHandler* handler = new ComponentHandler;
  ASSERT_EQ(in.plug->setComponentHandler(handler), kResultOk);
  in.plug->ShowHostParamMenu(3, 1, 2);  // no view yet
  handler->contextMenus = true;
  in.plug->ShowHostParamMenu(3, 1, 2);
  EXPECT_TRUE(handler->calls.empty());
  IPlugView* first = in.plug->createView(ViewType::kEditor);
  IPlugView* second = in.plug->createView(ViewType::kEditor);
  ASSERT_TRUE(first && second);
  handler->contextMenus = false;
  in.plug->ShowHostParamMenu(3, 1, 2);  // a handler without context menus
  EXPECT_TRUE(handler->calls.empty());
  handler->contextMenus = true;
  in.plug->ShowHostParamMenu(-1, 1, 2);
  in.plug->ShowHostParamMenu(in.plug->NParams(), 1, 2);
  EXPECT_TRUE(handler->calls.empty());
  in.plug->ShowHostParamMenu(24, 810, 290);
  EXPECT_EQ(handler->calls, (std::vector<std::string>{"m24", "popup 810,290"}));
  EXPECT_EQ(handler->menuView, first);
  first->release();  // the next view in the list takes over
  in.plug->ShowHostParamMenu(0, 5, 6);
  EXPECT_EQ(handler->menuView, second);
  second->release();
  in.plug->setComponentHandler(nullptr);
  EXPECT_EQ(handler->release(), 0u);
}

TEST(Vst3Adapter, ProcessRacingStateAndParameterCallsSeesOnlyWholeValues) {
  Instance in;
  ASSERT_EQ(in.Setup(kRealtime, kSample32, 128), kResultOk);
  in.plug->setActive(true);
  constexpr int kParamA = 3;   // set by the audio thread's queues
  constexpr int kParamB = 24;  // set by the controller thread
  const double valuesA[2] = {0.25, 0.75};
  const double valuesB[2] = {0.1, 0.9};
  const double defaultB = in.plug->GetParam(kParamB)->Value();

  MemoryStream* initial = new MemoryStream;
  ASSERT_EQ(in.plug->getState(initial), kResultOk);
  std::atomic<bool> done{false};

  std::thread audio([&] {
    std::vector<float> left(128), right(128);
    float* channels[2] = {left.data(), right.data()};
    AudioBusBuffers out;
    out.numChannels = 2;
    out.channelBuffers32 = channels;
    ParamChanges* changes = new ParamChanges;
    EventList* events = new EventList;
    for (int b = 0; b < 3000; ++b) {
      changes->Clear();
      events->Clear();
      changes->Add(kParamA, valuesA[b % 2]);
      if (b % 50 == 0) events->NoteOn(b % 128, 60, 0.5f);
      ProcessData data;
      data.numSamples = 128;
      data.numOutputs = 1;
      data.outputs = &out;
      data.inputParameterChanges = changes;
      data.inputEvents = events;
      in.plug->process(data);
    }
    changes->release();
    events->release();
    done = true;
  });

  int snapshots = 0;
  while (!done || snapshots == 0) {
    in.plug->setParamNormalized(kParamB, valuesB[snapshots % 2]);
    const double seen = in.plug->getParamNormalized(kParamB);
    EXPECT_TRUE(seen == valuesB[0] || seen == valuesB[1]) << seen;
    // Read without the lock while the audio thread writes it.
    const double live = in.plug->getParamNormalized(kParamA);
    EXPECT_TRUE(live == valuesA[0] || live == valuesA[1] || live == 0.5) << live;
    MemoryStream* saved = new MemoryStream;
    ASSERT_EQ(in.plug->getState(saved), kResultOk);
    ASSERT_EQ(saved->Bytes().size(), 26u * 8u + 4u);
    double a = 0.0, b = 0.0;
    std::memcpy(&a, saved->Bytes().data() + 8 * kParamA, 8);
    std::memcpy(&b, saved->Bytes().data() + 8 * kParamB, 8);
    EXPECT_TRUE(a == valuesA[0] || a == valuesA[1] || a == 0.5) << a;
    EXPECT_TRUE(b == valuesB[0] || b == valuesB[1] || b == defaultB) << b;
    MemoryStream* back = new MemoryStream(snapshots % 3 == 0 ? initial->Bytes() : saved->Bytes());
    EXPECT_EQ(in.plug->setState(back), kResultOk);
    back->release();
    saved->release();
    ++snapshots;
  }
  audio.join();
  EXPECT_GT(snapshots, 0);
  initial->release();
}

}  // namespace
