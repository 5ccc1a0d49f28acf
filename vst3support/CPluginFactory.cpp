#include "vst3support/CPluginFactory.h"

#include "vst3support/String.h"

#include <cstring>
#include <new>

namespace vst3support {

using namespace Steinberg;

namespace {
constexpr size_t kTableStep = 10;

template <size_t N>
void Widen(const char8 (&in)[N], char16* out, size_t capacity) {
  char text[N + 1] = {};
  std::memcpy(text, in, N);
  String::Widen(text, out, capacity);
}
}  // namespace

CPluginFactory::CPluginFactory(const PFactoryInfo& info) : mInfo(info) {}

CPluginFactory::~CPluginFactory() = default;

bool CPluginFactory::RegisterClass(const PClassInfo2& info, CreateFunction create, void* context) noexcept {
  if (create == nullptr) return false;
  ClassEntry entry;
  std::memset(static_cast<void*>(&entry), 0, sizeof entry);
  entry.info = info;
  std::memcpy(entry.infoW.cid, info.cid, sizeof(TUID));
  entry.infoW.cardinality = info.cardinality;
  std::memcpy(entry.infoW.category, info.category, sizeof info.category);
  Widen(info.name, entry.infoW.name, PClassInfo::kNameSize);
  entry.infoW.classFlags = info.classFlags;
  std::memcpy(entry.infoW.subCategories, info.subCategories, sizeof info.subCategories);
  Widen(info.vendor, entry.infoW.vendor, PClassInfo2::kVendorSize);
  Widen(info.version, entry.infoW.version, PClassInfo2::kVersionSize);
  Widen(info.sdkVersion, entry.infoW.sdkVersion, PClassInfo2::kVersionSize);
  entry.create = create;
  entry.context = context;
  try {
    if (mClasses.size() == mClasses.capacity()) mClasses.reserve(mClasses.size() + kTableStep);
    mClasses.push_back(entry);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

const CPluginFactory::ClassEntry* CPluginFactory::Entry(int32 index) const noexcept {
  return index >= 0 && static_cast<size_t>(index) < mClasses.size() ? &mClasses[static_cast<size_t>(index)] : nullptr;
}

tresult PLUGIN_API CPluginFactory::getFactoryInfo(PFactoryInfo* info) {
  if (info == nullptr) return kInvalidArgument;
  *info = mInfo;
  return kResultOk;
}

int32 PLUGIN_API CPluginFactory::countClasses() { return static_cast<int32>(mClasses.size()); }

tresult PLUGIN_API CPluginFactory::getClassInfo(int32 index, PClassInfo* info) {
  const ClassEntry* entry = Entry(index);
  if (info == nullptr || entry == nullptr) return kInvalidArgument;
  std::memset(static_cast<void*>(info), 0, sizeof *info);
  std::memcpy(info->cid, entry->info.cid, sizeof(TUID));
  info->cardinality = entry->info.cardinality;
  std::memcpy(info->category, entry->info.category, sizeof info->category);
  std::memcpy(info->name, entry->info.name, sizeof info->name);
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfo2(int32 index, PClassInfo2* info) {
  const ClassEntry* entry = Entry(index);
  if (info == nullptr || entry == nullptr) return kInvalidArgument;
  *info = entry->info;
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::getClassInfoUnicode(int32 index, PClassInfoW* info) {
  const ClassEntry* entry = Entry(index);
  if (info == nullptr || entry == nullptr) return kInvalidArgument;
  *info = entry->infoW;
  return kResultOk;
}

tresult PLUGIN_API CPluginFactory::createInstance(FIDString cid, FIDString iid, void** obj) {
  if (obj == nullptr) return kInvalidArgument;
  *obj = nullptr;
  if (cid == nullptr || iid == nullptr) return kInvalidArgument;
  for (const ClassEntry& entry : mClasses) {
    if (std::memcmp(entry.info.cid, cid, sizeof(TUID)) != 0) continue;
    FUnknown* instance = entry.create(entry.context);
    if (instance == nullptr) return kNoInterface;
    const tresult result = instance->queryInterface(reinterpret_cast<const int8*>(iid), obj);
    instance->release();
    if (result != kResultOk || *obj == nullptr) {
      *obj = nullptr;
      return kNoInterface;
    }
    return kResultOk;
  }
  return kNoInterface;
}

tresult PLUGIN_API CPluginFactory::setHostContext(FUnknown*) { return kNotImplemented; }

tresult PLUGIN_API CPluginFactory::queryInterface(const TUID iid, void** obj) {
  if (obj == nullptr) return kInvalidArgument;
  *obj = nullptr;
  if (Answer(iid, IPluginFactory::iid, static_cast<IPluginFactory*>(this), obj)) return kResultOk;
  if (Answer(iid, IPluginFactory2::iid, static_cast<IPluginFactory2*>(this), obj)) return kResultOk;
  if (Answer(iid, IPluginFactory3::iid, static_cast<IPluginFactory3*>(this), obj)) return kResultOk;
  return FObject::queryInterface(iid, obj);
}

}  // namespace vst3support
