#include "vst3support/FObject.h"
#include "vst3support/FUID.h"

#include "pluginterfaces/base/ibstream.h"

#include <gtest/gtest.h>

using namespace Steinberg;

namespace {

struct Tracked : vst3support::FObject {
  explicit Tracked(bool* destroyed) : mDestroyed(destroyed) {}
  ~Tracked() override { *mDestroyed = true; }
  bool* mDestroyed;
};

TEST(FObject, CountsReferencesAndAnswersOnlyFUnknown) {
  bool destroyed = false;
  auto* object = new Tracked(&destroyed);
  EXPECT_EQ(object->RefCount(), 1u);
  EXPECT_EQ(object->addRef(), 2u);

  void* obj = nullptr;
  ASSERT_EQ(object->queryInterface(FUnknown::iid, &obj), kResultOk);
  EXPECT_EQ(obj, static_cast<FUnknown*>(object));
  EXPECT_EQ(object->RefCount(), 3u);

  obj = object;
  EXPECT_EQ(object->queryInterface(IBStream::iid, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
  EXPECT_EQ(object->queryInterface(FUnknown::iid, nullptr), kInvalidArgument);
  EXPECT_EQ(object->queryInterface(nullptr, &obj), kInvalidArgument);
  EXPECT_EQ(object->RefCount(), 3u);

  EXPECT_TRUE(object->IsTypeOf("FObject"));
  EXPECT_FALSE(object->IsTypeOf("ComponentBase"));
  EXPECT_FALSE(object->IsTypeOf(nullptr));

  EXPECT_EQ(object->release(), 2u);
  EXPECT_EQ(object->release(), 1u);
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(object->release(), 0u);
  EXPECT_TRUE(destroyed);
}

TEST(FUID, WindowsLongsGiveTheSameBytesOnEveryPlatform) {
  // First word little-endian, second as two little-endian halves, last two big-endian.
  const vst3support::FUID uid = vst3support::FUID::FromWindowsLongs(0x01020304, 0x05060708, 0x090A0B0C, 0x0D0E0F10);
  const unsigned char expected[16] = {0x04, 0x03, 0x02, 0x01, 0x06, 0x05, 0x08, 0x07,
                                      0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10};
  EXPECT_EQ(std::memcmp(uid.Data(), expected, 16), 0);
  char text[33];
  uid.ToString(text);
  EXPECT_STREQ(text, "0403020106050807090A0B0C0D0E0F10");
  EXPECT_TRUE(uid.Equals(reinterpret_cast<const char*>(expected)));
  EXPECT_FALSE(uid.Equals(nullptr));
  EXPECT_TRUE(uid.IsValid());
  EXPECT_FALSE(vst3support::FUID().IsValid());
  EXPECT_FALSE(vst3support::FUID(nullptr).IsValid());
}

}  // namespace
