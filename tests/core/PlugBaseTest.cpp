#include "tests/core/TestPlug.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <thread>

namespace {

bool OtherThreadCanLock(std::recursive_mutex& lock) {
  bool locked = false;
  std::thread t([&] {
    locked = lock.try_lock();
    if (locked) lock.unlock();
  });
  t.join();
  return locked;
}

TEST(PlugIdentity, CodesAreBigEndianAndNamesAreCut) {
  EXPECT_EQ(0x4B737731, FourCharCode("Ksw1"));
  const std::string longName(200, 'e');
  TestPlug plug(4, "2-2", 1, 0, longName.c_str());
  EXPECT_EQ(std::string(127, 'e'), plug.EffectName());
  EXPECT_EQ(nullptr, plug.GetParam(4));
  EXPECT_EQ(kHostUninit, plug.CurrentHostKind());
}

TEST(HostIdentification, FirstTableEntryFoundInTheLowerCasedNameDecides) {
  EXPECT_EQ(kHostReaper, IPlugBase::IdentifyHost("REAPER"));
  EXPECT_EQ(kHostCubase, IPlugBase::IdentifyHost("Nuendo and Cubase"));
  EXPECT_EQ(kHostNuendo, IPlugBase::IdentifyHost("Nuendo Live"));
  EXPECT_EQ(kHostLive, IPlugBase::IdentifyHost("Live inside Logic"));
  EXPECT_EQ(kHostFruity, IPlugBase::IdentifyHost("Fruity Live"));
  EXPECT_EQ(kHostDigitalPerformer, IPlugBase::IdentifyHost("Digital Performer"));
  EXPECT_EQ(kHostUnknown, IPlugBase::IdentifyHost("Bitwig Studio"));
  EXPECT_EQ(kHostUnknown, IPlugBase::IdentifyHost(""));
}

// The host table: substring and kind number, in search order.
struct HostEntry {
  const char* text;
  int kind;
};
constexpr HostEntry kHostTable[] = {
    {"cubase", 3},     {"reaper", 1},      {"nuendo", 4},     {"cakewalk", 5},  {"samplitude", 8},
    {"fruity", 7},     {"live", 9},        {"melodyne", 12},  {"vstmanlib", 13}, {"aulab", 14},
    {"garageband", 22}, {"forte", 15},     {"chainer", 16},   {"audition", 17}, {"orion", 18},
    {"sawstudio", 20}, {"logic", 21},      {"digital", 23},   {"audiomulch", 25}, {"presonus", 26},
    {"vst3plugintesthost", 27}, {"protools", 2}, {"ardour", 28}, {"standalone", 24},
};

TEST(HostIdentification, EveryEntryHasItsKindAndTheEarlierEntryWins) {
  const int n = static_cast<int>(sizeof kHostTable / sizeof kHostTable[0]);
  for (int i = 0; i < n; ++i) {
    std::string upper = kHostTable[i].text;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(kHostTable[i].kind, IPlugBase::IdentifyHost(("My " + upper + " 9").c_str())) << kHostTable[i].text;
    for (int j = i + 1; j < n; ++j) {
      const std::string later = std::string(kHostTable[j].text) + " " + kHostTable[i].text;
      EXPECT_EQ(kHostTable[i].kind, IPlugBase::IdentifyHost(later.c_str())) << later;
    }
  }
  EXPECT_EQ(kHostUnknown, IPlugBase::IdentifyHost(nullptr));
}

TEST(HostIdentification, OnlyTheFirst255CharactersAreSearched) {
  std::string name(249, '.');
  EXPECT_EQ(kHostReaper, IPlugBase::IdentifyHost((name + "reaper").c_str()));   // ends at 255
  EXPECT_EQ(kHostUnknown, IPlugBase::IdentifyHost((name + ".reaper").c_str()));  // ends at 256
}

TEST(ParamLock, IsRecursiveAndHeldAroundEditorChangesAndStateLoading) {
  TestPlug plug;
  plug.GetParam(0)->DeclareContinuous("A", 0, 0, 10, 0.1);
  int heldElsewhere = 0;
  int recursive = 0;
  plug.onParamChange = [&](int) {
    if (!OtherThreadCanLock(plug.ParamLock())) ++heldElsewhere;
    if (plug.ParamLock().try_lock()) {
      ++recursive;
      plug.ParamLock().unlock();
    }
  };
  plug.SetParamFromEditor(0, 0.5);
  StateChunk state;
  plug.SerializeParams(state);
  plug.SerializeParams(state);
  plug.UnserializeParams(state, 0);  // three changes
  EXPECT_EQ(4, heldElsewhere);
  EXPECT_EQ(4, recursive);
  EXPECT_TRUE(OtherThreadCanLock(plug.ParamLock()));
}

TEST(ParamLock, AnEditorChangeWaitsForTheBlockThatHoldsTheLock) {
  TestPlug plug;
  plug.GetParam(0)->DeclareContinuous("A", 0, 0, 10, 0.1);
  std::atomic<bool> done{false};
  std::thread editor;
  {
    std::lock_guard<std::recursive_mutex> block(plug.ParamLock());
    editor = std::thread([&] {
      plug.SetParamFromEditor(0, 0.5);
      done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(done.load());
    EXPECT_EQ(0.0, plug.GetParam(0)->Value());
  }
  editor.join();
  EXPECT_EQ(5.0, plug.GetParam(0)->Value());
}

TEST(EditorChange, SetsTheValueTellsTheHostThenTheProduct) {
  TestPlug plug;
  plug.GetParam(1)->DeclareContinuous("B", 0, -10, 10, 0.1);
  plug.SetParamFromEditor(1, 0.75);
  EXPECT_EQ(5.0, plug.GetParam(1)->Value());
  EXPECT_EQ((std::vector<std::string>{"notify 1", "change 1"}), plug.log);
  EXPECT_EQ((std::vector<double>{0.75}), plug.notifiedValues);
  plug.SetParamFromEditor(1, std::numeric_limits<double>::quiet_NaN());
  plug.SetParamFromEditor(3, 0.5);
  plug.SetParamFromEditor(-1, 0.5);
  EXPECT_EQ(2u, plug.log.size());
  EXPECT_EQ(5.0, plug.GetParam(1)->Value());
}

TEST(PlugDefaults, ACoreStartsUnconfiguredWithItsIdentity) {
  TestPlug plug(5, "2-2", 2);
  EXPECT_EQ(5, plug.NParams());
  EXPECT_EQ(2, plug.NPrograms());
  EXPECT_STREQ("Test Effect", plug.EffectName());
  EXPECT_STREQ("", plug.ProductName());
  EXPECT_STREQ("Test Maker", plug.MakerName());
  EXPECT_EQ(0x10203, plug.Version());
  EXPECT_EQ(0x54737431, plug.UniqueId());  // "Tst1"
  EXPECT_EQ(0x4D6B7231, plug.MakerId());   // "Mkr1"
  EXPECT_EQ(1, plug.HostApi());
  EXPECT_EQ(-1, static_cast<int>(plug.CurrentHostKind()));
  EXPECT_EQ(0, plug.HostVersion());
  EXPECT_TRUE(plug.DoesMidi() && plug.IsInstrument());
  EXPECT_FALSE(plug.DoesStateChunks() || plug.IsBypassed());
  EXPECT_EQ(0, plug.CurrentProgram());
  EXPECT_EQ(44100.0, plug.SampleRate());
  EXPECT_EQ(0, plug.BlockSize());
  EXPECT_EQ(0, plug.Latency());
  EXPECT_EQ(nullptr, plug.GetLatencyDelay());
  EXPECT_EQ(nullptr, plug.Graphics());
  EXPECT_FALSE(plug.IsInputConnected(0) || plug.IsOutputConnected(1));
  plug.SetHostIdentity(IPlugBase::IdentifyHost("Bitwig"), 0);
  EXPECT_EQ(0, static_cast<int>(plug.CurrentHostKind()));
}

TEST(PlugDefaults, EmptyHooksAnswerNothing) {
  TestPlug plug;
  char text[8] = "xxxxxxx";
  EXPECT_FALSE(plug.MidiNoteText(60, text, sizeof text));
  EXPECT_STREQ("", text);
  EXPECT_FALSE(plug.SendSysExMessage(SysExMessage()));
  EXPECT_FALSE(plug.IsRenderingOffline());
  EXPECT_FALSE(plug.ReservedQuery());
}

TEST(ParamLock, DefaultResetChangeAndActivationHooksTakeTheLock) {
  TestPlug plug;
  const std::function<void()> hooks[] = {
      [&] { plug.IPlugBase::OnReset(); },
      [&] { plug.IPlugBase::HandleParamChange(0); },
      [&] { plug.IPlugBase::OnActiveChanged(true); },
  };
  for (const auto& hook : hooks) {
    std::atomic<bool> done{false};
    std::thread caller;
    {
      std::lock_guard<std::recursive_mutex> block(plug.ParamLock());
      caller = std::thread([&] {
        hook();
        done = true;
      });
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      EXPECT_FALSE(done.load());
    }
    caller.join();
    EXPECT_TRUE(done.load());
  }
}

TEST(PlugDefaults, MidiIsForwardedAndTheDefaultBlockCopies) {
  TestPlug plug(1, "1-3");
  MidiMessage m;
  m.offset = 17;
  m.status = 0x90;
  m.data1 = 60;
  m.data2 = 100;
  plug.HandleMidiMessage(m);
  ASSERT_EQ(1u, plug.sentMidi.size());
  EXPECT_EQ(17, plug.sentMidi[0].offset);

  double in[3] = {1, 2, 3};
  double out0[3] = {9, 9, 9}, out1[3] = {9, 9, 9}, out2[3] = {9, 9, 9};
  double* ins[1] = {in};
  double* outs[3] = {out0, out1, out2};
  plug.IPlugBase::ProcessBlock(ins, outs, 3);
  EXPECT_EQ(3.0, out0[2]);
  EXPECT_EQ(0.0, out1[0]);
  EXPECT_EQ(0.0, out2[2]);
}

}  // namespace
