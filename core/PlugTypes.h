// Small records shared by the plug-in core, the host adapters and the instrument: MIDI and
// system-exclusive messages with their sample offsets, the host's transport, channel-count
// pairs, the identified host application, and the four-character code helper.
#pragma once

#include <cstdint>

// The four characters as a big-endian 32-bit code ("Ksw1" -> 0x4B737731).
constexpr int32_t FourCharCode(const char* code) {
  return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16) |
                              (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8) |
                              static_cast<uint32_t>(static_cast<uint8_t>(code[3])));
}

// One legal (inputs, outputs) pair of the channel configuration.
struct ChannelIO {
  int32_t inputs = 0;
  int32_t outputs = 0;
};

// A short MIDI message; offset is the sample position inside the current block.
struct MidiMessage {
  int32_t offset = 0;
  uint8_t status = 0;
  uint8_t data1 = 0;
  uint8_t data2 = 0;
};

// A system-exclusive message; the bytes belong to the sender and live only during the call.
struct SysExMessage {
  int32_t offset = 0;
  int32_t size = 0;
  const uint8_t* data = nullptr;
};

// The host's transport. A query leaves a field it cannot fill at what the caller put there,
// so the defaults are what a plug-in sees from a host that reports nothing.
struct HostTimeInfo {
  double tempo = 120.0;      // beats per minute
  double samplePos = 0.0;    // song position in samples
  double ppqPos = 0.0;       // song position in quarter notes
  double lastBarPos = 0.0;   // quarter-note position of the last bar start
  double cycleStart = 0.0;   // loop range in quarter notes
  double cycleEnd = 0.0;
  int32_t numerator = 4;
  int32_t denominator = 4;
  bool transportIsRunning = false;
  bool loopEnabled = false;
};

// The host application, as told apart by its product name.
enum HostKind : int32_t {
  kHostUninit = -1,  // not identified yet
  kHostUnknown = 0,  // identified, but the name matched no known host
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostCakewalk = 5,
  kHostFruity = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostMelodyne = 12,
  kHostVstManLib = 13,
  kHostAuLab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostSawStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigitalPerformer = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostPreSonus = 26,
  kHostVst3TestHost = 27,
  kHostArdour = 28,
};

// The host interface an object runs under.
enum HostApi : int32_t {
  kApiVst2 = 0,
  kApiVst3 = 1,
};
