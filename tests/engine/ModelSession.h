// Plays one reproducible session into the kernel and into the plain model of the signal flow and
// compares them sample for sample: block sizes from 1 to 1000, notes (and gate steps that must
// trigger nothing), fades, controller changes (now and then beyond their ranges), soundfield
// changes and resets, all between blocks. Used by the engine tests and by the long-form check
// beside the benchmarks.
#pragma once

#include <cstdint>
#include <functional>
#include <set>

struct SessionSpec {
  double rate;
  double seconds;
  uint64_t seed;
  unsigned callerMode;  // the SSE control word the "host" renders each block with
};

struct SessionResult {
  double worst = 0.0;           // largest difference over both outputs
  long firstOver = -1;          // first sample whose difference exceeded the bound, or -1
  double loudness = 0.0;        // RMS of the model's outputs
  std::set<int> blockSizes;     // the block sizes rendered
  bool modeKept = true;         // the caller's control word survived every block
};

// Plays `session`; stops at the first sample whose difference exceeds `bound`. `sink`, if given,
// receives each block of the kernel's two outputs.
SessionResult PlaySession(const SessionSpec& session, double bound,
                          const std::function<void(const double*, const double*, int)>& sink = nullptr);
