// The VST 2 adapter through its effect record, as a host drives it: the instrument from the
// module entry for identity and real answers, and a small plug-in of the test's own where a case
// needs display texts, long texts, two programs or a record of what reached the core's hooks.
#include "hosts/vst2/IPlugVST.h"
#include "hosts/vst2/VstEntry.h"
#include "engine/KernelParams.h"
#include "gui/IGraphicsOffscreen.h"
#include "instrument/PresetLibrary.h"
#include "instrument/Sylvane.h"
#include "tests/hosts/vst2/FakeVstHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string kLongName(40, 'n');
const std::string kLongMaker(70, 'm');

class TestVstPlug : public IPlugVST {
 public:
  explicit TestVstPlug(audioMasterCallback callback, const char* io = "2-2")
      : IPlugVST(InstanceInfo{callback}, 4, io, 2, kLongName.c_str(), kLongMaker.c_str(), kLongMaker.c_str(),
                 0x10203, FourCharCode("Tvs2"), FourCharCode("Mkr1"), 0, true, false, false) {
    GetParam(0)->DeclareContinuous("Level", 0.5, 0.0, 1.0, 0.01, "dB");
    GetParam(1)->SetType(kParamBool);
    GetParam(1)->DeclareContinuous("Switch", 0.0, 0.0, 1.0, 1.0);
    GetParam(1)->SetDisplayText(0, "Off");
    GetParam(1)->SetDisplayText(1, "On");
    GetParam(2)->DeclareContinuous("Depth", 0.0, -1.0, 1.0, 0.01);
    GetParam(2)->SetNegateDisplay(true);
    GetParam(3)->DeclareContinuous(std::string(31, 'p').c_str(), 0.0, 0.0, 1e40, 1.0, std::string(31, 'u').c_str());
    MakeDefaultPrograms("Init", 1);
  }

  void HandleMidiMessage(const MidiMessage& message) override { midiIn.push_back(message); }
  void HandleSysEx(const SysExMessage& message) override { sysexIn.push_back(message); }
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override {
    if (askOfflineTwice) offlineAnswers = IsRenderingOffline() + IsRenderingOffline();
    IPlugBase::ProcessBlock(inputs, outputs, nFrames);
  }

  std::vector<MidiMessage> midiIn;
  std::vector<SysExMessage> sysexIn;
  bool askOfflineTwice = false;
  int offlineAnswers = 0;
};

// Owns one effect for a test and closes it at the end, as a host does.
struct Fixture {
  FakeVstHost host;
  AEffect* effect = nullptr;
  TestVstPlug* plug = nullptr;

  explicit Fixture(bool sylvane = false, audioMasterCallback callback = &FakeVstHost::Callback) {
    if (sylvane) {
      effect = VSTPluginMain(callback);
    } else {
      plug = new TestVstPlug(callback);
      effect = plug->Effect();
    }
    effect->user = &host;
  }
  ~Fixture() {
    if (effect) Dispatch(effect, effClose);
  }
  IPlugVST* Plug() const { return static_cast<IPlugVST*>(effect->object); }
  std::string Text(VstInt32 opcode, VstInt32 index = 0) {
    char text[256] = {};
    Dispatch(effect, opcode, index, 0, text);
    return text;
  }
};

TEST(Vst2Identity, TheRecordAndTheIdentityAnswersOfTheInstrument) {
  Fixture f(true);
  const AEffect& e = *f.effect;
  EXPECT_EQ(e.magic, 0x56737450);
  EXPECT_EQ(e.flags, effFlagsCanReplacing | effFlagsCanDoubleReplacing | effFlagsIsSynth);
  EXPECT_EQ(e.numPrograms, 1);
  EXPECT_EQ(e.numParams, 26);
  EXPECT_EQ(e.numInputs, 2);
  EXPECT_EQ(e.numOutputs, 2);
  EXPECT_EQ(e.uniqueID, ('K' << 24) | ('s' << 16) | ('w' << 8) | '1');
  EXPECT_EQ(e.version, 10002);
  EXPECT_EQ(e.initialDelay, 0);
  EXPECT_EQ(e.ioRatio, 1.0f);

  struct Case { VstInt32 opcode; VstIntPtr expected; };
  const Case cases[] = {
      {effGetVendorVersion, 10002}, {effGetVstVersion, 2400},   {effIdentify, 0x4E764566},
      {effGetPlugCategory, 2},      {effGetProgram, 0},         {effGetTailSize, 0},
      {effEditGetRect, 0},          {effEditOpen, 0},           {effEditClose, 0},
      {effCanBeAutomated, 1},       {effIdle, 0},               {9999, 0},
  };
  for (const Case& c : cases) {
    ERect* rect = nullptr;
    EXPECT_EQ(Dispatch(f.effect, c.opcode, 0, 0, &rect), c.expected) << "opcode " << c.opcode;
  }
  EXPECT_EQ(f.Text(effGetEffectName), "Sylvane");
  EXPECT_EQ(f.Text(effGetVendorString), "KorvelAudio");
  EXPECT_EQ(f.Text(effGetProductString), "");
  EXPECT_EQ(Dispatch(f.effect, effGetProductString), 0) << "null pointer";
  EXPECT_EQ(f.Text(effGetProgramName), "Init");
  EXPECT_EQ(f.Plug()->HostApi(), kApiVst2);
}

TEST(Vst2Identity, CanDoAnswers) {
  Fixture f(true);
  struct Case { const char* text; VstIntPtr expected; int extensionBits; };
  const Case cases[] = {
      {"receiveVstTimeInfo", 1, 0},    {"sendVstEvents", 1, 0},          {"sendVstMidiEvent", 1, 0},
      {"receiveVstEvents", 1, 0},      {"receiveVstMidiEvent", 1, 0},    {"receiveVstTimeinfo", 0, 0},
      {"", 0, 0},                      {nullptr, 0, 0},                  {"hasCockosExtensions", 0xBEEF0000, 1},
      {"hasCockosViewAsConfig", 0xBEEF0000, 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Dispatch(f.effect, effCanDo, 0, 0, const_cast<char*>(c.text)), c.expected) << (c.text ? c.text : "null");
    EXPECT_EQ(f.Plug()->HostExtensionFlags(), c.extensionBits) << (c.text ? c.text : "null");
  }
}

TEST(Vst2Identity, TextAnswersStayWithinTheirLimits) {
  Fixture f;
  // A name longer than any field, set through the host.
  std::string programName(40, 'g');
  Dispatch(f.effect, effSetProgramName, 0, 0, programName.data());
  struct Case { VstInt32 opcode; int index; size_t limit; };
  const Case cases[] = {
      {effGetEffectName, 0, 31},   {effGetVendorString, 0, 63},       {effGetProductString, 0, 63},
      {effGetProgramName, 0, 23},  {effGetProgramNameIndexed, 0, 23}, {effGetParamName, 3, 31},
      {effGetParamLabel, 3, 31},   {effGetParamDisplay, 3, 31},
  };
  for (const Case& c : cases) {
    f.plug->GetParam(3)->SetValue(1e35);
    char text[128];
    std::memset(text, 0x7F, sizeof text);
    Dispatch(f.effect, c.opcode, c.index, 0, text);
    EXPECT_EQ(std::strlen(text), c.limit) << "opcode " << c.opcode;
    EXPECT_EQ(text[c.limit + 1], 0x7F) << "wrote past the terminator, opcode " << c.opcode;
  }
}

TEST(Vst2Programs, NamesAndSwitching) {
  Fixture f;
  char name[] = "Breeze";
  Dispatch(f.effect, effSetProgramName, 0, 0, name);
  EXPECT_EQ(f.Text(effGetProgramName), "Breeze");
  EXPECT_EQ(Dispatch(f.effect, effGetProgramNameIndexed, 0, 0, name), 1);
  EXPECT_STREQ(name, "Breeze");
  EXPECT_EQ(Dispatch(f.effect, effGetProgramNameIndexed, 7, 0, name), 0);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(Dispatch(f.effect, effGetProgramNameIndexed, 0, 0, nullptr), 0);

  // Switching away stores the live values into the program left, so coming back restores them.
  f.effect->setParameter(f.effect, 0, 0.8f);
  Dispatch(f.effect, effSetProgram, 0, 1);
  EXPECT_EQ(Dispatch(f.effect, effGetProgram), 1);
  f.effect->setParameter(f.effect, 0, 0.1f);
  Dispatch(f.effect, effSetProgram, 0, 0);
  EXPECT_NEAR(f.effect->getParameter(f.effect, 0), 0.8f, 1e-6);

  // Out-of-range programs change nothing, not even the stored state of the current one.
  f.effect->setParameter(f.effect, 0, 0.3f);
  for (VstIntPtr bad : {VstIntPtr{2}, VstIntPtr{-1}, VstIntPtr{1} << 40}) {
    Dispatch(f.effect, effSetProgram, 0, bad);
    EXPECT_EQ(Dispatch(f.effect, effGetProgram), 0);
  }
  f.effect->setParameter(f.effect, 0, 0.6f);
  f.plug->RestoreProgram(0);
  EXPECT_NEAR(f.effect->getParameter(f.effect, 0), 0.8f, 1e-6);
}

TEST(Vst2Params, GetSetAndTexts) {
  Fixture f;
  f.effect->setParameter(f.effect, 0, 0.25f);
  EXPECT_FLOAT_EQ(f.effect->getParameter(f.effect, 0), 0.25f);
  f.effect->setParameter(f.effect, 0, 7.0f);
  EXPECT_FLOAT_EQ(f.effect->getParameter(f.effect, 0), 1.0f) << "normalised values are clamped";
  f.effect->setParameter(f.effect, 0, std::nanf(""));
  EXPECT_FLOAT_EQ(f.effect->getParameter(f.effect, 0), 1.0f);
  f.effect->setParameter(f.effect, 4, 0.5f);
  f.effect->setParameter(f.effect, -1, 0.5f);
  EXPECT_EQ(f.effect->getParameter(f.effect, 4), 0.0f);
  EXPECT_EQ(Dispatch(f.effect, effCanBeAutomated, 4), 0);

  EXPECT_EQ(f.Text(effGetParamName, 1), "Switch");
  EXPECT_EQ(f.Text(effGetParamDisplay, 1), "Off");
  EXPECT_EQ(f.Text(effGetParamLabel, 0), "dB");
  EXPECT_EQ(f.Text(effGetParamName, 4), "");

  struct Case { int index; const char* text; VstIntPtr answer; double value; };
  const Case cases[] = {
      {0, "0.25", 1, 0.25}, {0, "7", 1, 1.0},   {1, "On", 1, 1.0},     {1, "Off", 1, 0.0},
      {1, "on", 0, 0.0},    {1, "1", 0, 0.0},   {2, "-0.5", 1, 0.5},   {0, nullptr, 1, 0.5},
  };
  for (const Case& c : cases) {
    f.plug->GetParam(c.index)->SetValue(c.index == 0 ? 0.5 : 0.0);
    EXPECT_EQ(Dispatch(f.effect, effString2Parameter, c.index, 0, const_cast<char*>(c.text)), c.answer)
        << c.index << " " << (c.text ? c.text : "null");
    EXPECT_DOUBLE_EQ(f.plug->GetParam(c.index)->Value(), c.value) << c.index << " " << (c.text ? c.text : "null");
  }
  EXPECT_EQ(Dispatch(f.effect, effString2Parameter, 4, 0, const_cast<char*>("1")), 0);

  // Vendor-specific 7: the text a value would show; 8: whether a parameter moves in steps.
  char text[64] = "untouched";
  EXPECT_EQ(Dispatch(f.effect, effVendorSpecific, 7, 1, text, 1.0f), 0xBEEF);
  EXPECT_STREQ(text, "On");
  std::strcpy(text, "untouched");
  EXPECT_EQ(Dispatch(f.effect, effVendorSpecific, 7, 9, text, 1.0f), 0xBEEF);
  EXPECT_STREQ(text, "untouched");
  EXPECT_EQ(Dispatch(f.effect, effVendorSpecific, 7, 1, nullptr, 1.0f), 0);
  EXPECT_EQ(Dispatch(f.effect, effVendorSpecific, 8, 1), 0xBEEF);
  EXPECT_EQ(Dispatch(f.effect, effVendorSpecific, 8, 0), 0);
  EXPECT_EQ(Dispatch(f.effect, effVendorSpecific, 8, 9), 0);
  EXPECT_EQ(Dispatch(f.effect, effVendorSpecific, 9, 1), 0);
}

TEST(Vst2Params, HostChangesReachTheInstrumentKernel) {
  Fixture f(true);
  const auto& kernel = static_cast<Sylvane*>(f.Plug())->Kernel();
  EXPECT_EQ(f.Text(effGetParamName, kWindSpeed), "WindSpeed");
  f.effect->setParameter(f.effect, kWindSpeed, 1.0f);
  EXPECT_EQ(kernel.paramValues[kWindSpeed], f.Plug()->GetParam(kWindSpeed)->Max());
  char text[] = "0.125";
  EXPECT_EQ(Dispatch(f.effect, effString2Parameter, kWindDispersion, 0, text), 1);
  EXPECT_EQ(kernel.paramValues[kWindDispersion], 0.125);
}

std::vector<unsigned char> GetChunk(AEffect* effect, bool program) {
  void* data = nullptr;
  const VstIntPtr size = Dispatch(effect, effGetChunk, program ? 1 : 0, 0, &data);
  if (size <= 0 || !data) return {};
  const auto* bytes = static_cast<const unsigned char*>(data);
  return std::vector<unsigned char>(bytes, bytes + size);
}

VstIntPtr SetChunk(AEffect* effect, bool program, std::vector<unsigned char> bytes) {
  return Dispatch(effect, effSetChunk, program ? 1 : 0, static_cast<VstIntPtr>(bytes.size()), bytes.data());
}

TEST(Vst2Chunks, LayoutOfProgramAndBankChunks) {
  Fixture f(true);
  const unsigned char header[] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  const std::vector<unsigned char> program = GetChunk(f.effect, true);
  ASSERT_EQ(program.size(), 8u + 26 * 8);
  EXPECT_EQ(std::memcmp(program.data(), header, 8), 0);
  double first;
  std::memcpy(&first, program.data() + 8, 8);
  EXPECT_EQ(first, f.Plug()->GetParam(0)->Value());

  // Bank: header, then per program its name (32-bit length and bytes), an initialised byte and
  // the stored state, which the bank request first brings up to the live values.
  f.effect->setParameter(f.effect, 0, 1.0f);
  const std::vector<unsigned char> bank = GetChunk(f.effect, false);
  ASSERT_EQ(bank.size(), 8u + 4 + 4 + 1 + 26 * 8);
  EXPECT_EQ(std::memcmp(bank.data(), header, 8), 0);
  int32_t nameLength;
  std::memcpy(&nameLength, bank.data() + 8, 4);
  EXPECT_EQ(nameLength, 4);
  EXPECT_EQ(std::string(bank.begin() + 12, bank.begin() + 16), "Init");
  EXPECT_EQ(bank[16], 1);
  std::memcpy(&first, bank.data() + 17, 8);
  EXPECT_EQ(first, f.Plug()->GetParam(0)->Max());
  EXPECT_EQ(Dispatch(f.effect, effGetChunk, 0, 0, nullptr), 0);
}

TEST(Vst2Chunks, RoundTripsAndHeaderlessBankData) {
  for (bool program : {true, false}) {
    Fixture f(true);
    for (int i = 0; i < 10; ++i) f.effect->setParameter(f.effect, i, 0.1f * static_cast<float>(i));
    const std::vector<unsigned char> saved = GetChunk(f.effect, program);
    std::vector<double> expected;
    for (int i = 0; i < 26; ++i) expected.push_back(f.Plug()->GetParam(i)->Value());
    for (int i = 0; i < 10; ++i) f.effect->setParameter(f.effect, i, 0.95f);

    ASSERT_EQ(SetChunk(f.effect, program, saved), 1) << (program ? "program" : "bank");
    for (int i = 0; i < 10; ++i) {
      EXPECT_EQ(f.Plug()->GetParam(i)->Value(), expected[i]) << (program ? "program " : "bank ") << i;
    }
  }
  // Bank data without the header is one plug-in state, stored into the current program too.
  Fixture f(true);
  std::vector<unsigned char> state = GetChunk(f.effect, true);
  state.erase(state.begin(), state.begin() + 8);
  const double windLevel = 0.25;
  std::memcpy(state.data() + 8 * kAmpWindLevel, &windLevel, 8);
  ASSERT_EQ(SetChunk(f.effect, false, state), 1);
  EXPECT_EQ(f.Plug()->GetParam(kAmpWindLevel)->Value(), windLevel);
  f.effect->setParameter(f.effect, kAmpWindLevel, 1.0f);
  f.Plug()->RestoreProgram(0);
  EXPECT_EQ(f.Plug()->GetParam(kAmpWindLevel)->Value(), windLevel);
}

// A preset the worker applies is announced once, with audioMasterUpdateDisplay at the editor's
// next tick (never from the worker, never as automation); a chunk the host sets is its own and
// is not announced, even over a load not yet announced.
TEST(Vst2Params, APresetLoadReachesTheHostOnceAtTheNextEditorTick) {
  Fixture f(true);
  auto* plug = static_cast<Sylvane*>(f.Plug());
  auto* editor = dynamic_cast<IGraphicsOffscreen*>(plug->Graphics());
  ASSERT_NE(editor, nullptr);
  for (int index : {2, 3}) {
    std::filesystem::create_directories(std::filesystem::path(PresetLibraryPath(index)).parent_path());
    std::ofstream(PresetLibraryPath(index), std::ios::trunc)
        << (index == 2 ? "<AmpWindLevel>0.75</AmpWindLevel>" : "<AmpWindLevel>0.25</AmpWindLevel>");
  }
  const std::vector<unsigned char> saved = GetChunk(f.effect, true);
  const float savedLevel = f.effect->getParameter(f.effect, kAmpWindLevel);
  ASSERT_NE(savedLevel, 0.75f);

  plug->SelectLibraryPreset(2);
  plug->WaitForPresetFiles();
  EXPECT_EQ(f.host.Count(audioMasterUpdateDisplay), 0);
  editor->RedrawCycle();
  EXPECT_EQ(f.host.Count(audioMasterUpdateDisplay), 1);
  EXPECT_EQ(f.effect->getParameter(f.effect, kAmpWindLevel), 0.75f);
  editor->RedrawCycle();
  EXPECT_EQ(f.host.Count(audioMasterUpdateDisplay), 1);

  plug->SelectLibraryPreset(3);
  plug->WaitForPresetFiles();
  ASSERT_EQ(SetChunk(f.effect, true, saved), 1);
  editor->RedrawCycle();
  EXPECT_EQ(f.host.Count(audioMasterUpdateDisplay), 1);
  EXPECT_EQ(f.effect->getParameter(f.effect, kAmpWindLevel), savedLevel);
  EXPECT_TRUE(f.host.automated.empty());
}

TEST(Vst2Chunks, BadChunksAnswerZeroAndChangeNothing) {
  Fixture f(true);
  const std::vector<unsigned char> good = GetChunk(f.effect, true);
  std::vector<unsigned char> bytes = good;
  struct Case { const char* what; VstIntPtr size; bool nullData; };
  const Case cases[] = {
      {"null data", static_cast<VstIntPtr>(good.size()), true},
      {"negative count", -5, false},
      {"fewer bytes than the header", 7, false},
      {"absurd count", VstIntPtr{1} << 40, false},
  };
  f.effect->setParameter(f.effect, 0, 1.0f);
  const double before = f.Plug()->GetParam(0)->Value();
  for (const Case& c : cases) {
    EXPECT_EQ(Dispatch(f.effect, effSetChunk, 1, c.size, c.nullData ? nullptr : bytes.data()), 0) << c.what;
    EXPECT_EQ(Dispatch(f.effect, effSetChunk, 0, c.size, c.nullData ? nullptr : bytes.data()), 0) << c.what;
    EXPECT_EQ(f.Plug()->GetParam(0)->Value(), before) << c.what;
  }
  // A cut-off state fails as a whole.
  std::vector<unsigned char> cut(good.begin(), good.begin() + 8 + 8 * 3 + 4);
  EXPECT_EQ(SetChunk(f.effect, true, cut), 0);
  EXPECT_EQ(f.Plug()->GetParam(0)->Value(), before);
}

TEST(Vst2Events, HostEventsBecomeCoreMessages) {
  Fixture f;
  Dispatch(f.effect, effSetBlockSize, 0, 256);
  unsigned char dump[] = {0xF0, 0x7D, 0xF7};
  VstMidiEvent noteOn = MakeMidiEvent(10, 0x90, 60, 100);
  VstMidiEvent early = MakeMidiEvent(-5, 0xB0, 7, 64);
  VstMidiEvent late = MakeMidiEvent(5000, 0x80, 60, 0);
  VstMidiEvent tooSmall = MakeMidiEvent(0, 0x90, 61, 1);
  tooSmall.byteSize = 8;
  VstMidiEvent otherType = MakeMidiEvent(0, 0x90, 62, 1);
  otherType.type = 3;
  VstMidiSysexEvent sysex = {};
  sysex.type = kVstSysExType;
  sysex.byteSize = sizeof sysex;
  sysex.deltaFrames = 3;
  sysex.dumpBytes = 3;
  sysex.sysexDump = reinterpret_cast<char*>(dump);
  VstMidiSysexEvent noDump = sysex;
  noDump.sysexDump = nullptr;
  EventList list({reinterpret_cast<VstEvent*>(&noteOn), nullptr, reinterpret_cast<VstEvent*>(&tooSmall),
                  reinterpret_cast<VstEvent*>(&early), reinterpret_cast<VstEvent*>(&otherType),
                  reinterpret_cast<VstEvent*>(&late), reinterpret_cast<VstEvent*>(&sysex),
                  reinterpret_cast<VstEvent*>(&noDump)});
  ASSERT_EQ(Dispatch(f.effect, effProcessEvents, 0, 0, list.get()), 1);

  struct Expected { int offset, status, data1, data2; };
  const Expected expected[] = {{10, 0x90, 60, 100}, {0, 0xB0, 7, 64}, {255, 0x80, 60, 0}};
  ASSERT_EQ(f.plug->midiIn.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(f.plug->midiIn[i].offset, expected[i].offset) << i;
    EXPECT_EQ(f.plug->midiIn[i].status, expected[i].status) << i;
    EXPECT_EQ(f.plug->midiIn[i].data1, expected[i].data1) << i;
    EXPECT_EQ(f.plug->midiIn[i].data2, expected[i].data2) << i;
  }
  ASSERT_EQ(f.plug->sysexIn.size(), 1u);
  EXPECT_EQ(f.plug->sysexIn[0].offset, 3);
  EXPECT_EQ(f.plug->sysexIn[0].size, 3);
  EXPECT_EQ(f.plug->sysexIn[0].data, dump);

  EXPECT_EQ(Dispatch(f.effect, effProcessEvents, 0, 0, nullptr), 0);
  list.get()->numEvents = -1;
  EXPECT_EQ(Dispatch(f.effect, effProcessEvents, 0, 0, list.get()), 0);
  EXPECT_EQ(f.plug->midiIn.size(), 3u);
}

TEST(Vst2Events, MessagesTheCoreSendsReachTheHost) {
  Fixture f;
  EXPECT_TRUE(f.plug->SendMidiMessage(MidiMessage{17, 0x90, 64, 99}));
  const uint8_t dump[] = {0xF0, 0x01, 0xF7};
  EXPECT_TRUE(f.plug->SendSysExMessage(SysExMessage{5, 3, dump}));
  ASSERT_EQ(f.host.midiOut.size(), 1u);
  const VstMidiEvent& midi = f.host.midiOut[0];
  EXPECT_EQ(midi.byteSize, 32);
  EXPECT_EQ(midi.deltaFrames, 17);
  EXPECT_EQ(static_cast<unsigned char>(midi.midiData[0]), 0x90);
  EXPECT_EQ(midi.midiData[1], 64);
  EXPECT_EQ(midi.midiData[2], 99);
  ASSERT_EQ(f.host.sysexOut.size(), 1u);
  EXPECT_EQ(f.host.sysexOut[0].byteSize, 48);
  EXPECT_EQ(f.host.sysexOut[0].deltaFrames, 5);
  EXPECT_EQ(f.host.sysexOut[0].dumpBytes, 3);
  EXPECT_EQ(f.host.sysexOut[0].sysexDump, reinterpret_cast<const char*>(dump));
}

TEST(Vst2HostTime, QueriesTakeOnlyFlaggedValidValues) {
  Fixture f;
  IPlugVST& plug = *f.plug;
  VstTimeInfo& t = f.host.time;
  t.samplePos = 99.6;
  t.ppqPos = 3.5;
  t.tempo = 140.0;
  t.barStartPos = 2.0;
  t.cycleStartPos = 1.0;
  t.cycleEndPos = 9.0;
  t.timeSigNumerator = 7;
  t.timeSigDenominator = 8;

  const HostTimeInfo untouched = [] {
    HostTimeInfo i;
    i.tempo = -1;
    i.samplePos = -1;
    return i;
  }();
  auto info = [&](double tempo, double ppq, double bar, double c0, double c1, int num, int den, bool run,
                  bool loop) {
    HostTimeInfo i = untouched;
    i.tempo = tempo; i.samplePos = 99.6; i.ppqPos = ppq; i.lastBarPos = bar; i.cycleStart = c0; i.cycleEnd = c1;
    i.numerator = num; i.denominator = den; i.transportIsRunning = run; i.loopEnabled = loop;
    return i;
  };
  struct Case { VstInt32 flags; double tempo; int num, den; HostTimeInfo expect; };
  const Case cases[] = {
      {kVstTempoValid | kVstTransportPlaying, 140, 0, 0, info(140, 0, 0, 0, 0, 4, 4, true, false)},
      {kVstTimeSigValid | kVstTransportCycleActive, 0, 7, 8, info(-1, 0, 0, 0, 0, 7, 8, false, true)},
      {kVstPpqPosValid | kVstBarsValid | kVstCyclePosValid, 0, 0, 0, info(-1, 3.5, 2, 1, 9, 4, 4, false, false)},
      {kVstTransportPlaying, 0, 0, 0, untouched},  // none of the five validity flags
  };
  for (const Case& c : cases) {
    t.flags = c.flags;
    EXPECT_EQ(plug.HostTempo(), c.tempo) << c.flags;
    int num = -9, den = -9;
    plug.HostTimeSig(&num, &den);
    EXPECT_EQ(num, c.num) << c.flags;
    EXPECT_EQ(den, c.den) << c.flags;
    EXPECT_EQ(plug.HostSamplePos(), 100) << c.flags;
    HostTimeInfo got = untouched;
    plug.HostTime(&got);
    EXPECT_EQ(got.tempo, c.expect.tempo) << c.flags;
    EXPECT_EQ(got.samplePos, c.expect.samplePos) << c.flags;
    EXPECT_EQ(got.ppqPos, c.expect.ppqPos) << c.flags;
    EXPECT_EQ(got.lastBarPos, c.expect.lastBarPos) << c.flags;
    EXPECT_EQ(got.cycleStart, c.expect.cycleStart) << c.flags;
    EXPECT_EQ(got.cycleEnd, c.expect.cycleEnd) << c.flags;
    EXPECT_EQ(got.numerator, c.expect.numerator) << c.flags;
    EXPECT_EQ(got.denominator, c.expect.denominator) << c.flags;
    EXPECT_EQ(got.transportIsRunning, c.expect.transportIsRunning) << c.flags;
    EXPECT_EQ(got.loopEnabled, c.expect.loopEnabled) << c.flags;
  }
  // Values a host marks valid but cannot be right are not taken.
  t.flags = kVstTempoValid | kVstTimeSigValid;
  t.tempo = -3.0;
  t.timeSigNumerator = -1;
  t.samplePos = -20.0;
  int num = -9, den = -9;
  plug.HostTimeSig(&num, &den);
  EXPECT_EQ(plug.HostTempo(), 0.0);
  EXPECT_EQ(num, 0);
  EXPECT_EQ(den, 0);
  EXPECT_EQ(plug.HostSamplePos(), 0);
  // A host that gives no time information.
  f.host.givesTime = false;
  HostTimeInfo got = untouched;
  plug.HostTime(&got);
  EXPECT_EQ(got.tempo, untouched.tempo);
  EXPECT_EQ(got.samplePos, untouched.samplePos);
  EXPECT_EQ(plug.HostTempo(), 0.0);
  EXPECT_EQ(plug.HostSamplePos(), 0);
}

TEST(Vst2HostTime, HostIdentificationIsAskedOnceAndRepacksTheVersion) {
  Fixture f;
  f.host.product = "REAPER";
  f.host.vendorVersion = 60512;
  Dispatch(f.effect, effOpen);
  EXPECT_EQ(f.plug->CurrentHostKind(), kHostReaper);
  EXPECT_EQ(f.plug->HostVersion(), (6 << 16) | (5 << 8) | 12);
  EXPECT_EQ(f.host.Count(audioMasterGetProductString), 1);

  Fixture unnamed;
  EXPECT_EQ(unnamed.plug->CurrentHostKind(), kHostUnknown);
  EXPECT_EQ(unnamed.plug->HostVersion(), 0);
  EXPECT_EQ(unnamed.host.Count(audioMasterGetVendorVersion), 0);
}

TEST(Vst2HostTime, ProcessLevelIsAskedOncePerBlock) {
  Fixture f;
  f.host.processLevel = kVstProcessLevelOffline;
  f.plug->askOfflineTwice = true;
  std::vector<float> l(64), r(64);
  float* outs[] = {l.data(), r.data()};
  f.effect->processReplacing(f.effect, nullptr, outs, 64);
  EXPECT_EQ(f.plug->offlineAnswers, 2);
  EXPECT_EQ(f.host.Count(audioMasterGetCurrentProcessLevel), 1);
  f.host.processLevel = 2;  // realtime: the next block asks again
  f.effect->processReplacing(f.effect, nullptr, outs, 64);
  EXPECT_EQ(f.plug->offlineAnswers, 0);
  EXPECT_EQ(f.host.Count(audioMasterGetCurrentProcessLevel), 2);
  EXPECT_FALSE(f.plug->IsRenderingOffline());
  EXPECT_EQ(f.host.Count(audioMasterGetCurrentProcessLevel), 3) << "outside a block every call asks";
  EXPECT_EQ(f.host.Count(audioMasterWantMidi), 2) << "the MIDI wish is repeated every block";
}

TEST(Vst2HostTime, EveryHostRequestSurvivesANullHostCallback) {
  Fixture f(false, nullptr);
  Dispatch(f.effect, effOpen);
  EXPECT_EQ(f.plug->CurrentHostKind(), kHostUnknown);
  f.plug->BeginParamGesture(0);
  f.plug->NotifyHostParamValue(0, 0.5);
  f.plug->EndParamGesture(0);
  f.plug->NotifyHostProgramChange();
  EXPECT_FALSE(f.plug->IsRenderingOffline());
  EXPECT_EQ(f.plug->HostTempo(), 0.0);
  EXPECT_FALSE(f.plug->SendMidiMessage(MidiMessage{}));
  std::vector<float> l(64), r(64);
  float* outs[] = {l.data(), r.data()};
  f.effect->processReplacing(f.effect, nullptr, outs, 64);
}

TEST(Vst2Channels, PinPropertiesAndSpeakerArrangements) {
  Fixture f;
  struct Case { VstInt32 opcode; int index; VstIntPtr answer; VstInt32 flags; const char* label; };
  const Case cases[] = {
      {effGetInputProperties, 0, 1, 3, "Input 1"},   {effGetInputProperties, 1, 1, 1, "Input 2"},
      {effGetOutputProperties, 0, 1, 3, "Output 1"}, {effGetOutputProperties, 1, 1, 1, "Output 2"},
      {effGetOutputProperties, 2, 0, -1, "-"},       {effGetInputProperties, -1, 0, -1, "-"},
  };
  for (const Case& c : cases) {
    VstPinProperties pin = {};
    pin.flags = -1;
    std::strcpy(pin.label, "-");
    EXPECT_EQ(Dispatch(f.effect, c.opcode, c.index, 0, &pin), c.answer) << c.opcode << " " << c.index;
    EXPECT_EQ(pin.flags, c.flags) << c.opcode << " " << c.index;
    EXPECT_STREQ(pin.label, c.label);
  }
  EXPECT_EQ(Dispatch(f.effect, effGetInputProperties, 0, 0, nullptr), 0);

  VstSpeakerArrangement* in = nullptr;
  VstSpeakerArrangement* out = nullptr;
  EXPECT_EQ(Dispatch(f.effect, effGetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
  ASSERT_TRUE(in && out);
  EXPECT_EQ(in->type, kSpeakerArrStereo);
  EXPECT_EQ(out->numChannels, 2);

  VstSpeakerArrangement mono = {};
  mono.type = kSpeakerArrMono;
  mono.numChannels = 1;
  EXPECT_EQ(Dispatch(f.effect, effSetSpeakerArrangement, 0, 0, &mono), 1);
  EXPECT_TRUE(f.plug->IsOutputConnected(0));
  EXPECT_FALSE(f.plug->IsOutputConnected(1));
  EXPECT_TRUE(f.plug->IsInputConnected(1)) << "a side not given stays as it was";
  EXPECT_EQ(out->numChannels, 2) << "the stored arrangement is not changed";

  TestVstPlug* monoPlug = new TestVstPlug(nullptr, "1-1 2-2");
  EXPECT_TRUE(monoPlug->Effect()->flags & effFlagsCanMono);
  Dispatch(monoPlug->Effect(), effClose);
}

TEST(Vst2Lifecycle, ConfigurationAndClosedEffects) {
  Fixture f;
  Dispatch(f.effect, effSetSampleRate, 0, 0, nullptr, 96000.0f);
  Dispatch(f.effect, effSetBlockSize, 0, 333);
  EXPECT_EQ(f.plug->SampleRate(), 96000.0);
  EXPECT_EQ(f.plug->BlockSize(), 333);
  // Rates and sizes no audio path can use are ignored.
  Dispatch(f.effect, effSetSampleRate, 0, 0, nullptr, -1.0f);
  Dispatch(f.effect, effSetSampleRate, 0, 0, nullptr, std::nanf(""));
  Dispatch(f.effect, effSetBlockSize, 0, 0);
  Dispatch(f.effect, effSetBlockSize, 0, VstIntPtr{1} << 40);
  EXPECT_EQ(f.plug->SampleRate(), 96000.0);
  EXPECT_EQ(f.plug->BlockSize(), 333);
  EXPECT_EQ(f.effect->initialDelay, 0);
  f.plug->SetLatency(12);
  EXPECT_EQ(f.effect->initialDelay, 12);

  // After close the record is still there but leads nowhere: every callback is harmless.
  AEffect* closed = f.effect;
  f.effect = nullptr;
  EXPECT_EQ(Dispatch(closed, effClose), 0);
  EXPECT_EQ(closed->object, nullptr);
  EXPECT_EQ(Dispatch(closed, effGetVendorVersion), 0);
  EXPECT_EQ(Dispatch(closed, effClose), 0);
  std::vector<float> l(16, 0.5f), r(16, 0.5f);
  float* outs[] = {l.data(), r.data()};
  closed->processReplacing(closed, nullptr, outs, 16);
  closed->setParameter(closed, 0, 1.0f);
  EXPECT_EQ(closed->getParameter(closed, 0), 0.0f);
  EXPECT_EQ(closed->dispatcher(nullptr, effGetVendorVersion, 0, 0, nullptr, 0.0f), 0);
}

}  // namespace
