#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "sound/Fmod.h"

TEST(SoundErrorText, EveryCodeHasItsText) {
  const struct {
    int Code;
    const char *Text;
  } Cases[] = {
      {0, "No errors"},
      {1, "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first"},
      {2, "This command failed because FSOUND_Init was not called"},
      {3, "Error initializing output device"},
      {4, "The output device is already in use and cannot be reused"},
      {5, "Playing the sound failed"},
      {6,
       "Soundcard does not support the features needed for this soundsystem (16bit stereo "
       "output)"},
      {7, "Error setting cooperative level for hardware"},
      {8, "Error creating hardware sound buffer"},
      {9, "File not found"},
      {10, "Unknown file format"},
      {11, "Error loading file"},
      {12, "Not enough memory or resources"},
      {13, "The version number of this file format is not supported"},
      {14, "An invalid parameter was passed to this function"},
      {15, "Tried to use an EAX command on a non EAX enabled channel or output"},
      {16, "Failed to allocate a new channel"},
      {17, "Recording is not supported on this machine"},
      {18, "Required Mediaplayer codec is not installed"},
      {19, "Unknown error"},
      {-1, "Unknown error"},
      {INT_MIN, "Unknown error"},
      {INT_MAX, "Unknown error"},
  };
  for (const auto &Case : Cases)
    EXPECT_EQ(std::string(FmodErrorText(Case.Code)), Case.Text) << Case.Code;
}
