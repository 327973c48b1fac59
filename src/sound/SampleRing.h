// A single-producer, single-consumer ring of interleaved stereo float frames.
// The decoder thread writes, the audio callback reads; neither side locks,
// allocates or waits, so the callback can never be held up by the decoder.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

class TSampleRing {
public:
  // The capacity is rounded up to a power of two frames.
  explicit TSampleRing(size_t CapacityFrames);

  // Producer side: copies up to Count frames in; returns how many fitted.
  size_t Write(const float *Frames, size_t Count);
  // Consumer side: copies up to Count frames out; returns how many there were.
  size_t Read(float *Frames, size_t Count);
  // Consumer side: drops up to Count frames unread; returns how many there were.
  size_t Discard(size_t Count);

  size_t Available() const;  // frames ready to read
  size_t Space() const;      // frames that can be written
  size_t Capacity() const { return Mask + 1; }
  // Frames ever written / ever read or discarded: a frame's place in the
  // stream, whichever slot it sits in.
  uint64_t WrittenTotal() const { return WriteCount.load(std::memory_order_acquire); }
  uint64_t ReadTotal() const { return ReadCount.load(std::memory_order_acquire); }

private:
  std::vector<float> Data;
  size_t Mask;
  std::atomic<uint64_t> WriteCount{0};  // frames ever written
  std::atomic<uint64_t> ReadCount{0};   // frames ever read
};
