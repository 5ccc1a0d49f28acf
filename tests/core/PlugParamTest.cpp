#include "core/PlugParam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::string Shown(const PlugParam& p) {
  char text[64];
  p.FormatDisplay(text);
  return text;
}

PlugParam Declared(double defaultValue, double min, double max, double step, double shape = 1.0,
                   ParamType type = kParamNone) {
  PlugParam p;
  if (type != kParamNone) p.SetType(type);
  p.DeclareContinuous("P", defaultValue, min, max, step, "u", shape);
  return p;
}

TEST(PlugParamDeclaration, AFreshParameterIsBlank) {
  PlugParam p;
  EXPECT_EQ(0, static_cast<int>(p.Type()));
  EXPECT_EQ(0.0, p.Value());
  EXPECT_EQ(0.0, p.Min());
  EXPECT_EQ(1.0, p.Max());
  EXPECT_EQ(1.0, p.Step());
  EXPECT_EQ(1.0, p.Shape());
  EXPECT_EQ(0.0, p.Default());
  EXPECT_EQ(0, p.DisplayPrecision());
  EXPECT_STREQ("", p.Name());
  EXPECT_STREQ("", p.Label());
  EXPECT_STREQ("", p.Group());
  EXPECT_FALSE(p.NegateDisplay());
  EXPECT_TRUE(p.CanAutomate());
  EXPECT_EQ(0, p.NDisplayTexts());
  EXPECT_EQ(nullptr, p.DisplayTextAt(0));
  EXPECT_EQ(nullptr, p.FindDisplayText(0));
}

TEST(PlugParamDeclaration, RangeIsWidenedToOneStepAndPrecisionFollowsTheStep) {
  PlugParam p = Declared(1.0, 1.0, 1.0, 0.00001);
  EXPECT_EQ(kParamDouble, p.Type());
  EXPECT_DOUBLE_EQ(1.00001, p.Max());
  EXPECT_EQ(5, p.DisplayPrecision());
  EXPECT_EQ(0, Declared(0, 0, 10, 1).DisplayPrecision());
  EXPECT_EQ(1, Declared(0, 0, 10, 0.1).DisplayPrecision());
  EXPECT_EQ(1, Declared(0, 0, 10, 2.5).DisplayPrecision());
  EXPECT_EQ(6, Declared(0, 0, 10, 1e-9).DisplayPrecision());
}

TEST(PlugParamDeclaration, EarlierTypeAndShapeSurviveADeclaration) {
  PlugParam p = Declared(0, 0, 10, 1, 2.0, kParamInt);
  p.DeclareContinuous("A", 0, 0, 10, 1, "", 0.0);  // shape 0 keeps 2
  EXPECT_EQ(kParamInt, p.Type());
  EXPECT_EQ(2.0, p.Shape());
}

TEST(PlugParamDisplay, NumbersFollowPrecisionAndTruncateTowardZero) {
  PlugParam fine = Declared(0.3, 0, 1, 0.00001);
  EXPECT_EQ("0.30000", Shown(fine));
  PlugParam whole = Declared(2.9, -10, 10, 1);
  EXPECT_EQ("2", Shown(whole));
  whole.SetValue(-2.9);
  EXPECT_EQ("-2", Shown(whole));
  whole.SetNegateDisplay(true);
  EXPECT_EQ("2", Shown(whole));
}

TEST(PlugParamDisplay, NormalisedValuesAreShownThroughTheShapeWithoutQuantising) {
  PlugParam p = Declared(0, 0, 10, 0.5, 1.0, kParamInt);
  char text[32];
  p.FormatDisplay(0.33, true, text, sizeof text, true);
  EXPECT_STREQ("3.3", text);  // the step would make it 3.5
  PlugParam curved = Declared(0, 0, 1000, 1, 2.0);
  curved.FormatDisplay(0.5, true, text, sizeof text, true);
  EXPECT_STREQ("250", text);
}

TEST(PlugParamDisplay, DisplayTextsReplaceTheNumberAndTheLabel) {
  PlugParam p = Declared(0, -5, 5, 0.1);
  p.SetDisplayText(1, "On");
  p.SetDisplayText(0, "");
  p.SetDisplayText(-1, "Minus");
  p.SetValue(1.7);
  EXPECT_EQ("On", Shown(p));
  EXPECT_STREQ("", p.DisplayLabel());
  char text[32];
  p.FormatDisplay(1.7, false, text, sizeof text, false);
  EXPECT_STREQ("1.7", text);
  // -0.5 truncates to 0, whose empty text shows the number and keeps the label.
  p.SetValue(-0.5);
  EXPECT_EQ("-0.5", Shown(p));
  EXPECT_STREQ("u", p.DisplayLabel());
}

TEST(PlugParamDisplay, OutputIsCutToTheBuffer) {
  PlugParam p = Declared(123.456, 0, 1000, 0.00001);
  char text[4] = {'x', 'x', 'x', 'x'};
  p.FormatDisplay(text, sizeof text);
  EXPECT_STREQ("123", text);
  p.SetDisplayText(123, "A rather long display text");
  p.FormatDisplay(text, sizeof text);
  EXPECT_STREQ("A r", text);
}

TEST(PlugParamNormalised, ValuesFollowTheShapeCurveAndTheType) {
  PlugParam p = Declared(0, 0, 7.3, 0.1);
  p.SetFromNormalized(1.0);
  EXPECT_EQ(7.3, p.Value());  // exactly max
  PlugParam wide = Declared(0, 0, 1000, 1);
  wide.SetFromNormalized(0.5);
  EXPECT_EQ(500.0, wide.Value());
  wide.SetFromNormalized(0.0005);
  EXPECT_DOUBLE_EQ(0.5, wide.Value());  // Double parameters are not quantised
  PlugParam curved = Declared(0, 0, 100, 1, 2.0);
  curved.SetFromNormalized(0.5);
  EXPECT_DOUBLE_EQ(25.0, curved.Value());
  EXPECT_DOUBLE_EQ(0.5, curved.ToNormalized(25.0));
}

TEST(PlugParamNormalised, OtherTypesSnapToTheNearestStepHalvesUp) {
  PlugParam count = Declared(0, 0, 10, 1, 1.0, kParamInt);
  count.SetFromNormalized(0.44);
  EXPECT_EQ(4.0, count.Value());
  PlugParam two = Declared(0, 0, 2, 1, 1.0, kParamBool);
  two.SetFromNormalized(0.25);
  EXPECT_EQ(1.0, two.Value());
  PlugParam coarse = Declared(0, 0, 10, 4, 1.0, kParamEnum);
  coarse.SetFromNormalized(0.9);
  EXPECT_EQ(8.0, coarse.Value());
  coarse.SetFromNormalized(1.0);  // 12 after snapping, held at max
  EXPECT_EQ(10.0, coarse.Value());
}

TEST(PlugParamNormalised, ValuesOutsideZeroToOneStayInTheRange) {
  struct Case {
    double normalized, shape, expected;
  };
  // -20..60: a linear and a curved shape, below 0 and above 1.
  const Case cases[] = {{-0.5, 1.0, -20.0}, {-1e-9, 1.0, -20.0}, {1.5, 1.0, 60.0},
                        {-0.5, 1.5, -20.0}, {2.0, 1.5, 60.0}};
  for (const Case& c : cases) {
    PlugParam p = Declared(10, -20, 60, 0.01, c.shape);
    p.SetFromNormalized(c.normalized);
    EXPECT_EQ(c.expected, p.Value()) << c.normalized << " shape " << c.shape;
  }
}

TEST(PlugParamNormalised, ToNormalizedClampsAndRoundTrips) {
  PlugParam p = Declared(0, -20, 60, 0.01, 3.0);
  EXPECT_EQ(1.0, p.ToNormalized(1e9));
  EXPECT_EQ(0.0, p.ToNormalized(-1e9));
  for (double n = 0.0; n <= 1.0; n += 0.125) {
    p.SetFromNormalized(n);
    EXPECT_NEAR(n, p.CurrentNormalized(), 1e-12) << n;
  }
}

TEST(PlugParamParse, TextsAreReadAsNumbersOrMatchedExactly) {
  PlugParam p = Declared(0, -100, 100, 0.01);
  double v = -1;
  ASSERT_TRUE(p.ParseDisplay("  12.5dB", &v));
  EXPECT_EQ(12.5, v);
  ASSERT_TRUE(p.ParseDisplay("none", &v));
  EXPECT_EQ(0.0, v);
  p.SetNegateDisplay(true);
  ASSERT_TRUE(p.ParseDisplay("3", &v));
  EXPECT_EQ(-3.0, v);
  EXPECT_FALSE(p.ParseDisplay("1e999", &v));

  PlugParam named = Declared(0, 0, 2, 1);
  named.SetDisplayText(2, "On");
  v = -1;
  EXPECT_FALSE(named.ParseDisplay("on", &v));
  EXPECT_FALSE(named.ParseDisplay("2", &v));
  EXPECT_EQ(-1.0, v);
  ASSERT_TRUE(named.ParseDisplay("On", &v));
  EXPECT_EQ(2.0, v);
}

TEST(PlugParamGuards, NonFiniteValuesAreIgnoredAndTextsCut) {
  PlugParam p = Declared(0.5, 0, 1000, 1);
  p.SetValue(kNaN);
  p.SetValue(-kInf);
  p.SetFromNormalized(kNaN);
  p.SetFromNormalized(kInf);
  EXPECT_EQ(0.5, p.Value());
  p.SetValue(5000);
  EXPECT_EQ(1000.0, p.Value());

  const std::string longText(40, 'n');
  p.DeclareContinuous(longText.c_str(), 0, 0, 1, 0.1, longText.c_str());
  p.SetDisplayText(0, longText.c_str());
  const std::string cut(31, 'n');
  EXPECT_EQ(cut, p.Name());
  EXPECT_EQ(cut, p.Label());
  EXPECT_EQ(cut, p.DisplayTextAt(0)->text);
}

}  // namespace
