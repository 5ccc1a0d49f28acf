// A minimal host adapter for driving the core in tests: it records what the core tells the host
// and what reaches the product's hooks, and lets a test supply the block renderer.
#pragma once

#include "core/IPlugBase.h"

#include <functional>
#include <string>
#include <vector>

class TestPlug : public IPlugBase {
 public:
  explicit TestPlug(int nParams = 3, const char* io = "2-2", int nPrograms = 1, int latency = 0,
                    const char* effectName = "Test Effect")
      : IPlugBase(nParams, io, nPrograms, effectName, "", "Test Maker", 0x10203, FourCharCode("Tst1"),
                  FourCharCode("Mkr1"), latency, true, false, true, kApiVst3) {}

  // The host's side.
  void BeginParamGesture(int idx) override { log.push_back("begin " + std::to_string(idx)); }
  void NotifyHostParamValue(int idx, double normalized) override {
    log.push_back("notify " + std::to_string(idx));
    notifiedValues.push_back(normalized);
  }
  void EndParamGesture(int idx) override { log.push_back("end " + std::to_string(idx)); }
  void NotifyHostProgramChange() override {}
  int HostSamplePos() override { return 0; }
  double HostTempo() override { return 120.0; }
  void HostTimeSig(int* numerator, int* denominator) override { *numerator = *denominator = 4; }
  void HostTime(HostTimeInfo* info) override { (void)info; }
  void EditorResized(int width, int height) override { (void)width; (void)height; }
  bool SendMidiMessage(const MidiMessage& message) override {
    sentMidi.push_back(message);
    return true;
  }

  // The product's side.
  void HandleParamChange(int idx) override {
    IPlugBase::HandleParamChange(idx);
    log.push_back("change " + std::to_string(idx));
    if (onParamChange) onParamChange(idx);
  }
  void ProcessBlock(double** inputs, double** outputs, int nFrames) override {
    blockSizes.push_back(nFrames);
    if (render) {
      render(inputs, outputs, nFrames);
    } else {
      IPlugBase::ProcessBlock(inputs, outputs, nFrames);
    }
  }
  void OnProgramRestored() override { ++programsRestored; }

  double* InBuf(int k) { return InputPointers()[k]; }
  double* OutBuf(int k) { return OutputPointers()[k]; }

  std::vector<std::string> log;
  std::vector<double> notifiedValues;
  std::vector<MidiMessage> sentMidi;
  std::vector<int> blockSizes;
  int programsRestored = 0;
  std::function<void(int)> onParamChange;
  std::function<void(double**, double**, int)> render;
};
