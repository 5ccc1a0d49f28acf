#include "vst3support/CPluginFactory.h"
#include "vst3support/String.h"

#include "pluginterfaces/base/ibstream.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Steinberg;
using namespace vst3support;

namespace {

int gAlive = 0;
struct Product : FObject {
  Product() { ++gAlive; }
  ~Product() override { --gAlive; }
};
FUnknown* CreateProduct(void*) { return new Product; }

PClassInfo2 ClassInfo(char lastByte) {
  PClassInfo2 info;
  std::memset(static_cast<void*>(&info), 0, sizeof info);
  std::memset(info.cid, 0x11, sizeof info.cid);
  info.cid[15] = lastByte;
  String::Copy("Product", info.name, PClassInfo::kNameSize);
  String::Copy("2.5", info.version, PClassInfo2::kVersionSize);
  return info;
}

TEST(CPluginFactory, CreatesRegisteredClassesAndReleasesUnwantedInstances) {
  PFactoryInfo factoryInfo;
  std::memset(static_cast<void*>(&factoryInfo), 0, sizeof factoryInfo);
  auto* factory = new CPluginFactory(factoryInfo);
  EXPECT_FALSE(factory->RegisterClass(ClassInfo(1), nullptr));
  for (char k = 1; k <= 12; ++k) ASSERT_TRUE(factory->RegisterClass(ClassInfo(k), &CreateProduct));
  EXPECT_EQ(factory->countClasses(), 12);

  PClassInfoW wide{};
  ASSERT_EQ(factory->getClassInfoUnicode(11, &wide), kResultOk);
  EXPECT_EQ(wide.cid[15], 12);
  char text[64];
  String::ToUtf8(wide.name, text, sizeof text);
  EXPECT_STREQ(text, "Product");
  String::ToUtf8(wide.version, text, sizeof text);
  EXPECT_STREQ(text, "2.5");
  PClassInfo plain{};
  EXPECT_EQ(factory->getClassInfo(12, &plain), kInvalidArgument);
  EXPECT_EQ(factory->getClassInfo(0, nullptr), kInvalidArgument);

  const PClassInfo2 wanted = ClassInfo(3);
  void* obj = nullptr;
  ASSERT_EQ(factory->createInstance(wanted.cid, FUnknown::iid, &obj), kResultOk);
  EXPECT_EQ(gAlive, 1);
  EXPECT_EQ(static_cast<FObject*>(static_cast<FUnknown*>(obj))->RefCount(), 1u);
  static_cast<FUnknown*>(obj)->release();
  EXPECT_EQ(gAlive, 0);

  EXPECT_EQ(factory->createInstance(wanted.cid, IBStream::iid, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
  EXPECT_EQ(gAlive, 0);
  const PClassInfo2 unknown = ClassInfo(40);
  EXPECT_EQ(factory->createInstance(unknown.cid, FUnknown::iid, &obj), kNoInterface);
  EXPECT_EQ(factory->createInstance(nullptr, FUnknown::iid, &obj), kInvalidArgument);

  void* asFactory3 = nullptr;
  ASSERT_EQ(factory->queryInterface(IPluginFactory3::iid, &asFactory3), kResultOk);
  static_cast<IPluginFactory3*>(asFactory3)->release();
  EXPECT_EQ(factory->release(), 0u);
}

}  // namespace
