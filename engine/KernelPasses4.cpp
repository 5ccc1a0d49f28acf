// The vector passes four lanes wide. This file alone is built for AVX; the kernel calls it only
// after checking that the processor and the system support AVX.
#define KERNEL_LANES 4
#define KERNEL_NAMESPACE four_lanes
#define KERNEL_TABLE kFourLanePasses
#include "engine/KernelPasses.inc"
