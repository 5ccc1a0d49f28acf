// The wind and foliage synthesis kernel: a plain record with free operations.
//
// Lifecycle: CreateKernel -> any mix of SetKernelParam / PerformKernel, with ResetKernel whenever
// the sample rate or processing state changes (a reset restores every parameter default) ->
// DestroyKernel. A kernel has no lock: its owner serialises every call on it.
#pragma once

#include "engine/DelayLine.h"
#include "engine/KernelChunk.h"
#include "engine/KernelParams.h"

#include <cstdint>

struct KernelParamInfo {
  double defaultValue = 0.0;
  void* reference = nullptr;  // always null
  bool hasInputRange = false;
  bool hasOutputRange = true;
  double inputMin = 0.0;
  double inputMax = 1.0;
  double outputMin = 0.0;  // the clamp range of the live value
  double outputMax = 1.0;
  const char* name = "";
  const char* units = "";
  int32_t valueType = 0;  // 0 = double
  double exponent = 0.0;
};

enum EnvelopeStage : int32_t { kEnvIdle = 0, kEnvAttack, kEnvHold, kEnvRelease };

// A two-integrator high-pass state-variable filter's states.
struct SvfState {
  double low = 0.0;
  double band = 0.0;
};

// A slowly wandering random value: a new target latched each time the phase passes 0.5.
struct RandomModulator {
  double phase = 0.0;
  double previousPhase = 0.0;
  double held = 0.0;
  double slewed = 0.0;
};

struct SynthKernel {
  double sampleRate = 0.0;
  int32_t blockSizeHint = 1024;
  int32_t inputCount = 2;
  int32_t outputCount = 2;
  const char* inputNames[2] = {"in1", "in2"};
  const char* outputNames[2] = {"audio_out_1", "audio_out_2"};
  int32_t paramCount = kKernelParamCount;
  KernelParamInfo* paramInfo = nullptr;  // owned, paramCount entries
  DelayLine longDelay;                   // feeds output 2
  DelayLine shortDelay;                  // feeds output 1
  int32_t errorCode = 0;                 // 0 rendering, 101 a buffer was missing (sticky until reset)
  int32_t blockLength = 0;
  double paramValues[kKernelParamCount] = {};  // written through SetKernelParam only
  double invSampleRate = 0.0;  // 0 while the sample rate is 0

  // Signal state, all zero after a reset.
  RandomModulator windMod;
  RandomModulator foliageMod;
  int32_t envStage = kEnvIdle;
  double envRamp = 0.0;        // C
  double envLevel = 0.0;       // D
  double envAttackFrom = 0.0;  // F
  double envReleaseFrom = 0.0; // E
  double envPreviousGate = 0.0;
  double envSmoothed = 0.0;    // L
  double noiseLowpass[4] = {};
  SvfState foliageHigh5000;
  SvfState foliageHigh700;
  SvfState windHigh1;
  SvfState windHigh2;

  // The foliage filters' coefficients, which depend on the rate alone, for the rate in
  // foliageRate (0 until first needed).
  double foliageRate = 0.0;
  double foliageCoef5000 = 0.0;
  double foliageCoef700 = 0.0;

  // The noise generator's jump over one block's draws, for blocks of noiseJumpLength samples (0
  // until first needed): hosts keep one block length, so it is rarely worked out again.
  int32_t noiseJumpLength = 0;
  // The per-block values derived from the parameters, kept while no parameter is set and the rate
  // stays the same.
  sylvane_kernel::BlockSettings settings = {};
  bool settingsValid = false;
  uint32_t noiseJumpMul = 1;
  uint32_t noiseJumpAdd = 0;
};

constexpr int32_t kKernelErrorMissingBuffer = 101;

// New kernel at `sampleRate`, reset with block length 1024; null if out of memory.
SynthKernel* CreateKernel(double sampleRate) noexcept;
void DestroyKernel(SynthKernel* kernel) noexcept;

// Clears the error, the delay lines and the signal state and restores every parameter default.
void ResetKernel(SynthKernel* kernel, double sampleRate, int32_t blockLength) noexcept;

// Clamps into the parameter's range; indices outside 0..25 and non-finite values are ignored.
void SetKernelParam(SynthKernel* kernel, int index, double value) noexcept;

// Renders `n` samples into outputs[0] and outputs[1] (inputs must exist but are not read).
// Returns 0, or 101 (sticky until reset) when a buffer is missing.
int32_t PerformKernel(SynthKernel* kernel, double** inputs, double** outputs, int32_t n) noexcept;

// Whether the kernel may use its four-lane (AVX) passes where the processor has them (the
// default); the two-lane passes give the same output. For tests and benchmarks; any thread.
void SetKernelWideVectors(bool allowed) noexcept;
