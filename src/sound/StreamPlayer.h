// One playing MP3 stream: a decoder thread reads the file, converts it to the
// device rate and keeps a ring of ready frames filled; the audio callback only
// copies from that ring (silence when it runs dry) and keeps a short history
// of what it handed to the device, which the level meter reads.
//
// Once told the film's clock, the callback also keeps the music in step with
// it: a stall of the whole process, an underrun or a device that plays too
// slowly leaves the music behind, and it skips ahead; a device that plays too
// fast leaves it ahead, and it holds silence. Either way only when the two
// are more than SyncToleranceMs apart, so a steady device is never touched.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

#include "sound/Mp3Source.h"
#include "sound/RateConverter.h"
#include "sound/SampleRing.h"

// How far the music may drift from the film's clock before it is brought back.
constexpr int SyncToleranceMs = 40;

// A monotonic clock in nanoseconds; tests script their own.
using TNanoClock = int64_t (*)();
int64_t SteadyNanos();

class TStreamPlayer {
public:
  // LatencyFrames: how long after the callback hands a frame to the device
  // it is heard, from the device's buffering.
  TStreamPlayer(int OutputRate, int LatencyFrames, TNanoClock Clock = &SteadyNanos);
  TStreamPlayer(const TStreamPlayer &) = delete;
  TStreamPlayer &operator=(const TStreamPlayer &) = delete;
  ~TStreamPlayer();

  // Opens the file and starts decoding ahead, so playback can start at once.
  TMp3OpenResult Open(const char *Path);

  void Play() { IsPlaying.store(true, std::memory_order_release); }
  void Stop() { IsPlaying.store(false, std::memory_order_release); }
  bool Playing() const { return IsPlaying.load(std::memory_order_acquire); }
  void SetVolume(float Gain) { Volume.store(Gain, std::memory_order_relaxed); }
  // The film's clock reads FilmMs now (0 is the instant of Play). From then
  // on the callback keeps what it hands to the device at the film's
  // position; the clock runs on by itself between calls, stalls included.
  void FollowClock(int64_t FilmMs);

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
  // The frame of the track the viewer hears now: AudibleFrame moved by every
  // skip and hold so far, and by underruns.
  int64_t AudibleTrackFrame() const;
  // Times the music was brought back to the film's clock.
  uint64_t Resyncs() const { return ResyncCount.load(std::memory_order_relaxed); }

private:
  void DecodeLoop();
  bool Deliver(const float *Frames, size_t Count);
  int64_t AudibleFrameAt(int64_t Now) const;
  // Track frames the next block is ahead (+) or behind (-) of the film.
  int64_t DriftFrames(int64_t Now) const;
  // Skips or holds as the film's clock asks; returns the frames of silence
  // to hand out before the music in this block.
  size_t KeepInStep(int64_t Now, size_t Frames);
  // Skips Wanted frames of the track: at once from the ring, or, when that
  // is further than the ring reaches, by asking the decoder. True when done.
  bool SkipAhead(size_t Wanted);
  // Takes up a skip the decoder has made; false while it is still on the way.
  bool FinishSkip();
  // Decoder side: drops frames of the chunk being delivered while a skip
  // asks for them; returns how many it dropped out of the Left frames.
  size_t DropForSkip(size_t Left);
  void AcknowledgeSkip();

  const int OutputRate;
  const int LatencyFrames;
  const TNanoClock Clock;
  TMp3Source Source;
  TRateConverter Converter;
  TSampleRing Ready;
  std::vector<float> DecodeBuffer;
  std::vector<float> Converted;       // the decoder's last chunk at the device rate
  std::vector<float> History;         // the last frames played, indexed by frame & mask
  std::vector<int64_t> TrackHistory;  // the track frame of each of those frames
  std::thread Decoder;
  std::atomic<bool> StopDecoding{false};
  std::atomic<bool> Finished{false};
  std::atomic<bool> IsPlaying{false};
  std::atomic<float> Volume{1.0f};
  std::atomic<uint64_t> Played{0};
  std::atomic<int64_t> LastRenderNanos{0};
  std::atomic<uint64_t> UnderrunCount{0};
  std::atomic<bool> Following{false};
  std::atomic<int64_t> FilmOriginNanos{0};  // the clock's reading at film time 0
  std::atomic<uint64_t> ResyncCount{0};
  // Callback-owned: the track frame of the next frame handed out, and
  // whether a skip or hold under way goes on until the drift is gone.
  int64_t TrackFrame = 0;
  bool CatchingUp = false;
  bool Holding = false;
  bool SkipPending = false;
  bool SkippedInBlock = false;  // the block being rendered skipped ahead
  // A skip the decoder makes: the callback asks for the track frame to go
  // on from; the decoder drops frames up to it and answers with the ring
  // position from which the frames are the track's from AckTrackFrame on.
  // Everything in the ring before that position is stale.
  std::atomic<int64_t> SkipTarget{-1};
  std::atomic<bool> SkipDone{false};
  std::atomic<uint64_t> AckRingFrame{0};
  std::atomic<int64_t> AckTrackFrame{0};
  int64_t DecoderTrackFrame = 0;  // decoder-owned: the next frame it writes or drops
};
