#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
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

// The viewer reads the fixed text of the code; standard error also has the
// cause the code hides: SDL's account of a failed device, the system's of a
// missing file.
TEST(SoundErrorText, TheCauseGoesToStandardErrorBesideTheCode) {
  const char *Before = std::getenv("SDL_AUDIODRIVER");
  const std::string Saved = Before ? Before : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  testing::internal::CaptureStderr();
  const bool Initialised = FSOUND_Init(44100, 32, 0);
  const std::string DeviceLog = testing::internal::GetCapturedStderr();
  if (Before)
    setenv("SDL_AUDIODRIVER", Saved.c_str(), 1);
  else
    unsetenv("SDL_AUDIODRIVER");
  EXPECT_FALSE(Initialised);
  EXPECT_EQ(FSOUND_GetError(), 3);
  EXPECT_NE(DeviceLog.find("Quillmoor: SDL_InitSubSystem(SDL_INIT_AUDIO) failed: "),
            std::string::npos)
      << DeviceLog;
  EXPECT_NE(DeviceLog.find("no-such-driver"), std::string::npos) << DeviceLog;

  ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
  testing::internal::CaptureStderr();
  EXPECT_EQ(FSOUND_Stream_Open("/nonexistent/music.mp3", 304, 0, 0), 0u);
  const std::string FileLog = testing::internal::GetCapturedStderr();
  EXPECT_EQ(FSOUND_GetError(), 9);
  EXPECT_NE(FileLog.find("/nonexistent/music.mp3: No such file or directory"), std::string::npos)
      << FileLog;
  FSOUND_Close();
}
