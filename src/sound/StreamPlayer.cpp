#include "sound/StreamPlayer.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "sound/FullScale.h"
#include "sound/LevelMeter.h"

namespace {

constexpr size_t DecodeChunkFrames = 4096;
constexpr size_t ReadyFrames = 16384;    // about 0.37 s ahead at 44.1 kHz
constexpr size_t HistoryFrames = 32768;  // power of two, well over latency + window
constexpr int HighestDeviceRate = 192000;
constexpr size_t MaxWindowFrames = HighestDeviceRate * LevelWindowMs / 1000;
// The ring holds about 370 ms, so a full ring can wait this long for room.
constexpr auto DecoderNap = std::chrono::milliseconds(20);

int64_t NowNanos() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

TStreamPlayer::TStreamPlayer(int Rate, int Latency)
    : OutputRate(Rate),
      LatencyFrames(Latency),
      Ready(ReadyFrames),
      DecodeBuffer(DecodeChunkFrames * 2),
      History(HistoryFrames * 2) {}

TStreamPlayer::~TStreamPlayer() {
  StopDecoding.store(true);
  if (Decoder.joinable()) Decoder.join();
}

TMp3OpenResult TStreamPlayer::Open(const char *Path) {
  const TMp3OpenResult Result = Source.Open(Path);
  if (Result == TMp3OpenResult::Ok) Decoder = std::thread([this] { DecodeLoop(); });
  return Result;
}

bool TStreamPlayer::Deliver(const float *Frames, size_t Count) {
  // A chunk converted up from a low rate can be larger than the whole ring
  // (4096 frames at 8 kHz are over 22 000 at 44.1 kHz), so it goes in as
  // room frees up rather than waiting for room for all of it at once.
  size_t Done = 0;
  while (Done < Count) {
    if (StopDecoding.load(std::memory_order_relaxed)) return false;
    Done += Ready.Write(Frames + Done * 2, Count - Done);
    if (Done < Count) std::this_thread::sleep_for(DecoderNap);
  }
  return !StopDecoding.load(std::memory_order_relaxed);
}

void TStreamPlayer::DecodeLoop() {
  while (!StopDecoding.load(std::memory_order_relaxed)) {
    const size_t Decoded = Source.Read(DecodeBuffer.data(), DecodeChunkFrames);
    if (Decoded == 0) break;
    Converted.clear();
    const size_t Frames =
        Converter.Convert(Source.Rate(), OutputRate, DecodeBuffer.data(), Decoded, Converted);
    LimitToFullScale(Converted.data(), Frames * 2);
    if (!Deliver(Converted.data(), Frames)) break;
  }
  Finished.store(true, std::memory_order_release);
}

void TStreamPlayer::Render(float *Out, size_t Frames) {
  if (!Playing()) {
    std::memset(Out, 0, Frames * 2 * sizeof(float));
    return;
  }
  const bool Ended = DecodingFinished();  // read before the ring: no false underrun
  const size_t Got = Ready.Read(Out, Frames);
  std::memset(Out + Got * 2, 0, (Frames - Got) * 2 * sizeof(float));
  if (Got < Frames && !Ended) UnderrunCount.fetch_add(1, std::memory_order_relaxed);

  const float Gain = Volume.load(std::memory_order_relaxed);
  const uint64_t Start = Played.load(std::memory_order_relaxed);
  for (size_t i = 0; i < Frames * 2; ++i) {
    Out[i] *= Gain;
    History[((Start + i / 2) & (HistoryFrames - 1)) * 2 + (i & 1)] = Out[i];
  }
  LastRenderNanos.store(NowNanos(), std::memory_order_relaxed);
  Played.store(Start + Frames, std::memory_order_release);
}

int64_t TStreamPlayer::AudibleFrame() const {
  const int64_t RenderedAt = LastRenderNanos.load(std::memory_order_relaxed);
  const int64_t Rendered = static_cast<int64_t>(PlayedFrames());
  // The frames handed over last are heard LatencyFrames later; in between,
  // the device plays on at its own rate. Never run ahead of what was handed over.
  const int64_t Since = std::max<int64_t>(NowNanos() - RenderedAt, 0);
  const int64_t Elapsed = Since * OutputRate / 1000000000;
  return std::max<int64_t>(Rendered - LatencyFrames + std::min<int64_t>(Elapsed, LatencyFrames), 0);
}

bool TStreamPlayer::CurrentLevels(float &Left, float &Right) const {
  return LevelsAt(AudibleFrame(), Left, Right);
}

bool TStreamPlayer::LevelsAt(int64_t Audible, float &Left, float &Right) const {
  if (!Playing()) return false;
  // Copy the window out of the history first: the callback writes only ahead
  // of what it has published, so these frames are stable.
  const int64_t Window = LevelWindowFrames(OutputRate);
  const int64_t End = std::min<int64_t>(Audible, static_cast<int64_t>(PlayedFrames()));
  const int64_t From = std::max<int64_t>(End - Window, 0);
  float Copy[MaxWindowFrames * 2];
  const int64_t Count = std::min<int64_t>(End - From, MaxWindowFrames);
  for (int64_t i = 0; i < Count; ++i) {
    const size_t Slot = static_cast<size_t>((From + i) & (HistoryFrames - 1)) * 2;
    Copy[i * 2] = History[Slot];
    Copy[i * 2 + 1] = History[Slot + 1];
  }
  const TStereoSamples Samples{Copy, From, static_cast<size_t>(Count), OutputRate};
  MeasureLevels(Samples, static_cast<double>(Audible) * 1000.0 / OutputRate, Left, Right);
  return true;
}
