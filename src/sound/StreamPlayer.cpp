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
// The ring holds about 370 ms, so a full ring can wait a while for room; but
// a skip ahead empties it at once and waits for the decoder to refill it, so
// the nap is kept short.
constexpr auto DecoderNap = std::chrono::milliseconds(5);
constexpr int64_t NanosPerSecond = 1000000000;

}  // namespace

int64_t SteadyNanos() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

TStreamPlayer::TStreamPlayer(int Rate, int Latency, TNanoClock NanoClock)
    : OutputRate(Rate),
      LatencyFrames(Latency),
      Clock(NanoClock),
      Ready(ReadyFrames),
      DecodeBuffer(DecodeChunkFrames * 2),
      History(HistoryFrames * 2),
      TrackHistory(HistoryFrames) {}

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
    Done += DropForSkip(Count - Done);
    const size_t Wrote = Ready.Write(Frames + Done * 2, Count - Done);
    Done += Wrote;
    DecoderTrackFrame += static_cast<int64_t>(Wrote);
    if (Done < Count) std::this_thread::sleep_for(DecoderNap);
  }
  return !StopDecoding.load(std::memory_order_relaxed);
}

size_t TStreamPlayer::DropForSkip(size_t Left) {
  const int64_t Target = SkipTarget.load(std::memory_order_acquire);
  if (Target < 0) return 0;
  const size_t Drop = static_cast<size_t>(
      std::min<int64_t>(std::max<int64_t>(Target - DecoderTrackFrame, 0), Left));
  DecoderTrackFrame += static_cast<int64_t>(Drop);
  if (DecoderTrackFrame >= Target) AcknowledgeSkip();
  return Drop;
}

void TStreamPlayer::AcknowledgeSkip() {
  AckRingFrame.store(Ready.WrittenTotal(), std::memory_order_relaxed);
  AckTrackFrame.store(DecoderTrackFrame, std::memory_order_relaxed);
  SkipTarget.store(-1, std::memory_order_relaxed);
  SkipDone.store(true, std::memory_order_release);
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
  // A skip past the end lands on the end: the silence after it does the rest.
  if (SkipTarget.load(std::memory_order_acquire) >= 0) AcknowledgeSkip();
  Finished.store(true, std::memory_order_release);
}

void TStreamPlayer::FollowClock(int64_t FilmMs) {
  FilmOriginNanos.store(Clock() - FilmMs * (NanosPerSecond / 1000), std::memory_order_relaxed);
  Following.store(true, std::memory_order_release);
}

void TStreamPlayer::Render(float *Out, size_t Frames) {
  const int64_t Now = Clock();
  if (!Playing()) {
    // The device plays this silence before the music's first frame.
    std::memset(Out, 0, Frames * 2 * sizeof(float));
    LastRenderNanos.store(Now, std::memory_order_relaxed);
    return;
  }
  const size_t Held = KeepInStep(Now, Frames);
  std::memset(Out, 0, Held * 2 * sizeof(float));
  const bool Ended = DecodingFinished();  // read before the ring: no false underrun
  const size_t Got = Ready.Read(Out + Held * 2, Frames - Held);
  const size_t Missing = Frames - Held - Got;
  std::memset(Out + (Held + Got) * 2, 0, Missing * 2 * sizeof(float));
  // A ring emptied by a skip still refilling is not the decoder falling behind.
  if (Missing > 0 && !Ended && !SkippedInBlock)
    UnderrunCount.fetch_add(1, std::memory_order_relaxed);

  const float Gain = Volume.load(std::memory_order_relaxed);
  const uint64_t Start = Played.load(std::memory_order_relaxed);
  for (size_t i = 0; i < Frames * 2; ++i) {
    Out[i] *= Gain;
    History[((Start + i / 2) & (HistoryFrames - 1)) * 2 + (i & 1)] = Out[i];
  }
  // Held silence keeps the track where it is, and so does an underrun; the
  // silence after the end of the file counts as more of the track.
  for (size_t i = 0; i < Frames; ++i) {
    const size_t Music = i < Held ? 0 : std::min(i - Held, Ended ? Frames : Got);
    TrackHistory[(Start + i) & (HistoryFrames - 1)] = TrackFrame + static_cast<int64_t>(Music);
  }
  TrackFrame += static_cast<int64_t>(Got + (Ended ? Missing : 0));
  LastRenderNanos.store(Now, std::memory_order_relaxed);
  Played.store(Start + Frames, std::memory_order_release);
}

int64_t TStreamPlayer::DriftFrames(int64_t Now) const {
  const int64_t FilmNanos = Now - FilmOriginNanos.load(std::memory_order_relaxed);
  const int64_t FilmFrame = FilmNanos * OutputRate / NanosPerSecond;
  // The next block is heard once the device has played what it still holds.
  const int64_t Queued = static_cast<int64_t>(PlayedFrames()) - AudibleFrameAt(Now);
  return TrackFrame - (FilmFrame + Queued);
}

size_t TStreamPlayer::KeepInStep(int64_t Now, size_t Frames) {
  SkippedInBlock = SkipPending;
  if (!Following.load(std::memory_order_acquire)) return 0;
  if (SkipPending && !FinishSkip()) return Frames;  // silence rather than stale music
  const int64_t Drift = DriftFrames(Now);
  const int64_t Tolerance = static_cast<int64_t>(OutputRate) * SyncToleranceMs / 1000;
  if ((Drift < -Tolerance && !CatchingUp) || (Drift > Tolerance && !Holding))
    ResyncCount.fetch_add(1, std::memory_order_relaxed);
  // Once started, a skip or a hold goes all the way back to the film's
  // clock, so the drift starts again from nothing.
  CatchingUp = Drift < -Tolerance || (CatchingUp && Drift < 0);
  Holding = Drift > Tolerance || (Holding && Drift > 0);
  if (CatchingUp) {
    SkippedInBlock = true;
    CatchingUp = !SkipAhead(static_cast<size_t>(-Drift));
    return SkipPending ? Frames : 0;
  }
  if (!Holding) return 0;
  const size_t Held = std::min(static_cast<size_t>(Drift), Frames);
  Holding = static_cast<size_t>(Drift) > Frames;
  return Held;
}

bool TStreamPlayer::SkipAhead(size_t Wanted) {
  const bool Ended = DecodingFinished();  // read before the ring
  if (Wanted <= Ready.Available() || Ended) {
    Ready.Discard(Wanted);  // past the end, the rest is silence
    TrackFrame += static_cast<int64_t>(Wanted);
    return true;
  }
  SkipDone.store(false, std::memory_order_relaxed);
  SkipTarget.store(TrackFrame + static_cast<int64_t>(Wanted), std::memory_order_release);
  SkipPending = true;
  return false;
}

bool TStreamPlayer::FinishSkip() {
  if (!SkipDone.load(std::memory_order_acquire)) return false;
  Ready.Discard(
      static_cast<size_t>(AckRingFrame.load(std::memory_order_relaxed) - Ready.ReadTotal()));
  TrackFrame = AckTrackFrame.load(std::memory_order_relaxed);
  SkipPending = false;
  return true;
}

int64_t TStreamPlayer::AudibleFrame() const {
  return std::max<int64_t>(AudibleFrameAt(Clock()), 0);
}

int64_t TStreamPlayer::AudibleFrameAt(int64_t Now) const {
  const int64_t RenderedAt = LastRenderNanos.load(std::memory_order_relaxed);
  const int64_t Rendered = static_cast<int64_t>(PlayedFrames());
  // The frames handed over last are heard LatencyFrames later; in between,
  // the device plays on at its own rate. Never run ahead of what was handed
  // over. Negative while the silence queued before Play is still playing:
  // the music cannot be heard before it.
  const int64_t Since = std::max<int64_t>(Now - RenderedAt, 0);
  const int64_t Elapsed = Since * OutputRate / NanosPerSecond;
  return Rendered - LatencyFrames + std::min<int64_t>(Elapsed, LatencyFrames);
}

int64_t TStreamPlayer::AudibleTrackFrame() const {
  const int64_t Rendered = static_cast<int64_t>(PlayedFrames());
  if (Rendered == 0) return 0;
  const int64_t Audible = AudibleFrame();
  if (Audible < Rendered) return TrackHistory[static_cast<size_t>(Audible) & (HistoryFrames - 1)];
  return TrackHistory[static_cast<size_t>(Rendered - 1) & (HistoryFrames - 1)] + 1;
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
