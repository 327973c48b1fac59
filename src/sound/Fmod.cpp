// The sound layer over SDL2 audio: one output device opened by FSOUND_Init and
// at most one MP3 stream, played on channel 0. Calls come from the program's
// one thread; the device's callback runs on SDL's audio thread and touches
// only the stream player, which is swapped in and out under the device lock.
#include "sound/Fmod.h"

#include <SDL.h>

#include <cstring>
#include <memory>
#include <new>

#include "sound/FmodTesting.h"
#include "sound/StreamPlayer.h"

FSOUND_HANDLE MusicStream = 0;

namespace {

constexpr float kLayerVersion = 3.74f;
constexpr int kOutputChannels = 2;
constexpr Uint16 kDeviceBufferFrames = 1024;
constexpr FSOUND_HANDLE kFftUnit = 1;
constexpr int kFreeChannel = -1;  // play on any free channel
constexpr int kAllChannels = -3;  // volume of everything playing
constexpr int kMusicChannel = 0;  // the one channel a stream plays on

enum ErrorCode {
  kNone = 0,
  kInitialised = 1,
  kUninitialised = 2,
  kInit = 3,
  kFileNotFound = 9,
  kFileFormat = 10,
  kFileLoad = 11,
  kMemory = 12,
  kInvalidParam = 14,
};

struct SoundSystem {
  bool Ready = false;
  SDL_AudioDeviceID Device = 0;
  int Rate = 0;
  int LatencyFrames = 0;
  std::unique_ptr<StreamPlayer> Stream;  // read by the callback under the device lock
  FSOUND_HANDLE StreamHandle = 0;
  FSOUND_HANDLE LastHandle = 0;
  float Gain = 1.0f;
};

SoundSystem Sound;
int LastError = kNone;
float ReportedVersion = kLayerVersion;
int ForcedInitError = kNone;

void AudioCallback(void *, Uint8 *Bytes, int Length) {
  float *Out = reinterpret_cast<float *>(Bytes);
  const size_t Frames = static_cast<size_t>(Length) / (kOutputChannels * sizeof(float));
  if (Sound.Stream)
    Sound.Stream->Render(Out, Frames);
  else
    std::memset(Bytes, 0, static_cast<size_t>(Length));
}

bool Fail(int Code) {
  LastError = Code;
  return false;
}

FSOUND_HANDLE NoHandle(int Code) {
  LastError = Code;
  return 0;
}

// Drivers that hand a buffer straight on (dummy, disk) delay it by one
// buffer; a sound card queues about one more behind the one playing.
int LatencyOf(const SDL_AudioSpec &Obtained) {
  const char *Driver = SDL_GetCurrentAudioDriver();
  const bool Immediate =
      Driver != nullptr && (std::strcmp(Driver, "dummy") == 0 || std::strcmp(Driver, "disk") == 0);
  return Obtained.samples * (Immediate ? 1 : 2);
}

StreamPlayer *StreamFor(FSOUND_HANDLE Handle) {
  if (!Sound.Ready || Handle == 0 || Handle != Sound.StreamHandle) return nullptr;
  return Sound.Stream.get();
}

// Swaps the callback's stream under the device lock, so the callback never
// sees a player that is being destroyed.
void ReplaceStream(std::unique_ptr<StreamPlayer> Next) {
  SDL_LockAudioDevice(Sound.Device);
  Sound.Stream.swap(Next);
  SDL_UnlockAudioDevice(Sound.Device);
  Next.reset();  // the old player's decoder thread is joined outside the lock
}

// Gives back SDL's audio subsystem. When audio was SDL's only user, SDL is
// shut down entirely: initialising any subsystem also opened a session-bus
// connection that only SDL_Quit closes.
void ReleaseSdlAudio(bool WasInitialised = true) {
  if (WasInitialised) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

int ErrorForOpen(Mp3OpenResult Result) {
  switch (Result) {
    case Mp3OpenResult::NotFound:
      return kFileNotFound;
    case Mp3OpenResult::UnknownFormat:
      return kFileFormat;
    case Mp3OpenResult::OutOfMemory:
      return kMemory;
    default:
      return kFileLoad;
  }
}

}  // namespace

void SetReportedVersionForTesting(float Version) { ReportedVersion = Version; }
void FailNextInitForTesting(int Code) { ForcedInitError = Code; }
void ResetSoundTestControls() {
  ReportedVersion = kLayerVersion;
  ForcedInitError = kNone;
}

uint64_t StreamFramesPlayedForTesting() { return Sound.Stream ? Sound.Stream->PlayedFrames() : 0; }

float FSOUND_GetVersion() { return ReportedVersion; }

int FSOUND_GetError() { return LastError; }

bool FSOUND_Init(int MixRate, int MaxSoftwareChannels, unsigned) {
  if (Sound.Ready) return Fail(kInitialised);
  if (ForcedInitError != kNone) {
    const int Code = ForcedInitError;
    ForcedInitError = kNone;
    return Fail(Code);
  }
  if (MixRate <= 0 || MaxSoftwareChannels < 0) return Fail(kInvalidParam);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    ReleaseSdlAudio(false);
    return Fail(kInit);
  }
  SDL_AudioSpec Wanted{};
  Wanted.freq = MixRate;
  Wanted.format = AUDIO_F32SYS;
  Wanted.channels = kOutputChannels;
  Wanted.samples = kDeviceBufferFrames;
  Wanted.callback = AudioCallback;
  SDL_AudioSpec Obtained{};
  // No changes allowed: SDL converts to whatever the hardware takes.
  Sound.Device = SDL_OpenAudioDevice(nullptr, 0, &Wanted, &Obtained, 0);
  if (Sound.Device == 0) {
    ReleaseSdlAudio();
    return Fail(kInit);
  }
  Sound.Ready = true;
  Sound.Rate = MixRate;
  Sound.LatencyFrames = LatencyOf(Obtained);
  Sound.Gain = 1.0f;
  SDL_PauseAudioDevice(Sound.Device, 0);  // mixes silence until a stream plays
  LastError = kNone;
  return true;
}

void FSOUND_Close() {
  if (!Sound.Ready) return;
  ReplaceStream(nullptr);
  SDL_CloseAudioDevice(Sound.Device);
  ReleaseSdlAudio();
  // Handles keep counting across runs so a stale one never matches.
  const FSOUND_HANDLE LastHandle = Sound.LastHandle;
  Sound = SoundSystem{};
  Sound.LastHandle = LastHandle;
}

FSOUND_HANDLE FSOUND_Stream_Open(const char *Name, unsigned, int, int) {
  if (!Sound.Ready) return NoHandle(kUninitialised);
  if (Name == nullptr) return NoHandle(kInvalidParam);
  std::unique_ptr<StreamPlayer> Player(new (std::nothrow)
                                           StreamPlayer(Sound.Rate, Sound.LatencyFrames));
  if (!Player) return NoHandle(kMemory);
  const Mp3OpenResult Result = Player->Open(Name);
  if (Result != Mp3OpenResult::Ok) return NoHandle(ErrorForOpen(Result));
  Player->SetVolume(Sound.Gain);
  ReplaceStream(std::move(Player));
  Sound.StreamHandle = ++Sound.LastHandle;
  return Sound.StreamHandle;
}

FSOUND_HANDLE FSOUND_DSP_GetFFTUnit() {
  if (!Sound.Ready) return NoHandle(kUninitialised);
  return kFftUnit;
}

bool FSOUND_DSP_SetActive(FSOUND_HANDLE Unit, bool) {
  // The FFT unit only has to exist: nothing here reads a spectrum.
  if (!Sound.Ready || Unit != kFftUnit) return Fail(kInvalidParam);
  return true;
}

bool FSOUND_Stream_Play(int Channel, FSOUND_HANDLE Stream) {
  StreamPlayer *Player = StreamFor(Stream);
  if (Player == nullptr || (Channel != kFreeChannel && Channel != kMusicChannel))
    return Fail(kInvalidParam);
  Player->Play();
  return true;
}

bool FSOUND_SetVolume(int Channel, int Volume) {
  if (!Sound.Ready || (Channel != kAllChannels && Channel != kMusicChannel))
    return Fail(kInvalidParam);
  const int Clamped = Volume < 0 ? 0 : (Volume > 255 ? 255 : Volume);
  Sound.Gain = static_cast<float>(Clamped) / 255.0f;
  if (Sound.Stream) Sound.Stream->SetVolume(Sound.Gain);
  return true;
}

bool FSOUND_GetCurrentLevels(int Channel, float *Left, float *Right) {
  if (Left == nullptr || Right == nullptr || Channel != kMusicChannel) return Fail(kInvalidParam);
  StreamPlayer *Player = StreamFor(Sound.StreamHandle);
  float NewLeft = 0.0f, NewRight = 0.0f;
  if (Player == nullptr || !Player->CurrentLevels(NewLeft, NewRight)) return Fail(kInvalidParam);
  *Left = NewLeft;
  *Right = NewRight;
  return true;
}

bool FSOUND_Stream_Stop(FSOUND_HANDLE Stream) {
  StreamPlayer *Player = StreamFor(Stream);
  if (Player == nullptr) return Fail(kInvalidParam);
  Player->Stop();
  return true;
}

bool FSOUND_Stream_Close(FSOUND_HANDLE Stream) {
  if (StreamFor(Stream) == nullptr) return Fail(kInvalidParam);
  ReplaceStream(nullptr);
  Sound.StreamHandle = 0;
  return true;
}
