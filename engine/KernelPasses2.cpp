// The vector passes two lanes wide, for every x86-64 processor.
#define KERNEL_LANES 2
#define KERNEL_NAMESPACE two_lanes
#define KERNEL_TABLE kTwoLanePasses
#include "engine/KernelPasses.inc"
