// The process's heap, set up once so that drawing frames never waits on the
// kernel for memory: freed memory stays in the heap, and the heap is grown
// and faulted in before the first frame, while there is no clock to keep.
#pragma once

#include <cstddef>

// What the film's frames add to the heap after its set-up, with room to
// spare: about 70 MB at 1024x768 on a software GL driver, most of it at the
// first frames of the live branches and of the organism's fills.
constexpr std::size_t FrameHeapBytes = std::size_t(128) << 20;

// Fixes glibc's thresholds so that no allocation is mapped on its own and no
// free trims the heap, then grows the heap by Bytes, faults every page of it
// in and frees it again, to be handed out by later allocations without a
// page fault. Call once the set-up is done and before the frames begin: the
// set-up's own allocations would otherwise use up the faulted-in memory.
void PrepareFrameHeap(std::size_t Bytes = FrameHeapBytes);
