#include "vst3support/Bus.h"

#include "vst3support/String.h"

#include <cstring>

namespace vst3support {

using namespace Steinberg;
using namespace Steinberg::Vst;

Bus::Bus(const char* name, BusType type, int32 flags) : mType(type), mFlags(flags) {
  String::Widen(name, mName, 128);
  mActive.store((flags & BusInfo::kDefaultActive) != 0);
}

void Bus::GetInfo(BusInfo& info) const noexcept {
  info.channelCount = ChannelCount();
  std::memcpy(info.name, mName, sizeof info.name);
  info.busType = mType;
  info.flags = static_cast<uint32>(mFlags);
}

AudioBus::AudioBus(const char* name, BusType type, int32 flags, SpeakerArrangement arrangement)
    : Bus(name, type, flags), mArrangement(arrangement) {}

int32 AudioBus::ChannelCount() const noexcept {
  int32 n = 0;
  for (uint64 bits = mArrangement; bits != 0; bits &= bits - 1) ++n;
  return n;
}

EventBus::EventBus(const char* name, BusType type, int32 flags, int32 channels)
    : Bus(name, type, flags), mChannels(channels < 0 ? 0 : channels) {}

void BusList::Add(std::unique_ptr<Bus> bus) {
  if (bus) mBuses.push_back(std::move(bus));
}

bool BusList::Replace(int index, std::unique_ptr<Bus> bus) {
  if (!bus || index < 0 || index >= Count()) return false;
  mBuses[static_cast<size_t>(index)] = std::move(bus);
  return true;
}

Bus* BusList::At(int index) const noexcept {
  return index >= 0 && index < Count() ? mBuses[static_cast<size_t>(index)].get() : nullptr;
}

AudioBus* BusList::AudioAt(int index) const noexcept {
  return mType == kAudio ? static_cast<AudioBus*>(At(index)) : nullptr;
}

tresult BusList::GetInfo(int index, BusInfo& info) const noexcept {
  const Bus* bus = At(index);
  if (bus == nullptr) return kInvalidArgument;
  info.mediaType = mType;
  info.direction = mDirection;
  bus->GetInfo(info);
  return kResultOk;
}

}  // namespace vst3support
