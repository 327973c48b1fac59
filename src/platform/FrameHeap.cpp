#include "platform/FrameHeap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace {
// Frames allocate and free buffers of several megabytes (ours and the GL
// driver's). With glibc's adaptive thresholds such a buffer can end up mapped
// fresh, or trimmed off the heap's top, on every frame, and the page faults
// that follow halved the frame rate for seconds at a time. With these fixed
// thresholds freed memory stays in the heap for the next frame.
constexpr int KeepFreedBytes = 1 << 30;

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14
#endif

// Faults in the whole pages of [Start, Start + Bytes): in one call where the
// kernel can, else by writing to each page.
void FaultIn(char *Start, std::size_t Bytes) {
  const std::uintptr_t Page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const std::uintptr_t First = (reinterpret_cast<std::uintptr_t>(Start) + Page - 1) & ~(Page - 1);
  const std::uintptr_t End = (reinterpret_cast<std::uintptr_t>(Start) + Bytes) & ~(Page - 1);
  if (End <= First) return;
  if (madvise(reinterpret_cast<void *>(First), End - First, MADV_POPULATE_WRITE) == 0) return;
  for (std::uintptr_t At = First; At < End; At += Page) *reinterpret_cast<volatile char *>(At) = 0;
}
}  // namespace

void PrepareFrameHeap(std::size_t Bytes) {
  mallopt(M_MMAP_THRESHOLD, KeepFreedBytes);
  mallopt(M_TRIM_THRESHOLD, KeepFreedBytes);
  if (Bytes == 0) return;
  // Below the mapping threshold this block comes from the heap's top; freed,
  // it joins the top again, faulted in, and stays there.
  char *Block = static_cast<char *>(std::malloc(Bytes));
  if (!Block) return;
  FaultIn(Block, Bytes);
  std::free(Block);
}
