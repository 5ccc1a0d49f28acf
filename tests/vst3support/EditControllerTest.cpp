#include "vst3support/EditController.h"

#include "pluginterfaces/vst/ivsthostapplication.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace vst3support;

namespace {

struct Handler : FObject, IComponentHandler {
  tresult PLUGIN_API beginEdit(ParamID id) override { return Log("b", id, 0.0); }
  tresult PLUGIN_API performEdit(ParamID id, ParamValue v) override { return Log("p", id, v); }
  tresult PLUGIN_API endEdit(ParamID id) override { return Log("e", id, 0.0); }
  tresult PLUGIN_API restartComponent(int32) override { return kResultOk; }
  tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override { return FObject::queryInterface(iid, obj); }
  uint32 PLUGIN_API addRef() override { return FObject::addRef(); }
  uint32 PLUGIN_API release() override { return FObject::release(); }
  tresult Log(const char* what, ParamID id, double v) {
    calls.push_back(what + std::to_string(id) + "/" + std::to_string(v));
    return kResultOk;
  }
  std::vector<std::string> calls;
};

struct Controller : EditController {
  Controller() { mParameters.Add(std::make_unique<RangeParameter>("Gain", 5, "dB", -60.0, 0.0, -6.0, 0, 0, 0)); }
};

TEST(EditController, ForwardsEditsOnlyWhileAHandlerIsSet) {
  auto* controller = new Controller;
  EXPECT_EQ(controller->beginEdit(5), kResultFalse);
  auto* handler = new Handler;
  ASSERT_EQ(controller->setComponentHandler(handler), kResultOk);
  EXPECT_EQ(handler->RefCount(), 2u);
  controller->beginEdit(5);
  controller->performEdit(5, 0.25);
  controller->endEdit(5);
  EXPECT_EQ(handler->calls, (std::vector<std::string>{"b5/0.000000", "p5/0.250000", "e5/0.000000"}));
  controller->terminate();  // drops the handler and the parameters
  EXPECT_EQ(handler->RefCount(), 1u);
  EXPECT_EQ(controller->performEdit(5, 0.5), kResultFalse);
  EXPECT_EQ(controller->getParameterCount(), 0);
  handler->release();
  controller->release();
}

TEST(EditController, AnswersParameterQueriesThroughItsContainer) {
  auto* controller = new Controller;
  ParameterInfo info{};
  ASSERT_EQ(controller->getParameterInfo(0, info), kResultOk);
  EXPECT_EQ(info.id, 5u);
  EXPECT_EQ(controller->getParameterInfo(1, info), kInvalidArgument);
  EXPECT_DOUBLE_EQ(controller->getParamNormalized(5), 0.9);
  EXPECT_EQ(controller->setParamNormalized(5, 0.5), kResultOk);
  EXPECT_DOUBLE_EQ(controller->normalizedParamToPlain(5, controller->getParamNormalized(5)), -30.0);
  EXPECT_EQ(controller->setParamNormalized(6, 0.5), kResultFalse);
  EXPECT_DOUBLE_EQ(controller->plainParamToNormalized(6, 3.0), 3.0);
  String128 text;
  EXPECT_EQ(controller->getParamStringByValue(5, 0.5, nullptr), kInvalidArgument);
  EXPECT_EQ(controller->getParamStringByValue(6, 0.5, text), kResultFalse);
  EXPECT_EQ(controller->createView("editor"), nullptr);
  EXPECT_EQ(controller->setKnobMode(kLinearMode), kResultOk);
  EXPECT_EQ(controller->setKnobMode(7), kResultFalse);
  EXPECT_EQ(controller->KnobMode(), kLinearMode);

  void* obj = nullptr;
  ASSERT_EQ(controller->queryInterface(IEditController2::iid, &obj), kResultOk);
  static_cast<IEditController2*>(obj)->release();
  ASSERT_EQ(controller->queryInterface(IConnectionPoint::iid, &obj), kResultOk);
  static_cast<IConnectionPoint*>(obj)->release();
  EXPECT_TRUE(controller->IsTypeOf("ComponentBase"));
  EXPECT_TRUE(controller->IsTypeOf("FObject"));
  EXPECT_FALSE(controller->IsTypeOf("SingleComponentEffect"));
  EXPECT_EQ(controller->release(), 0u);
}

TEST(ComponentBase, KeepsOneHostContextAndOnePeer) {
  auto* component = new Controller;
  auto* context = new Handler;  // any FUnknown will do as a context
  auto* firstPeer = new Controller;
  auto* otherPeer = new Controller;
  EXPECT_EQ(component->initialize(nullptr), kInvalidArgument);
  ASSERT_EQ(component->initialize(static_cast<IComponentHandler*>(context)), kResultOk);
  EXPECT_EQ(component->initialize(static_cast<IComponentHandler*>(context)), kResultFalse);
  EXPECT_EQ(context->RefCount(), 2u);

  IConnectionPoint* peerA = firstPeer;
  IConnectionPoint* peerB = otherPeer;
  ASSERT_EQ(component->connect(peerA), kResultOk);
  EXPECT_EQ(component->connect(peerB), kResultFalse);
  EXPECT_EQ(component->disconnect(peerB), kResultFalse);
  EXPECT_EQ(firstPeer->RefCount(), 2u);
  EXPECT_EQ(component->disconnect(peerA), kResultOk);
  EXPECT_EQ(firstPeer->RefCount(), 1u);
  EXPECT_EQ(component->notify(nullptr), kInvalidArgument);

  component->terminate();
  EXPECT_EQ(context->RefCount(), 1u);
  EXPECT_EQ(component->initialize(static_cast<IComponentHandler*>(context)), kResultOk);
  component->release();  // releases what it still holds
  EXPECT_EQ(context->RefCount(), 1u);
  context->release();
  firstPeer->release();
  otherPeer->release();
}

}  // namespace
