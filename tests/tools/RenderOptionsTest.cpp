#include "tools/render/RenderOptions.h"

#include "engine/KernelParams.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

bool Parse(std::vector<const char*> args, RenderOptions& options, std::string& error) {
  args.insert(args.begin(), "sylvane-render");
  return ParseRenderOptions(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(RenderOptions, DefaultsNeedOnlyAnOutput) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"out.wav"}, o, error)) << error;
  EXPECT_EQ(48000.0, o.sampleRate);
  EXPECT_EQ(512, o.blockSize);
  EXPECT_EQ(10.0, o.seconds);
  EXPECT_EQ(SampleFormat::Pcm24, o.format);
  EXPECT_TRUE(o.notes.empty());
  EXPECT_FALSE(o.quiet);
  EXPECT_EQ("out.wav", o.output);
}

TEST(RenderOptions, ShortLongAndInlineFormsAgree) {
  RenderOptions a, b;
  std::string error;
  ASSERT_TRUE(Parse({"-r", "44100", "-b", "64", "-d", "2.5", "-f", "double", "-q", "x.wav"}, a, error)) << error;
  ASSERT_TRUE(Parse({"--rate=44100", "--block", "64", "--seconds=2.5", "--format=double", "--quiet", "x.wav"}, b,
                    error))
      << error;
  for (const RenderOptions* o : {&a, &b}) {
    EXPECT_EQ(44100.0, o->sampleRate);
    EXPECT_EQ(64, o->blockSize);
    EXPECT_EQ(2.5, o->seconds);
    EXPECT_EQ(SampleFormat::Double, o->format);
    EXPECT_TRUE(o->quiet);
  }
}

TEST(RenderOptions, NotesAreRepeatableWithOptionalOff) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"-n", "0.5", "--note", "1:2.25", "o.wav"}, o, error)) << error;
  ASSERT_EQ(2u, o.notes.size());
  EXPECT_EQ(0.5, o.notes[0].onSeconds);
  EXPECT_FALSE(o.notes[0].hasOff);
  EXPECT_EQ(1.0, o.notes[1].onSeconds);
  EXPECT_TRUE(o.notes[1].hasOff);
  EXPECT_EQ(2.25, o.notes[1].offSeconds);
}

TEST(RenderOptions, ParamsResolveNamesFromTheParameterTable) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"-p", "WindSpeed=0.7", "--param=SoundfieldAmt=1", "o.wav"}, o, error)) << error;
  ASSERT_EQ(2u, o.params.size());
  EXPECT_EQ(kWindSpeed, o.params[0].index);
  EXPECT_EQ(0.7, o.params[0].value);
  EXPECT_EQ(kSoundfieldAmt, o.params[1].index);
  EXPECT_EQ(1.0, o.params[1].value);
}

TEST(RenderOptions, MalformedInputIsRejectedWithAMessage) {
  const std::vector<std::vector<const char*>> bad = {
      {},                                      // no output
      {"a.wav", "b.wav"},                      // two outputs
      {"--bogus", "o.wav"},                    // unknown option
      {"-r", "o.wav"},                         // rate takes the output name, then no output
      {"-r", "fast", "o.wav"},                 // not a number
      {"-b", "0", "o.wav"},                    // empty blocks
      {"-b", "12.5", "o.wav"},                 // fractional block
      {"-d", "-1", "o.wav"},                   // negative duration
      {"-d", "nan", "o.wav"},                  // not finite
      {"-n", "2:1", "o.wav"},                  // off before on
      {"-n", "1:", "o.wav"},                   // missing off
      {"-p", "NoSuchParam=1", "o.wav"},        // unknown name
      {"-p", "WindSpeed", "o.wav"},            // no value
      {"-p", "WindSpeed=0.5x", "o.wav"},       // trailing junk
      {"-f", "mp3", "o.wav"},                  // unknown format
      {"o.wav", "-d"},                         // option without value
      {"-r", "44100.5", "o.wav"},              // a file header holds whole Hz only
      {"--channel", "0", "o.wav"},             // channels are 1 to 16
      {"--channel", "17", "o.wav"},
  };
  for (const auto& args : bad) {
    RenderOptions o;
    std::string error;
    EXPECT_FALSE(Parse(args, o, error)) << (args.empty() ? "(none)" : args[0]);
    EXPECT_FALSE(error.empty());
  }
}

TEST(RenderOptions, HelpAndListsNeedNoOutput) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"--help"}, o, error));
  EXPECT_TRUE(o.help);
  ASSERT_TRUE(Parse({"--list-presets"}, o, error));
  EXPECT_TRUE(o.listPresets);
  ASSERT_TRUE(Parse({"--list-params"}, o, error));
  EXPECT_TRUE(o.listParams);
}

TEST(RenderOptions, LengthAndChannelForMidiFiles) {
  RenderOptions given, fromFile;
  std::string error;
  ASSERT_TRUE(Parse({"-m", "a.mid", "-d", "10", "--channel", "16", "o.wav"}, given, error)) << error;
  EXPECT_TRUE(given.secondsGiven);
  EXPECT_EQ(16, given.midiChannel);
  ASSERT_TRUE(Parse({"-m", "a.mid", "o.wav"}, fromFile, error)) << error;
  EXPECT_FALSE(fromFile.secondsGiven);
  EXPECT_EQ(1, fromFile.midiChannel);
}

TEST(RenderOptions, ParseNumberIsStrict) {
  double v = -1.0;
  EXPECT_TRUE(ParseNumber("1e-3", v));
  EXPECT_EQ(0.001, v);
  EXPECT_FALSE(ParseNumber("", v));
  EXPECT_FALSE(ParseNumber(" ", v));
  EXPECT_FALSE(ParseNumber("inf", v));
  EXPECT_FALSE(ParseNumber("1e999", v));
  EXPECT_FALSE(ParseNumber("3 ", v));
}

}  // namespace

TEST(RenderOptions, NotesTakeKeyAndVelocityAndReplaceTheHeldDefault) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"-n", "0:1:62", "-n", "2:3:64:90", "o.wav"}, o, error)) << error;
  ASSERT_EQ(2u, o.notes.size());
  EXPECT_EQ(62, o.notes[0].key);
  EXPECT_EQ(100, o.notes[0].velocity);
  EXPECT_EQ(64, o.notes[1].key);
  EXPECT_EQ(90, o.notes[1].velocity);
  EXPECT_FALSE(o.HoldsDefaultNote());

  RenderOptions plain;
  ASSERT_TRUE(Parse({"o.wav"}, plain, error));
  EXPECT_TRUE(plain.HoldsDefaultNote());
  RenderOptions ccOnly;  // a controller alone still plays over the held default note
  ASSERT_TRUE(Parse({"-c", "1:1:64", "o.wav"}, ccOnly, error));
  EXPECT_TRUE(ccOnly.HoldsDefaultNote());
}

TEST(RenderOptions, ControllersAndRawEventsKeepTheirOrder) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"-c", "1.5:7:100", "-e", "480:0x90:60:0x7f", "--cc=0:64:127", "--tempo", "93.5", "o.wav"}, o,
                    error))
      << error;
  ASSERT_EQ(3u, o.messages.size());
  EXPECT_FALSE(o.messages[0].atSample);
  EXPECT_EQ(1.5, o.messages[0].seconds);
  EXPECT_EQ(0xB0, o.messages[0].status);
  EXPECT_EQ(7, o.messages[0].data1);
  EXPECT_EQ(100, o.messages[0].data2);
  EXPECT_TRUE(o.messages[1].atSample);
  EXPECT_EQ(480, o.messages[1].sample);
  EXPECT_EQ(0x90, o.messages[1].status);
  EXPECT_EQ(127, o.messages[1].data2);
  EXPECT_EQ(64, o.messages[2].data1);
  EXPECT_EQ(93.5, o.tempo);
  EXPECT_FALSE(o.HoldsDefaultNote());
}

TEST(RenderOptions, PresetsMidiFilesAndSavingParse) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(Parse({"-P", "3", "-m", "a.mid", "--midi=b.mid", "--save-preset", "x.sylvanepreset", "o.wav"}, o, error))
      << error;
  EXPECT_EQ("3", o.preset);
  ASSERT_EQ(2u, o.midiFiles.size());
  EXPECT_EQ("b.mid", o.midiFiles[1]);
  EXPECT_EQ("x.sylvanepreset", o.savePreset);

  RenderOptions saveOnly;
  EXPECT_TRUE(Parse({"-d", "0", "--save-preset", "x.sylvanepreset"}, saveOnly, error)) << error;
  EXPECT_TRUE(saveOnly.output.empty());
}

TEST(RenderOptions, MalformedMidiOptionsAreRejected) {
  const std::vector<std::vector<const char*>> bad = {
      {"-c", "1:7", "o.wav"},           {"-c", "1:128:0", "o.wav"},     {"-c", "-1:7:0", "o.wav"},
      {"-e", "0:0x90:60", "o.wav"},     {"-e", "-5:0x90:60:1", "o.wav"}, {"-e", "0:256:0:0", "o.wav"},
      {"-e", "0:0x90:1.5:0", "o.wav"},  {"--tempo", "fast", "o.wav"},   {"-n", "0:1:200", "o.wav"},
      {"-n", "0:1:60:128", "o.wav"},    {"-m", "", "o.wav"},            {"-P", "", "o.wav"},
  };
  for (const auto& args : bad) {
    RenderOptions o;
    std::string error;
    EXPECT_FALSE(Parse(args, o, error)) << args[0] << " " << args[1];
    EXPECT_FALSE(error.empty());
  }
}
