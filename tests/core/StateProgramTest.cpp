#include "tests/core/TestPlug.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const StateChunk& c) { return std::vector<uint8_t>(c.Data(), c.Data() + c.Size()); }

// Three parameters: 0..1, -10..10 and 1..1000.
void DeclareThree(TestPlug& plug) {
  plug.GetParam(0)->DeclareContinuous("A", 0.25, 0, 1, 0.01);
  plug.GetParam(1)->DeclareContinuous("B", -3, -10, 10, 0.01);
  plug.GetParam(2)->DeclareContinuous("C", 1000, 1, 1000, 1);
}

std::vector<double> Values(const TestPlug& plug) {
  std::vector<double> v;
  for (int i = 0; i < plug.NParams(); ++i) v.push_back(plug.GetParam(i)->Value());
  return v;
}

TEST(StateChunkLayout, ValuesAreStoredLittleEndian) {
  StateChunk c;
  EXPECT_EQ(4, c.Put(int32_t{0x01020304}));
  EXPECT_EQ(12, c.Put(1.5));
  EXPECT_EQ(13, c.Put(true));
  EXPECT_EQ((std::vector<uint8_t>{4, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F, 1}), Bytes(c));
  EXPECT_EQ(20, c.PutText("abc"));
  EXPECT_EQ((std::vector<uint8_t>{3, 0, 0, 0, 'a', 'b', 'c'}), std::vector<uint8_t>(c.Data() + 13, c.Data() + 20));
}

TEST(StateChunkLayout, ShortReadsFailWithMinusOneAndLeaveTheValue) {
  StateChunk c;
  c.Put(int32_t{7});
  c.Put(int16_t{9});
  double d = 42.0;
  int32_t i = 0;
  EXPECT_EQ(-1, c.Get(&d, 0));
  EXPECT_EQ(-1, c.Get(&i, 4));
  EXPECT_EQ(-1, c.Get(&i, -1));
  EXPECT_EQ(42.0, d);
  EXPECT_EQ(4, c.Get(&i, 0));
  EXPECT_EQ(7, i);
}

TEST(StateChunkLayout, TextsEndAtNulAndOverlongLengthsFailTheNextRead) {
  StateChunk c;
  c.Put(int32_t{5});
  c.PutBytes("ab\0cd", 5);
  c.Put(int32_t{100});  // claims more bytes than follow
  c.Put(int32_t{-4});
  char text[8] = "zzzzzzz";
  EXPECT_EQ(9, c.GetText(text, sizeof text, 0));
  EXPECT_STREQ("ab", text);
  const int past = c.GetText(text, sizeof text, 9);
  EXPECT_EQ(9 + 4 + 100, past);
  EXPECT_STREQ("", text);
  uint8_t b = 0;
  EXPECT_EQ(-1, c.Get(&b, past));
  EXPECT_EQ(-1, c.GetText(text, sizeof text, 13));  // negative length
  EXPECT_EQ(-1, c.GetText(text, sizeof text, c.Size() - 2));
}

TEST(StateChunkLayout, HeaderIsMarkerThenVersion) {
  StateChunk c;
  c.Put(1.0);
  c.WriteChunkHeader();
  EXPECT_EQ((std::vector<uint8_t>{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}), Bytes(c));
  int pos = 0;
  EXPECT_EQ(0x10000, c.ReadChunkHeader(&pos));
  EXPECT_EQ(8, pos);
  pos = 4;
  EXPECT_EQ(0, c.ReadChunkHeader(&pos));  // no marker there
  EXPECT_EQ(4, pos);

  StateChunk cut;
  cut.Put(int32_t{0x70666674});
  cut.Put(int16_t{1});
  pos = 0;
  EXPECT_EQ(0, cut.ReadChunkHeader(&pos));
  EXPECT_EQ(-1, pos);
}

TEST(PlugState, ParametersAreWrittenAsPlainDoublesInIndexOrder) {
  TestPlug plug;
  DeclareThree(plug);
  StateChunk c;
  c.WriteChunkHeader();
  ASSERT_TRUE(plug.SerializeParams(c));
  ASSERT_EQ(8 + 24, c.Size());
  EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0xD0, 0x3F}), std::vector<uint8_t>(c.Data() + 8, c.Data() + 16));
  double v[3];
  std::memcpy(v, c.Data() + 8, sizeof v);
  EXPECT_EQ(0.25, v[0]);
  EXPECT_EQ(-3.0, v[1]);
  EXPECT_EQ(1000.0, v[2]);
}

TEST(PlugState, LoadingClampsValuesAndTellsTheProductOfEveryParameter) {
  TestPlug plug;
  DeclareThree(plug);
  StateChunk c;
  c.WriteChunkHeader();
  c.Put(0.5);
  c.Put(std::numeric_limits<double>::quiet_NaN());  // skipped: keeps -3
  c.Put(5000.0);
  EXPECT_EQ(32, plug.UnserializeParams(c, 8));
  EXPECT_EQ((std::vector<double>{0.5, -3.0, 1000.0}), Values(plug));
  EXPECT_EQ((std::vector<std::string>{"change 0", "change 1", "change 2"}), plug.log);
}

TEST(PlugState, AShortStateChangesNothing) {
  // 26 parameters; 200 bytes hold values for 0..24 only, and 16 bytes only two.
  for (int values : {25, 2, 0}) {
    TestPlug plug(26);
    for (int i = 0; i < 26; ++i) plug.GetParam(i)->DeclareContinuous("P", 5, 1, 100, 1);
    StateChunk c;
    for (int i = 0; i < values; ++i) c.Put(10.0 + i);
    c.Put(int32_t{0});  // and half a value
    EXPECT_EQ(-1, plug.UnserializeParams(c, 0)) << values;
    for (int i = 0; i < 26; ++i) ASSERT_EQ(5.0, plug.GetParam(i)->Value()) << values << " " << i;
    EXPECT_TRUE(plug.log.empty()) << values;
  }
  TestPlug plug;
  DeclareThree(plug);
  StateChunk c;
  for (int i = 0; i < 3; ++i) c.Put(0.5);
  EXPECT_EQ(-1, plug.UnserializeParams(c, -1));
  EXPECT_EQ(-1, plug.UnserializeParams(c, 1));  // 23 bytes left
  EXPECT_EQ(0.25, plug.GetParam(0)->Value());
}

TEST(PlugState, TheProductKnowsWhichChangesComeFromAStoredState) {
  TestPlug plug;
  DeclareThree(plug);
  std::vector<bool> restoring;
  plug.onParamChange = [&](int) { restoring.push_back(plug.RestoringState()); };
  StateChunk c;
  plug.SerializeParams(c);
  plug.UnserializeParams(c, 0);
  plug.SetParamFromEditor(0, 0.5);
  EXPECT_EQ((std::vector<bool>{true, true, true, false}), restoring);
  EXPECT_FALSE(plug.RestoringState());
}

TEST(PlugState, StateEqualsChunkComparesAtSinglePrecision) {
  TestPlug plug;
  DeclareThree(plug);
  StateChunk c;
  plug.SerializeParams(c);
  EXPECT_TRUE(plug.StateEqualsChunk(c, 0));
  plug.GetParam(1)->SetValue(-3.0 + 1e-9);
  EXPECT_TRUE(plug.StateEqualsChunk(c, 0));
  plug.GetParam(1)->SetValue(-3.001);
  EXPECT_FALSE(plug.StateEqualsChunk(c, 0));
  EXPECT_FALSE(plug.StateEqualsChunk(c, 8));  // runs out
}

TEST(PlugPrograms, DefaultProgramsTakeTheCurrentState) {
  TestPlug plug(3, "2-2", 3);
  DeclareThree(plug);
  EXPECT_STREQ("empty", plug.ProgramName(2));
  EXPECT_STREQ("", plug.ProgramName(3));
  plug.MakeDefaultPrograms("Init", 1);
  plug.GetParam(0)->SetValue(0.9);
  plug.MakeDefaultPrograms(nullptr, 5);  // fills what is left, then stops
  EXPECT_STREQ("Init", plug.ProgramName(0));
  EXPECT_STREQ("Empty", plug.ProgramName(2));
  StateChunk state;
  plug.GetParam(0)->SetValue(0.25);
  plug.SerializeParams(state);
  EXPECT_EQ(Bytes(state), Bytes(plug.Program(0)->chunk));

  plug.GetParam(2)->SetValue(7);
  ASSERT_TRUE(plug.RestoreProgram(1));
  EXPECT_EQ((std::vector<double>{0.9, -3.0, 1000.0}), Values(plug));
  EXPECT_EQ(1, plug.CurrentProgram());
  EXPECT_EQ(1, plug.programsRestored);
  EXPECT_FALSE(plug.RestoreProgram(3));
  EXPECT_EQ(1, plug.CurrentProgram());
}

TEST(PlugPrograms, EmptySlotsBecomeNumberedUserPresets) {
  TestPlug plug(3, "2-2", 4);
  DeclareThree(plug);
  plug.GetParam(1)->SetValue(4);
  ASSERT_TRUE(plug.RestoreProgram(2));
  EXPECT_STREQ("user preset 1", plug.ProgramName(2));
  EXPECT_TRUE(plug.Program(2)->initialized);
  plug.GetParam(1)->SetValue(5);
  ASSERT_TRUE(plug.RestoreProgram(2));  // now it loads what was stored
  EXPECT_EQ(4.0, plug.GetParam(1)->Value());
  ASSERT_TRUE(plug.RestoreProgram(0));
  EXPECT_STREQ("user preset 2", plug.ProgramName(0));
  EXPECT_EQ(3, plug.programsRestored);
}

TEST(PlugPrograms, ModifyCurrentPresetStoresTheLiveStateAndCutsLongNames) {
  TestPlug plug(3, "2-2", 2);
  DeclareThree(plug);
  plug.GetParam(0)->SetValue(0.5);
  plug.ModifyCurrentPreset();
  EXPECT_STREQ("empty", plug.ProgramName(0));
  EXPECT_FALSE(plug.Program(0)->initialized);
  EXPECT_EQ(24, plug.Program(0)->chunk.Size());
  const std::string longName(300, 'q');
  plug.ModifyCurrentPreset(longName.c_str());
  EXPECT_EQ(std::string(255, 'q'), plug.ProgramName(0));
}

TEST(PlugBank, SlotsAreNameFlagAndStoredState) {
  TestPlug plug(3, "2-2", 2);
  DeclareThree(plug);
  plug.MakeDefaultPrograms("Init", 1);
  StateChunk bank;
  ASSERT_TRUE(plug.SerializePresets(bank));
  ASSERT_EQ(4 + 4 + 1 + 24 + 4 + 5 + 1, bank.Size());
  EXPECT_EQ((std::vector<uint8_t>{4, 0, 0, 0, 'I', 'n', 'i', 't', 1}), std::vector<uint8_t>(bank.Data(), bank.Data() + 9));
  EXPECT_EQ(Bytes(plug.Program(0)->chunk), std::vector<uint8_t>(bank.Data() + 9, bank.Data() + 33));
  EXPECT_EQ((std::vector<uint8_t>{5, 0, 0, 0, 'e', 'm', 'p', 't', 'y', 0}), std::vector<uint8_t>(bank.Data() + 33, bank.Data() + 43));

  TestPlug single(26);  // one program of 26 parameters, behind the header: 225 bytes
  single.MakeDefaultPrograms("Init", 1);
  bank.WriteChunkHeader();
  ASSERT_TRUE(single.SerializePresets(bank));
  EXPECT_EQ(225, bank.Size());
}

TEST(PlugBank, ABankRestoresEverySlotAndTheCurrentProgram) {
  TestPlug source(3, "2-2", 2);
  DeclareThree(source);
  source.MakeDefaultPrograms("First", 1);
  source.GetParam(0)->SetValue(0.75);
  source.MakeDefaultPrograms("Second", 1);
  StateChunk bank;
  bank.WriteChunkHeader();
  source.SerializePresets(bank);

  TestPlug target(3, "2-2", 2);
  DeclareThree(target);
  int pos = 0;
  ASSERT_EQ(0x10000, bank.ReadChunkHeader(&pos));
  EXPECT_EQ(bank.Size(), target.UnserializePresets(bank, pos));
  EXPECT_STREQ("Second", target.ProgramName(1));
  EXPECT_TRUE(target.Program(1)->initialized);
  EXPECT_EQ(Bytes(source.Program(1)->chunk), Bytes(target.Program(1)->chunk));
  EXPECT_EQ(0.25, target.GetParam(0)->Value());  // program 0 is current again

  StateChunk cut;
  cut.PutBytes(bank.Data() + 8, bank.Size() - 8 - 10);  // the second state loses 10 bytes
  TestPlug damaged(3, "2-2", 2);
  DeclareThree(damaged);
  EXPECT_EQ(-1, damaged.UnserializePresets(cut, 0));
  EXPECT_STREQ("First", damaged.ProgramName(0));
  EXPECT_STREQ("empty", damaged.ProgramName(1));  // the slot whose data ran out is untouched
  EXPECT_FALSE(damaged.Program(1)->initialized);
  EXPECT_EQ(0, damaged.Program(1)->chunk.Size());
}

// A product whose state carries one byte after the parameters, as an adapter's may.
class TrailerPlug : public TestPlug {
 public:
  TrailerPlug() : TestPlug(3, "2-2", 2) {}
  int ReadStateChunk(const StateChunk& chunk, int startPos) override {
    uint8_t trailer = 0;
    return chunk.Get(&trailer, UnserializeParams(chunk, startPos));
  }
};

TEST(PlugPrograms, AFailedProgramLoadLeavesEveryParameterAsItWas) {
  TrailerPlug plug;
  DeclareThree(plug);
  plug.MakeDefaultPrograms("Stored", 1);  // its state lacks the trailer byte
  plug.GetParam(0)->SetValue(0.9);
  plug.GetParam(2)->SetValue(42);
  EXPECT_FALSE(plug.RestoreProgram(0));
  EXPECT_EQ((std::vector<double>{0.9, -3.0, 42.0}), Values(plug));
  EXPECT_EQ(0, plug.programsRestored);
}

}  // namespace
