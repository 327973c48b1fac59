#include "sound/DeviceDeadline.h"

#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

std::atomic<bool> Abandoned{false};
bool (*WaitInterrupted)() = nullptr;
// How often a wait looks whether it is interrupted.
constexpr int InterruptCheckMs = 50;

// What the helper and its caller share; the helper keeps it alive after the
// caller has gone.
struct THelperState {
  std::mutex Lock;
  std::condition_variable Finished;
  bool Done = false;
};

bool Interrupted() { return WaitInterrupted != nullptr && WaitInterrupted(); }

// The helper takes no stop signals: they go to the program's own thread,
// which is the one that ends the run.
void BlockStopSignals() {
  sigset_t Signals;
  sigemptyset(&Signals);
  sigaddset(&Signals, SIGINT);
  sigaddset(&Signals, SIGTERM);
  sigaddset(&Signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &Signals, nullptr);
}

// Runs Work on a detached thread and waits up to DeadlineMs for it (less
// when Interruptible and the wait is interrupted). False when it did not end in time (or no
// thread could be started): the device is then abandoned and Work may still
// be running.
bool FinishesWithin(int DeadlineMs, bool Interruptible, std::function<void()> Work) {
  auto State = std::make_shared<THelperState>();
  try {
    std::thread([State, Work] {
      BlockStopSignals();
      Work();
      // SDL keeps a record (its error text among others) for every thread
      // that calls it; a thread SDL did not make gives it back itself.
      SDL_TLSCleanup();
      const std::lock_guard<std::mutex> Guard(State->Lock);
      State->Done = true;
      State->Finished.notify_all();
    }).detach();
  } catch (const std::system_error &) {
    return false;
  }
  std::unique_lock<std::mutex> Guard(State->Lock);
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(DeadlineMs);
  bool InTime = State->Done;
  while (!InTime && std::chrono::steady_clock::now() < Deadline &&
         !(Interruptible && Interrupted())) {
    const auto Slice = std::min(
        Deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(InterruptCheckMs));
    InTime = State->Finished.wait_until(Guard, Slice, [&State] { return State->Done; });
  }
  if (!InTime) Abandoned = true;
  return InTime;
}

// Gives back SDL's audio subsystem. When audio was SDL's only user, SDL is
// shut down entirely: initialising any subsystem also opened a session-bus
// connection that only SDL_Quit closes.
void ReleaseSdlAudio(bool WasInitialised) {
  if (WasInitialised) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
}

std::string SdlFailure(const char *Call) {
  return std::string(Call) + " failed: " + SDL_GetError();
}

// A device that would not open, in plain words: the driver SDL tried, what
// it said, and the way to run without sound.
std::string NoOutput() {
  const char *Driver = SDL_GetCurrentAudioDriver();
  return std::string("no sound output: SDL's audio driver \"") + (Driver ? Driver : "?") +
         "\" could not open a device (" + SDL_GetError() +
         "); without a sound device, SDL_AUDIODRIVER=dummy plays the film silently";
}

}  // namespace

TDeviceOpening OpenAudioDeviceWithin(const SDL_AudioSpec &Wanted, int DeadlineMs) {
  if (Abandoned) return {0, {}, "an earlier sound device never answered"};
  // The helper's results, kept alive by the helper if it overruns.
  struct TResult {
    TDeviceOpening Opening;
    bool SubsystemUp = false;
  };
  auto Result = std::make_shared<TResult>();
  // The open is the wait a stop signal may cut short: the run ends anyway.
  const bool InTime = FinishesWithin(DeadlineMs, true, [Result, Wanted] {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      Result->Opening.Failure = SdlFailure("SDL_InitSubSystem(SDL_INIT_AUDIO)");
      return;
    }
    Result->SubsystemUp = true;
    SDL_AudioSpec Asked = Wanted;
    // No changes allowed: SDL converts to whatever the hardware takes.
    Result->Opening.Device = SDL_OpenAudioDevice(nullptr, 0, &Asked, &Result->Opening.Obtained, 0);
    if (Result->Opening.Device == 0) Result->Opening.Failure = NoOutput();
  });
  if (!InTime && Interrupted())
    return {0, {}, "the opening of the sound device was given up: the program is asked to end"};
  if (!InTime)
    return {0,
            {},
            "the sound device did not open within " + std::to_string(DeadlineMs / 1000) +
                " s (the sound server does not answer)"};
  if (Result->Opening.Device == 0) ReleaseSdlAudio(Result->SubsystemUp);
  return Result->Opening;
}

bool CloseAudioDeviceWithin(SDL_AudioDeviceID Device, int DeadlineMs, bool ReleaseAudio) {
  if (Abandoned) return false;
  if (Device != 0 && !FinishesWithin(DeadlineMs, false, [Device] { SDL_CloseAudioDevice(Device); }))
    return false;
  if (ReleaseAudio) ReleaseSdlAudio(true);
  return true;
}

struct TBackgroundOpen::TState {
  std::mutex Lock;
  bool Done = false;
  TDeviceOpening Result;
};

void TBackgroundOpen::Start(const SDL_AudioSpec &Wanted) {
  if (Under || Abandoned) return;
  auto State = std::make_shared<TState>();
  try {
    std::thread([State, Wanted] {
      BlockStopSignals();
      SDL_AudioSpec Asked = Wanted;
      SDL_AudioSpec Obtained{};
      const SDL_AudioDeviceID Device = SDL_OpenAudioDevice(nullptr, 0, &Asked, &Obtained, 0);
      const std::string Failure = Device == 0 ? SdlFailure("SDL_OpenAudioDevice") : "";
      const std::lock_guard<std::mutex> Guard(State->Lock);
      State->Result = {Device, Obtained, Failure};
      State->Done = true;
    }).detach();
  } catch (const std::system_error &) {
    return;  // tried again at the next look
  }
  Under = State;
}

bool TBackgroundOpen::Ended(TDeviceOpening &Result) {
  const std::shared_ptr<TState> State = Under;
  if (!State) return false;
  {
    const std::lock_guard<std::mutex> Guard(State->Lock);
    if (!State->Done) return false;
    Result = State->Result;
  }
  Under.reset();
  return true;
}

void TBackgroundOpen::GiveUp() {
  if (!Under) return;
  TDeviceOpening Late;
  if (!Ended(Late)) Abandoned = true;
  // An open that ended with a device nobody will use: closed at once.
  else if (Late.Device != 0)
    CloseAudioDeviceWithin(Late.Device, CloseDeadlineMs, false);
  Under.reset();
}

void SetSoundWaitInterrupt(bool (*Asked)()) { WaitInterrupted = Asked; }

bool SoundDeviceAbandoned() { return Abandoned; }

void QuitSdlWithoutWaitingForSound() {
  if (SDL_WasInit(0) == 0) return;
  if (Abandoned)
    SDL_QuitSubSystem(SDL_INIT_EVERYTHING & ~static_cast<Uint32>(SDL_INIT_AUDIO));
  else
    SDL_Quit();
}
