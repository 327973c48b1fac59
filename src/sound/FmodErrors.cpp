// The texts the viewer sees for the sound layer's error codes.
#include "sound/Fmod.h"

namespace {

const char *const ErrorTexts[] = {
    "No errors",
    "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first",
    "This command failed because FSOUND_Init was not called",
    "Error initializing output device",
    "The output device is already in use and cannot be reused",
    "Playing the sound failed",
    "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
    "Error setting cooperative level for hardware",
    "Error creating hardware sound buffer",
    "File not found",
    "Unknown file format",
    "Error loading file",
    "Not enough memory or resources",
    "The version number of this file format is not supported",
    "An invalid parameter was passed to this function",
    "Tried to use an EAX command on a non EAX enabled channel or output",
    "Failed to allocate a new channel",
    "Recording is not supported on this machine",
    "Required Mediaplayer codec is not installed",
};

constexpr int ErrorTextCount = sizeof(ErrorTexts) / sizeof(ErrorTexts[0]);

}  // namespace

const char *FmodErrorText(int Code) {
  if (Code < 0 || Code >= ErrorTextCount) return "Unknown error";
  return ErrorTexts[Code];
}
