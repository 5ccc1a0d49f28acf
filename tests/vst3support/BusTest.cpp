#include "vst3support/Bus.h"
#include "vst3support/String.h"

#include "pluginterfaces/vst/vstspeaker.h"

#include <gtest/gtest.h>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace vst3support;

namespace {

TEST(BusList, HoldsBusesInOrderAndAnswersTheHostRecord) {
  BusList list(kAudio, kOutput);
  list.Add(std::make_unique<AudioBus>("Output 1", kMain, BusInfo::kDefaultActive, SpeakerArr::kStereo));
  list.Add(std::make_unique<AudioBus>("Surround", kAux, 0, SpeakerArr::k51));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_TRUE(list.At(0)->IsActive());
  EXPECT_FALSE(list.At(1)->IsActive());
  EXPECT_EQ(list.At(1)->ChannelCount(), 6);
  EXPECT_EQ(list.At(2), nullptr);
  EXPECT_EQ(list.At(-1), nullptr);

  BusInfo info{};
  ASSERT_EQ(list.GetInfo(1, info), kResultOk);
  EXPECT_EQ(info.mediaType, kAudio);
  EXPECT_EQ(info.direction, kOutput);
  EXPECT_EQ(info.channelCount, 6);
  EXPECT_EQ(info.busType, kAux);
  EXPECT_EQ(info.flags, 0u);
  char name[32];
  String::ToUtf8(info.name, name, sizeof name);
  EXPECT_STREQ(name, "Surround");
  EXPECT_EQ(list.GetInfo(2, info), kInvalidArgument);

  EXPECT_FALSE(list.Replace(5, std::make_unique<AudioBus>("x", kMain, 0, SpeakerArr::kMono)));
  ASSERT_TRUE(list.Replace(1, std::make_unique<AudioBus>("Mono", kMain, 0, SpeakerArr::kMono)));
  EXPECT_EQ(list.AudioAt(1)->ChannelCount(), 1);
  list.At(1)->SetActive(true);
  EXPECT_TRUE(list.At(1)->IsActive());
  list.Clear();
  EXPECT_EQ(list.Count(), 0);

  BusList events(kEvent, kInput);
  events.Add(std::make_unique<EventBus>("MIDI Input", kMain, BusInfo::kDefaultActive, 16));
  EXPECT_EQ(events.At(0)->ChannelCount(), 16);
  EXPECT_EQ(events.AudioAt(0), nullptr);
}

}  // namespace
