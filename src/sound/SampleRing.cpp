#include "sound/SampleRing.h"

#include <algorithm>
#include <cstring>

namespace {

size_t NextPowerOfTwo(size_t Value) {
  size_t Result = 1;
  while (Result < Value) Result <<= 1;
  return Result;
}

}  // namespace

TSampleRing::TSampleRing(size_t CapacityFrames)
    : Data(NextPowerOfTwo(std::max<size_t>(CapacityFrames, 1)) * 2), Mask(Data.size() / 2 - 1) {}

size_t TSampleRing::Available() const {
  return static_cast<size_t>(WriteCount.load(std::memory_order_acquire) -
                             ReadCount.load(std::memory_order_acquire));
}

size_t TSampleRing::Space() const { return Capacity() - Available(); }

size_t TSampleRing::Write(const float *Frames, size_t Count) {
  const uint64_t Written = WriteCount.load(std::memory_order_relaxed);
  const uint64_t Read = ReadCount.load(std::memory_order_acquire);
  Count = std::min(Count, Capacity() - static_cast<size_t>(Written - Read));
  // Two copies at most: up to the end of the storage, then from its start.
  const size_t Start = static_cast<size_t>(Written) & Mask;
  const size_t First = std::min(Count, Capacity() - Start);
  std::memcpy(&Data[Start * 2], Frames, First * 2 * sizeof(float));
  std::memcpy(&Data[0], Frames + First * 2, (Count - First) * 2 * sizeof(float));
  WriteCount.store(Written + Count, std::memory_order_release);
  return Count;
}

size_t TSampleRing::Read(float *Frames, size_t Count) {
  const uint64_t Read = ReadCount.load(std::memory_order_relaxed);
  const uint64_t Written = WriteCount.load(std::memory_order_acquire);
  Count = std::min(Count, static_cast<size_t>(Written - Read));
  const size_t Start = static_cast<size_t>(Read) & Mask;
  const size_t First = std::min(Count, Capacity() - Start);
  std::memcpy(Frames, &Data[Start * 2], First * 2 * sizeof(float));
  std::memcpy(Frames + First * 2, &Data[0], (Count - First) * 2 * sizeof(float));
  ReadCount.store(Read + Count, std::memory_order_release);
  return Count;
}

size_t TSampleRing::Discard(size_t Count) {
  const uint64_t Read = ReadCount.load(std::memory_order_relaxed);
  const uint64_t Written = WriteCount.load(std::memory_order_acquire);
  Count = std::min(Count, static_cast<size_t>(Written - Read));
  ReadCount.store(Read + Count, std::memory_order_release);
  return Count;
}
