// Drives a Sylvane instance the way a host does: activate, MIDI before each block, blocks.
#pragma once

#include "engine/KernelParams.h"
#include "instrument/Sylvane.h"

#include <memory>
#include <vector>

struct SylvaneHarness {
  std::unique_ptr<Sylvane> plug;
  std::vector<double> left, right;

  explicit SylvaneHarness(double rate = 48000.0, int block = 512)
      : plug(new Sylvane(IPlugHeadless::InstanceInfo())), left(block), right(block) {
    plug->Activate(rate, block);
  }

  void Midi(int offset, int status, int data1, int data2) {
    MidiMessage m;
    m.offset = offset;
    m.status = static_cast<uint8_t>(status);
    m.data1 = static_cast<uint8_t>(data1);
    m.data2 = static_cast<uint8_t>(data2);
    plug->SendMidi(m);
  }
  void NoteOn(int key, int velocity = 100, int offset = 0) { Midi(offset, 0x90, key, velocity); }
  void NoteOff(int key, int offset = 0) { Midi(offset, 0x80, key, 0); }
  void Cc(int controller, int value, int offset = 0) { Midi(offset, 0xB0, controller, value); }

  // Renders one block of n samples (n <= the activated block size).
  void Block(int n = -1) {
    if (n < 0) n = static_cast<int>(left.size());
    double* outs[2] = {left.data(), right.data()};
    plug->ProcessDouble(outs, n);
  }

  double Param(int idx) const { return plug->GetParam(idx)->Value(); }
  double KernelParam(int idx) const { return plug->Kernel().paramValues[idx]; }
  double Gate() const { return KernelParam(kVoice00_NoteGate); }
};
