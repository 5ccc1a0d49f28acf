// The instrument's output for given notes and settings, made without any VST 2 code: the
// command-line renderer on Linux, the headless instrument where the renderer is not built.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ReferenceSetup {
  struct Event {
    long long sample;  // absolute position
    uint8_t status, data1, data2;
  };
  double sampleRate = 48000.0;
  int blockSize = 512;
  long long frames = 0;
  double tempo = 120.0;
  std::vector<Event> events;
  std::string paramName;  // one plain parameter setting, made after activation
  double paramValue = 0.0;
};

// Fills left and right with setup.frames samples each; false with a message when it cannot.
bool RenderReference(const ReferenceSetup& setup, std::vector<double>& left, std::vector<double>& right,
                     std::string& error);
