#include "runner/RunnerCalls.h"

#include "film/Precompute.h"
#include "platform/FrameHeap.h"
#include "scenes/Countdown.h"
#include "scenes/Timeline.h"

namespace {
// The set-up's own allocations done, the heap is readied for the frames, so
// that the film's first heavy frames do not wait on the kernel for memory.
bool PrecomputeAndPrepareHeap() {
  if (!Precompute()) return false;
  PrepareFrameHeap();
  return true;
}
}  // namespace

const TRunnerCalls &RealRunnerCalls() {
  static constexpr TRunnerCalls Real = {
      {
          &::FSOUND_GetVersion,
          &::FSOUND_Init,
          &::FSOUND_GetError,
          &::FSOUND_Close,
          &::FSOUND_Stream_Open,
          &::FSOUND_DSP_GetFFTUnit,
          &::FSOUND_DSP_SetActive,
          &::FSOUND_Stream_Play,
          &::FSOUND_SetVolume,
          &::FSOUND_Stream_Stop,
          &::FSOUND_Stream_Close,
          &::FSOUND_Stream_Follow,
          &::FSOUND_GetCurrentLevels,
      },
      {&PrecomputeAndPrepareHeap, &::DrawCountdown, &::DrawScene},
  };
  return Real;
}
