// The buses a component declares: audio buses with a speaker arrangement, event buses with a
// channel count, each with a name, a type (main or aux), flags and an active flag. A BusList
// holds the buses of one media type and direction in index order. Lists change only while the
// host is not processing (initialize, terminate, setBusArrangements); the active flag is read by
// the audio thread, so it is atomic.
#pragma once

#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/vsttypes.h"

#include <atomic>
#include <memory>
#include <vector>

namespace vst3support {

class Bus {
 public:
  Bus(const char* name, Steinberg::Vst::BusType type, Steinberg::int32 flags);
  virtual ~Bus() = default;

  bool IsActive() const noexcept { return mActive.load(std::memory_order_relaxed); }
  void SetActive(bool active) noexcept { mActive.store(active, std::memory_order_relaxed); }
  const Steinberg::Vst::TChar* Name() const noexcept { return mName; }
  Steinberg::Vst::BusType Type() const noexcept { return mType; }
  Steinberg::int32 Flags() const noexcept { return mFlags; }
  virtual Steinberg::int32 ChannelCount() const noexcept = 0;
  // Fills the host's record (media type and direction come from the list).
  void GetInfo(Steinberg::Vst::BusInfo& info) const noexcept;

 private:
  Steinberg::Vst::String128 mName;
  Steinberg::Vst::BusType mType;
  Steinberg::int32 mFlags;
  std::atomic<bool> mActive{false};
};

class AudioBus : public Bus {
 public:
  AudioBus(const char* name, Steinberg::Vst::BusType type, Steinberg::int32 flags,
           Steinberg::Vst::SpeakerArrangement arrangement);
  Steinberg::Vst::SpeakerArrangement Arrangement() const noexcept { return mArrangement; }
  // One channel per speaker bit.
  Steinberg::int32 ChannelCount() const noexcept override;

 private:
  Steinberg::Vst::SpeakerArrangement mArrangement;
};

class EventBus : public Bus {
 public:
  EventBus(const char* name, Steinberg::Vst::BusType type, Steinberg::int32 flags, Steinberg::int32 channels);
  Steinberg::int32 ChannelCount() const noexcept override { return mChannels; }

 private:
  Steinberg::int32 mChannels;
};

class BusList {
 public:
  BusList(Steinberg::Vst::MediaType type, Steinberg::Vst::BusDirection direction) noexcept
      : mType(type), mDirection(direction) {}

  // Takes ownership; the bus is active when its flags say kDefaultActive. Allocates.
  void Add(std::unique_ptr<Bus> bus);
  // Replaces bus `index` (ownership taken); false, and nothing changes, for a bad index.
  bool Replace(int index, std::unique_ptr<Bus> bus);
  void Clear() noexcept { mBuses.clear(); }
  int Count() const noexcept { return static_cast<int>(mBuses.size()); }
  // Null for an index outside 0..Count()-1.
  Bus* At(int index) const noexcept;
  AudioBus* AudioAt(int index) const noexcept;
  // kInvalidArgument for a bad index.
  Steinberg::tresult GetInfo(int index, Steinberg::Vst::BusInfo& info) const noexcept;
  Steinberg::Vst::MediaType MediaType() const noexcept { return mType; }
  Steinberg::Vst::BusDirection Direction() const noexcept { return mDirection; }

 private:
  Steinberg::Vst::MediaType mType;
  Steinberg::Vst::BusDirection mDirection;
  std::vector<std::unique_ptr<Bus>> mBuses;
};

}  // namespace vst3support
