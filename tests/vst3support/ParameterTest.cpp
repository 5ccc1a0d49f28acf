#include "vst3support/Parameter.h"
#include "vst3support/String.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace vst3support;

namespace {

std::string Text(const Parameter& p, double normalized) {
  String128 text;
  p.ToString(normalized, text);
  char out[128];
  String::ToUtf8(text, out, sizeof out);
  return out;
}

bool Parse(const Parameter& p, const char* text, double& normalized) {
  String128 wide;
  String::Widen(text, wide, 128);
  return p.FromString(wide, normalized);
}

TEST(RangeParameter, MapsLinearlyAndSnapsToSteps) {
  RangeParameter cutoff("Cutoff", 7, "Hz", 20.0, 20020.0, 10020.0, 0, ParameterInfo::kCanAutomate, 3);
  EXPECT_DOUBLE_EQ(cutoff.Info().defaultNormalizedValue, 0.5);
  EXPECT_DOUBLE_EQ(cutoff.Normalized(), 0.5);
  EXPECT_DOUBLE_EQ(cutoff.ToPlain(0.25), 5020.0);
  EXPECT_DOUBLE_EQ(cutoff.ToNormalized(30000.0), 1.0);
  EXPECT_EQ(cutoff.Info().unitId, 3);
  cutoff.SetPrecision(1);
  EXPECT_EQ(Text(cutoff, 0.25), "5020.0");
  double n = 0.0;
  ASSERT_TRUE(Parse(cutoff, "15020", n));
  EXPECT_DOUBLE_EQ(n, 0.75);
  EXPECT_FALSE(Parse(cutoff, "loud", n));

  RangeParameter octave("Octave", 8, "", -2.0, 2.0, 0.0, 4, 0, 0);
  EXPECT_DOUBLE_EQ(octave.ToPlain(0.3), -1.0);  // 1.2 steps round to 1
  EXPECT_EQ(Text(octave, 0.9), "2");

  EXPECT_FALSE(octave.SetNormalized(std::nan("")));
  EXPECT_TRUE(octave.SetNormalized(1.5));
  EXPECT_DOUBLE_EQ(octave.Normalized(), 1.0);
}

TEST(StringListParameter, NamesEachStep) {
  StringListParameter bypass("Bypass", 42, "", ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass, 0);
  bypass.AppendString("off");
  bypass.AppendString("on");
  EXPECT_EQ(bypass.Info().stepCount, 1);
  EXPECT_EQ(bypass.Info().flags, ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass | ParameterInfo::kIsList);
  EXPECT_EQ(Text(bypass, 0.2), "off");
  EXPECT_EQ(Text(bypass, 0.8), "on");
  double n = -1.0;
  ASSERT_TRUE(Parse(bypass, "on", n));
  EXPECT_DOUBLE_EQ(n, 1.0);
  EXPECT_FALSE(Parse(bypass, "On", n));
}

TEST(ParameterContainer, FindsByIndexAndIdAndRefusesADuplicateId) {
  ParameterContainer container;
  ASSERT_NE(container.Add(std::make_unique<Parameter>("A", 0x70727374, "", 0.0, 1, 0, 0)), nullptr);
  ASSERT_NE(container.Add(std::make_unique<Parameter>("B", 3, "", 0.0, 0, 0, 0)), nullptr);
  EXPECT_EQ(container.Add(std::make_unique<Parameter>("C", 3, "", 0.0, 0, 0, 0)), nullptr);
  EXPECT_EQ(container.Count(), 2);
  EXPECT_EQ(container.ById(3), container.At(1));
  EXPECT_EQ(container.ById(0x70727374), container.At(0));
  EXPECT_EQ(container.ById(4), nullptr);
  EXPECT_EQ(container.At(2), nullptr);
  container.Clear();
  EXPECT_EQ(container.ById(3), nullptr);
}

}  // namespace
