// The sound layer over SDL2 audio: one output device opened by FSOUND_Init and
// at most one MP3 stream, played on channel 0. Calls come from the program's
// one thread; the device's callback runs on SDL's audio thread and touches
// only the stream player, which is swapped in and out under the device lock.
// Opening and closing the device wait on the sound server, so they have
// deadlines (DeviceDeadline.h).
#include "sound/Fmod.h"

#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <system_error>

#include "UMTypes.h"
#include "sound/DeviceDeadline.h"
#include "sound/StreamPlayer.h"

FSOUND_HANDLE MusicStream = 0;

namespace {

constexpr float LayerVersion = 3.74f;
constexpr int OutputChannels = 2;
constexpr Uint16 DeviceBufferFrames = 2048;
constexpr FSOUND_HANDLE FftUnit = 1;
constexpr int FreeChannel = -1;  // play on any free channel
constexpr int AllChannels = -3;  // volume of everything playing
constexpr int MusicChannel = 0;  // the one channel a stream plays on
// How often a lost output is tried again.
constexpr int64_t ReopenIntervalNanos = 3000000000;
// How long a playing device's callback may stand still, while the program
// runs, before the output counts as lost.
constexpr int64_t StillLimitNanos = 2000000000;
// Looks further apart than this mean the whole process stood still (a
// stop, a stall): its device's pause says nothing of the server.
constexpr int64_t ProcessStallNanos = 500000000;

enum TErrorCode {
  ErrNone = 0,
  ErrInitialised = 1,
  ErrUninitialised = 2,
  ErrInit = 3,
  ErrFileNotFound = 9,
  ErrFileFormat = 10,
  ErrFileLoad = 11,
  ErrMemory = 12,
  ErrInvalidParam = 14,
};

// Everything the sound layer keeps between calls.
struct TSoundSystem {
  bool Ready = false;
  SDL_AudioDeviceID Device = 0;
  int Rate = 0;
  int LatencyFrames = 0;
  std::unique_ptr<TStreamPlayer> Stream;  // read by the callback under the device lock
  FSOUND_HANDLE StreamHandle = 0;
  FSOUND_HANDLE LastHandle = 0;
  float Gain = 1.0f;
  int LastError = ErrNone;
  // The output lost: no device (Device 0) while the film goes on, and the
  // tries to open one again.
  SDL_AudioSpec Wanted{};
  TBackgroundOpen Reopen;
  int64_t NextReopenNanos = 0;
  // The device's callback seen at work: frames played at the last look,
  // since when that count has stood still, and when that look was.
  uint64_t LastPlayed = 0;
  int64_t StillSinceNanos = 0;
  int64_t LastLookNanos = 0;
};

TSoundSystem Sound;

void AudioCallback(void *, Uint8 *Bytes, int Length) {
  float *Out = reinterpret_cast<float *>(Bytes);
  const size_t Frames = static_cast<size_t>(Length) / (OutputChannels * sizeof(float));
  if (Sound.Stream)
    Sound.Stream->Render(Out, Frames);
  else
    std::memset(Bytes, 0, static_cast<size_t>(Length));
}

// SDL's own account of a failed call (or of a device that never answered),
// on standard error beside the error code the caller turns into the
// viewer's text, so a log names the cause.
void ReportFailure(const std::string &Cause) {
  std::fprintf(stderr, "Quillmoor: %s\n", Cause.c_str());
  std::fflush(stderr);
}

bool Fail(int Code) {
  Sound.LastError = Code;
  return false;
}

FSOUND_HANDLE NoHandle(int Code) {
  Sound.LastError = Code;
  return 0;
}

// Drivers that hand a buffer straight on (dummy, disk) delay it by one
// buffer; so does a PulseAudio server (it reports about 17 ms of buffer and
// up to 5 ms in the sink for a 1024-frame buffer at 44.1 kHz); a sound card
// queues about one more behind the one playing.
int LatencyOf(const SDL_AudioSpec &Obtained) {
  const char *Driver = SDL_GetCurrentAudioDriver();
  const bool Immediate =
      Driver != nullptr && (std::strcmp(Driver, "dummy") == 0 || std::strcmp(Driver, "disk") == 0 ||
                            std::strcmp(Driver, "pulseaudio") == 0);
  return Obtained.samples * (Immediate ? 1 : 2);
}

TStreamPlayer *StreamFor(FSOUND_HANDLE Handle) {
  if (!Sound.Ready || Handle == 0 || Handle != Sound.StreamHandle) return nullptr;
  return Sound.Stream.get();
}

// Swaps the callback's stream under the device lock, so the callback never
// sees a player that is being destroyed.
void ReplaceStream(std::unique_ptr<TStreamPlayer> Next) {
  SDL_LockAudioDevice(Sound.Device);
  Sound.Stream.swap(Next);
  SDL_UnlockAudioDevice(Sound.Device);
  Next.reset();  // the old player's decoder thread is joined outside the lock
}

// The output lost (SDL reports the device stopped when its server has gone):
// said once, the device paused so that its callback never runs again, and
// closed; the stream player stays, its clock running with the film's.
void LoseOutput() {
  ReportFailure(
      "the sound output was lost; the film goes on, and the sound device is tried "
      "again every " +
      std::to_string(ReopenIntervalNanos / 1000000000) + " s");
  SDL_PauseAudioDevice(Sound.Device, 1);
  CloseAudioDeviceWithin(Sound.Device, CloseDeadlineMs, false);
  Sound.Device = 0;
  Sound.NextReopenNanos = SteadyNanos() + ReopenIntervalNanos;
}

// Every few seconds, without holding up the film, an open of the device on a
// helper thread; once one has opened, the music goes on there at the film's
// time (the stream player follows the film's clock and skips the gap).
void ReopenOutput() {
  TDeviceOpening Opening;
  if (Sound.Reopen.Ended(Opening)) {
    if (Opening.Device != 0) {
      Sound.Device = Opening.Device;
      Sound.StillSinceNanos = SteadyNanos();
      SDL_PauseAudioDevice(Sound.Device, 0);
      ReportFailure("the sound output is back");
      return;
    }
    Sound.NextReopenNanos = SteadyNanos() + ReopenIntervalNanos;
  }
  if (!Sound.Reopen.UnderWay() && SteadyNanos() >= Sound.NextReopenNanos)
    Sound.Reopen.Start(Sound.Wanted);
}

// True when the playing music's callback has not run for StillLimitNanos
// while the program kept looking. SDL's PipeWire driver never reports a
// server that has gone: its callback just stops being called.
bool CallbackStandsStill() {
  const int64_t Now = SteadyNanos();
  const uint64_t Played = Sound.Stream ? Sound.Stream->PlayedFrames() : 0;
  const bool Playing = Sound.Stream && Sound.Stream->Playing();
  if (!Playing || Played != Sound.LastPlayed || Now - Sound.LastLookNanos > ProcessStallNanos)
    Sound.StillSinceNanos = Now;
  Sound.LastPlayed = Played;
  Sound.LastLookNanos = Now;
  return Now - Sound.StillSinceNanos > StillLimitNanos;
}

// Called with each follow of the film's clock, once a pass of the main
// loop. SDL reports the device stopped when its server has gone
// (PulseAudio); a callback that stands still says the same (PipeWire).
void WatchOutput() {
  if (SoundDeviceAbandoned()) return;
  if (Sound.Device != 0) {
    const bool Stopped = SDL_GetAudioDeviceStatus(Sound.Device) == SDL_AUDIO_STOPPED;
    if (!CallbackStandsStill() && !Stopped) return;
    LoseOutput();
  }
  ReopenOutput();
}

int ErrorForOpen(TMp3OpenResult Result) {
  switch (Result) {
    case TMp3OpenResult::NotFound:
      return ErrFileNotFound;
    case TMp3OpenResult::UnknownFormat:
      return ErrFileFormat;
    case TMp3OpenResult::OutOfMemory:
      return ErrMemory;
    default:
      return ErrFileLoad;
  }
}

}  // namespace

float FSOUND_GetVersion() { return LayerVersion; }

int FSOUND_GetError() { return Sound.LastError; }

bool FSOUND_Init(int MixRate, int MaxSoftwareChannels, unsigned) {
  if (Sound.Ready) return Fail(ErrInitialised);
  if (MixRate <= 0 || MaxSoftwareChannels < 0) return Fail(ErrInvalidParam);
  SDL_AudioSpec Wanted{};
  Wanted.freq = MixRate;
  Wanted.format = AUDIO_F32SYS;
  Wanted.channels = OutputChannels;
  Wanted.samples = DeviceBufferFrames;
  Wanted.callback = AudioCallback;
  const TDeviceOpening Opening = OpenAudioDeviceWithin(Wanted, OpenDeadlineMs);
  if (Opening.Device == 0) {
    ReportFailure(Opening.Failure);
    return Fail(ErrInit);
  }
  Sound.Device = Opening.Device;
  Sound.Wanted = Wanted;
  Sound.Ready = true;
  Sound.Rate = MixRate;
  Sound.LatencyFrames = LatencyOf(Opening.Obtained);
  Sound.Gain = 1.0f;
  SDL_PauseAudioDevice(Sound.Device, 0);  // mixes silence until a stream plays
  Sound.LastError = ErrNone;
  return true;
}

void FSOUND_Close() {
  if (!Sound.Ready) return;
  // A device being opened again is not waited for.
  Sound.Reopen.GiveUp();
  ReplaceStream(nullptr);
  // Paused, the callback is never called again, whether or not the close
  // below ends in time.
  SDL_PauseAudioDevice(Sound.Device, 1);
  if (!CloseAudioDeviceWithin(Sound.Device, CloseDeadlineMs))
    ReportFailure("the sound device did not close within " +
                  std::to_string(CloseDeadlineMs / 1000) +
                  " s (the sound server does not answer); the run ends without it");
  // Handles keep counting across runs so a stale one never matches, and the
  // last error stays readable after the close that follows a failure.
  TSoundSystem Closed;
  Closed.LastHandle = Sound.LastHandle;
  Closed.LastError = Sound.LastError;
  Sound = std::move(Closed);
}

void ResetSoundSystem() {
  FSOUND_Close();
  Sound = TSoundSystem{};
  MusicStream = 0;
}

FSOUND_HANDLE FSOUND_Stream_Open(const char *Name, unsigned, int, int) {
  if (!Sound.Ready) return NoHandle(ErrUninitialised);
  if (Name == nullptr) return NoHandle(ErrInvalidParam);
  // The player's buffers and its decoder thread are made here; a failure of
  // either is this call's error code, never an exception through a C call.
  std::unique_ptr<TStreamPlayer> Player;
  TMp3OpenResult Result = TMp3OpenResult::Ok;
  int OpenErrno = 0;
  try {
    Player = std::make_unique<TStreamPlayer>(Sound.Rate, Sound.LatencyFrames);
    errno = 0;
    Result = Player->Open(Name);
    OpenErrno = errno;
  } catch (const std::bad_alloc &) {
    return NoHandle(ErrMemory);
  } catch (const std::system_error &) {
    return NoHandle(ErrInit);
  }
  if (Result != TMp3OpenResult::Ok) {
    // The viewer's text names only the kind of failure; the log gets the
    // system's own reason where there is one.
    const int Code = ErrorForOpen(Result);
    std::fprintf(stderr, "Quillmoor: cannot open %s: %s\n", Name,
                 OpenErrno != 0 ? std::strerror(OpenErrno) : FmodErrorText(Code));
    std::fflush(stderr);
    return NoHandle(Code);
  }
  Player->SetVolume(Sound.Gain);
  ReplaceStream(std::move(Player));
  Sound.StreamHandle = ++Sound.LastHandle;
  return Sound.StreamHandle;
}

FSOUND_HANDLE FSOUND_DSP_GetFFTUnit() {
  if (!Sound.Ready) return NoHandle(ErrUninitialised);
  return FftUnit;
}

bool FSOUND_DSP_SetActive(FSOUND_HANDLE Unit, bool) {
  // The FFT unit only has to exist: nothing here reads a spectrum.
  if (!Sound.Ready || Unit != FftUnit) return Fail(ErrInvalidParam);
  return true;
}

bool FSOUND_Stream_Play(int Channel, FSOUND_HANDLE Stream) {
  TStreamPlayer *Player = StreamFor(Stream);
  if (Player == nullptr || (Channel != FreeChannel && Channel != MusicChannel))
    return Fail(ErrInvalidParam);
  Player->Play();
  return true;
}

bool FSOUND_SetVolume(int Channel, int Volume) {
  if (!Sound.Ready || (Channel != AllChannels && Channel != MusicChannel))
    return Fail(ErrInvalidParam);
  const int Clamped = Volume < 0 ? 0 : (Volume > 255 ? 255 : Volume);
  Sound.Gain = static_cast<float>(Clamped) / 255.0f;
  if (Sound.Stream) Sound.Stream->SetVolume(Sound.Gain);
  return true;
}

bool FSOUND_GetCurrentLevels(int Channel, float *Left, float *Right) {
  if (Left == nullptr || Right == nullptr || Channel != MusicChannel) return Fail(ErrInvalidParam);
  TStreamPlayer *Player = StreamFor(Sound.StreamHandle);
  float NewLeft = 0.0f, NewRight = 0.0f;
  if (Player == nullptr) return Fail(ErrInvalidParam);
  // With the output lost nothing is heard: the levels are silence's, not
  // those of the last music played.
  const bool Heard = Sound.Device != 0;
  if (Heard && !Player->CurrentLevels(NewLeft, NewRight)) return Fail(ErrInvalidParam);
  *Left = NewLeft;
  *Right = NewRight;
  return true;
}

bool FSOUND_Stream_Stop(FSOUND_HANDLE Stream) {
  TStreamPlayer *Player = StreamFor(Stream);
  if (Player == nullptr) return Fail(ErrInvalidParam);
  Player->Stop();
  return true;
}

bool FSOUND_Stream_Close(FSOUND_HANDLE Stream) {
  if (StreamFor(Stream) == nullptr) return Fail(ErrInvalidParam);
  ReplaceStream(nullptr);
  Sound.StreamHandle = 0;
  return true;
}

int FSOUND_Stream_GetTime(FSOUND_HANDLE Stream) {
  TStreamPlayer *Player = StreamFor(Stream);
  if (Player == nullptr) {
    Fail(ErrInvalidParam);
    return 0;
  }
  return static_cast<int>(Player->AudibleTrackFrame() * 1000 / Sound.Rate);
}

bool FSOUND_Stream_Follow(FSOUND_HANDLE Stream, int64_t FilmTime) {
  TStreamPlayer *Player = StreamFor(Stream);
  if (Player == nullptr) return Fail(ErrInvalidParam);
  WatchOutput();
  Player->FollowClock(FilmTime);
  return true;
}
