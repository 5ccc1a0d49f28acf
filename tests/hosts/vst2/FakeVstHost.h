// The host's side of the VST 2 interface for tests: a host callback that answers from plain
// members and counts every request. A test points the effect's user field at its FakeVstHost
// after creating the effect, as a host keeps its own record there.
#pragma once

#include "hosts/vst2/VstAbi.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

struct FakeVstHost {
  VstTimeInfo time = {};
  bool givesTime = true;
  std::string product;
  VstIntPtr vendorVersion = 0;
  VstIntPtr processLevel = 0;
  std::map<VstInt32, int> requests;           // opcode -> count
  std::vector<std::pair<int, float>> automated;
  std::vector<VstMidiEvent> midiOut;
  std::vector<VstMidiSysexEvent> sysexOut;

  FakeVstHost() {
    time.sampleRate = 48000.0;
    time.tempo = 120.0;
    time.timeSigNumerator = 4;
    time.timeSigDenominator = 4;
    time.flags = kVstTempoValid | kVstTimeSigValid;
  }

  int Count(VstInt32 opcode) const {
    auto it = requests.find(opcode);
    return it == requests.end() ? 0 : it->second;
  }

  static VstIntPtr Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                            float opt) {
    (void)value;
    auto* host = effect ? static_cast<FakeVstHost*>(effect->user) : nullptr;
    if (!host) return 0;
    ++host->requests[opcode];
    switch (opcode) {
      case audioMasterGetTime:
        return host->givesTime ? reinterpret_cast<VstIntPtr>(&host->time) : 0;
      case audioMasterGetProductString:
        std::strncpy(static_cast<char*>(ptr), host->product.c_str(), kVstMaxProductStrLen - 1);
        return host->product.empty() ? 0 : 1;
      case audioMasterGetVendorVersion:
        return host->vendorVersion;
      case audioMasterGetCurrentProcessLevel:
        return host->processLevel;
      case audioMasterAutomate:
        host->automated.emplace_back(index, opt);
        return 0;
      case audioMasterProcessEvents: {
        const auto* list = static_cast<const VstEvents*>(ptr);
        for (int i = 0; i < list->numEvents; ++i) {
          if (list->events[i]->type == kVstMidiType) {
            host->midiOut.push_back(*reinterpret_cast<const VstMidiEvent*>(list->events[i]));
          } else if (list->events[i]->type == kVstSysExType) {
            host->sysexOut.push_back(*reinterpret_cast<const VstMidiSysexEvent*>(list->events[i]));
          }
        }
        return 1;
      }
      default:
        return 0;
    }
  }
};

// Shorthands for the dispatcher.
inline VstIntPtr Dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f) {
  return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

// A VstEvents list for any number of events (the published record has room for two).
struct EventList {
  explicit EventList(std::vector<VstEvent*> events) : pointers(std::move(events)) {
    storage.resize(sizeof(VstEvents) + pointers.size() * sizeof(VstEvent*));
    auto* list = reinterpret_cast<VstEvents*>(storage.data());
    list->numEvents = static_cast<VstInt32>(pointers.size());
    for (size_t i = 0; i < pointers.size(); ++i) list->events[i] = pointers[i];
  }
  VstEvents* get() { return reinterpret_cast<VstEvents*>(storage.data()); }
  std::vector<VstEvent*> pointers;
  std::vector<unsigned char> storage;
};

inline VstMidiEvent MakeMidiEvent(int deltaFrames, int status, int data1, int data2) {
  VstMidiEvent event = {};
  event.type = kVstMidiType;
  event.byteSize = static_cast<VstInt32>(sizeof event);
  event.deltaFrames = deltaFrames;
  event.midiData[0] = static_cast<char>(status);
  event.midiData[1] = static_cast<char>(data1);
  event.midiData[2] = static_cast<char>(data2);
  return event;
}
