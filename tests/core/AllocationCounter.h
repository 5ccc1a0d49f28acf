// Counts heap allocations made through operator new while counting is on (any thread).
#pragma once

void StartCountingAllocations();
// Stops counting; returns the number of allocations since StartCountingAllocations.
int StopCountingAllocations();
