// The straightforward per-sample kernel kept as the benchmark's baseline (same record, same API).
#pragma once

#include "engine/SynthKernel.h"

int32_t PerformKernelBaseline(SynthKernel* kernel, double** inputs, double** outputs, int32_t n) noexcept;
