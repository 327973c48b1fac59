// One playing MP3 stream: a decoder thread reads the file, converts it to the
// device rate and keeps a ring of ready frames filled; the audio callback only
// copies from that ring (silence when it runs dry) and keeps a short history
// of what it handed to the device, which the level meter reads.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

#include "sound/Mp3Source.h"
#include "sound/RateConverter.h"
#include "sound/SampleRing.h"

class TStreamPlayer {
public:
  // LatencyFrames: how long after the callback hands a frame to the device
  // it is heard, from the device's buffering.
  TStreamPlayer(int OutputRate, int LatencyFrames);
  TStreamPlayer(const TStreamPlayer &) = delete;
  TStreamPlayer &operator=(const TStreamPlayer &) = delete;
  ~TStreamPlayer();

  // Opens the file and starts decoding ahead, so playback can start at once.
  TMp3OpenResult Open(const char *Path);

  void Play() { IsPlaying.store(true, std::memory_order_release); }
  void Stop() { IsPlaying.store(false, std::memory_order_release); }
  bool Playing() const { return IsPlaying.load(std::memory_order_acquire); }
  void SetVolume(float Gain) { Volume.store(Gain, std::memory_order_relaxed); }

  // Audio thread: fills Out with Frames interleaved stereo frames. Never reads
  // the file, allocates or waits.
  void Render(float *Out, size_t Frames);

  // Levels of what is audible now (the device's latency taken into account).
  // False while the stream is not playing.
  bool CurrentLevels(float &Left, float &Right) const;
  // Levels with the audible frame given explicitly (frames since Play).
  bool LevelsAt(int64_t AudibleFrame, float &Left, float &Right) const;

  // Frames decoded ahead, waiting for the device.
  size_t BufferedFrames() const { return Ready.Available(); }
  // Frames handed to the device since playback started.
  uint64_t PlayedFrames() const { return Played.load(std::memory_order_acquire); }
  // Callbacks that found the ring empty before the file had ended.
  uint64_t Underruns() const { return UnderrunCount.load(std::memory_order_relaxed); }
  bool DecodingFinished() const { return Finished.load(std::memory_order_acquire); }
  // The frame the viewer hears now (frames since Play): a device latency
  // behind what was handed over, advancing with the clock in between.
  int64_t AudibleFrame() const;

private:
  void DecodeLoop();
  bool Deliver(const float *Frames, size_t Count);

  const int OutputRate;
  const int LatencyFrames;
  TMp3Source Source;
  TRateConverter Converter;
  TSampleRing Ready;
  std::vector<float> DecodeBuffer;
  std::vector<float> Converted;  // the decoder's last chunk at the device rate
  std::vector<float> History;    // the last frames played, indexed by frame & mask
  std::thread Decoder;
  std::atomic<bool> StopDecoding{false};
  std::atomic<bool> Finished{false};
  std::atomic<bool> IsPlaying{false};
  std::atomic<float> Volume{1.0f};
  std::atomic<uint64_t> Played{0};
  std::atomic<int64_t> LastRenderNanos{0};
  std::atomic<uint64_t> UnderrunCount{0};
};
