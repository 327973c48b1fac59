#include "runner/RunnerCalls.h"

#include "film/Precompute.h"
#include "scenes/Countdown.h"
#include "scenes/Timeline.h"

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
      {&::Precompute, &::DrawCountdown, &::DrawScene},
  };
  return Real;
}
