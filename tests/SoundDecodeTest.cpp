// Opening and decoding music files: every MP3 the decoder reads plays at the
// device rate (and has its length told beforehand), anything else is refused
// with the right reason, and damaged files play what can be decoded.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <string>

#include "SoundFixtures.h"
#include "WavWriter.h"
#include "sound/DecodedTrack.h"

namespace {

constexpr double ToneHz = 1000.0;

TToneOptions Tone(int Rate, int Channels, double Seconds = 1.0) {
  TToneOptions Options;
  Options.Rate = Rate;
  Options.Channels = Channels;
  Options.Seconds = Seconds;
  Options.Frequency = ToneHz;
  Options.Amplitude = 0.5f;
  return Options;
}

// Rising zero crossings of the left side between two times, per second.
double LeftFrequency(const TDecodedTrack &Track, double From, double To) {
  const std::vector<float> &Frames = Track.Frames();
  const size_t First = static_cast<size_t>(From * Track.Rate());
  const size_t Last = static_cast<size_t>(To * Track.Rate());
  int Crossings = 0;
  for (size_t i = First + 1; i < Last; ++i)
    Crossings += Frames[(i - 1) * 2] < 0.0f && Frames[i * 2] >= 0.0f;
  return Crossings / (To - From);
}

double Seconds(const TDecodedTrack &Track) {
  return static_cast<double>(Track.FrameCount()) / Track.Rate();
}

}  // namespace

TEST(SoundDecode, EveryKindOfMp3PlaysAtTheDeviceRate) {
  const struct {
    int Rate, Channels, Bitrate;
    bool Vbr, InfoTag, Id3v2, Id3v1;
  } Cases[] = {
      {32000, 1, 64, false, true, false, false},   {32000, 2, 128, true, true, true, false},
      {44100, 2, 192, false, true, true, false},   {44100, 1, 128, true, false, false, true},
      {48000, 2, 160, true, true, false, true},    {48000, 1, 96, false, false, true, true},
      {44100, 2, 192, false, false, false, false},
  };
  TScratchFolder Folder;
  for (const auto &Case : Cases) {
    const std::string Name = std::to_string(Case.Rate) + "-" + std::to_string(Case.Channels) +
                             (Case.Vbr ? "-vbr" : "-cbr") + (Case.Id3v2 ? "-id3v2" : "") +
                             (Case.Id3v1 ? "-id3v1" : "") + (Case.InfoTag ? "" : "-bare");
    SCOPED_TRACE(Name);
    TEncodeOptions Encoding;
    Encoding.Bitrate = Case.Bitrate;
    Encoding.Vbr = Case.Vbr;
    Encoding.InfoTag = Case.InfoTag;
    std::vector<uint8_t> Bytes = ToneMp3(Tone(Case.Rate, Case.Channels), Encoding);
    if (Case.Id3v2) Bytes = WithId3v2(Bytes);
    if (Case.Id3v1) Bytes = WithId3v1(Bytes);

    TDecodedTrack Track;
    const std::string Path = Folder.Write(Name + ".mp3", Bytes);
    ASSERT_EQ(Track.Load(Path.c_str()), TMp3OpenResult::Ok);
    EXPECT_EQ(Track.Rate(), 44100);
    EXPECT_NEAR(Seconds(Track), 1.0, 0.08);            // encoder padding only without an Info frame
    EXPECT_NEAR(Mp3LengthMs(Path.c_str()), 1000, 80);  // the length told before playing
    EXPECT_NEAR(LeftFrequency(Track, 0.2, 0.8), ToneHz, 5.0);
    float Left = 0, Right = 0;
    Track.LevelsAt(500, Left, Right);
    EXPECT_NEAR(Left, 0.5f, 0.05f);
    EXPECT_NEAR(Right, 0.5f, 0.05f);  // mono plays on both sides
  }
}

TEST(SoundDecode, RefusesWhatIsNotMpegAudio) {
  TScratchFolder Folder;
  const std::string Text = "This is not music.\nJust a few lines of text renamed to .mp3.\n";
  const std::vector<uint8_t> Wav = MakeWav(MakeTone(Tone(44100, 2)), 2, 44100);
  // Real frames with a gap after the second: not the unbroken run of frames a
  // file of MPEG audio starts with. (A gap after the first frame is leading
  // junk, which is allowed.) At 128 kbit/s and 44.1 kHz a frame is 417 bytes,
  // one more when its header's padding bit is set.
  TEncodeOptions Bare;
  Bare.Bitrate = 128;
  Bare.InfoTag = false;
  std::vector<uint8_t> Gapped = ToneMp3(Tone(44100, 2), Bare);
  const auto FrameSize = [&](size_t At) { return 417 + ((Gapped[At + 2] >> 1) & 1); };
  const size_t Second = FrameSize(0);
  Gapped.insert(Gapped.begin() + Second + FrameSize(Second), 7, 0);
  mkdir(Folder.Path("folder.mp3").c_str(), 0755);
  mkfifo(Folder.Path("fifo.mp3").c_str(), 0644);
  // /proc/self/mem opens but fails every read at offset 0: unreadable even for root.
  symlink("/proc/self/mem", Folder.Path("unreadable.mp3").c_str());
  const struct {
    std::string Path;
    TMp3OpenResult Expected;
  } Cases[] = {
      {Folder.Path("missing.mp3"), TMp3OpenResult::NotFound},
      {Folder.Path("no-such-folder/music.mp3"), TMp3OpenResult::NotFound},
      {Folder.Path("folder.mp3"), TMp3OpenResult::LoadError},
      {Folder.Path("fifo.mp3"), TMp3OpenResult::LoadError},
      {Folder.Path("unreadable.mp3"), TMp3OpenResult::LoadError},
      {Folder.Write("empty.mp3", {}), TMp3OpenResult::UnknownFormat},
      {Folder.Write("text.mp3", std::vector<uint8_t>(Text.begin(), Text.end())),
       TMp3OpenResult::UnknownFormat},
      {Folder.Write("wave.mp3", Wav), TMp3OpenResult::UnknownFormat},
      {Folder.Write("gapped.mp3", Gapped), TMp3OpenResult::UnknownFormat},
      {Folder.Write("zeros.mp3", std::vector<uint8_t>(100000, 0)), TMp3OpenResult::UnknownFormat},
      {Folder.Write("ones.mp3", std::vector<uint8_t>(100000, 0xff)), TMp3OpenResult::UnknownFormat},
  };
  for (const auto &Case : Cases) {
    TDecodedTrack Track;
    EXPECT_EQ(Track.Load(Case.Path.c_str()), Case.Expected) << Case.Path;
    EXPECT_EQ(Track.FrameCount(), 0) << Case.Path;
  }
  // Random bytes of many sizes and seeds: the decoder finds stray frame
  // headers in them, the probe must not believe it.
  for (uint32_t Seed = 1; Seed <= 40; ++Seed) {
    const std::string Path = Folder.Write("random.mp3", RandomBytes(Seed * 3001, Seed));
    TDecodedTrack Track;
    EXPECT_EQ(Track.Load(Path.c_str()), TMp3OpenResult::UnknownFormat) << "seed " << Seed;
  }
}

TEST(SoundDecode, DamagedFilesPlayWhatDecodes) {
  TScratchFolder Folder;
  const std::vector<uint8_t> Whole = ToneMp3(Tone(44100, 2, 2.0));

  // Cut off after 60%: about 1.2 s decode, then the stream ends.
  const std::vector<uint8_t> Cut(Whole.begin(), Whole.begin() + Whole.size() * 6 / 10);
  TDecodedTrack Truncated;
  ASSERT_EQ(Truncated.Load(Folder.Write("cut.mp3", Cut).c_str()), TMp3OpenResult::Ok);
  EXPECT_NEAR(Seconds(Truncated), 1.2, 0.1);

  // Garbage over a stretch in the middle: the rest still decodes, and no
  // sample comes out wild.
  std::vector<uint8_t> Corrupt = Whole;
  const std::vector<uint8_t> Junk = RandomBytes(3000, 7);
  std::copy(Junk.begin(), Junk.end(), Corrupt.begin() + Corrupt.size() / 2);
  TDecodedTrack Damaged;
  ASSERT_EQ(Damaged.Load(Folder.Write("corrupt.mp3", Corrupt).c_str()), TMp3OpenResult::Ok);
  EXPECT_GT(Seconds(Damaged), 0.9);
  EXPECT_NEAR(LeftFrequency(Damaged, 0.1, 0.8), ToneHz, 5.0);
  for (float Sample : Damaged.Frames())
    ASSERT_TRUE(std::isfinite(Sample) && std::fabs(Sample) <= 1.0f);
}

TEST(SoundDecode, LevelsFollowTheSignal) {
  TScratchFolder Folder;
  TToneOptions Square = Tone(44100, 2);
  Square.Square = true;
  Square.Amplitude = 1.0f;
  Square.Frequency = 100.0;
  TToneOptions LeftOnly = Tone(44100, 2);
  LeftOnly.LeftOnly = true;
  TToneOptions Silent = Tone(44100, 2);
  Silent.Amplitude = 0.0f;
  const struct {
    const char *Name;
    TToneOptions Signal;
    float Left, Right, Tolerance;
  } Cases[] = {
      {"square", Square, 1.0f, 1.0f, 0.12f},  // the encoder rounds the corners off
      {"left-only", LeftOnly, 0.5f, 0.0f, 0.05f},
      {"silence", Silent, 0.0f, 0.0f, 0.0f},
  };
  for (const auto &Case : Cases) {
    TDecodedTrack Track;
    ASSERT_EQ(
        Track.Load(Folder.Write(std::string(Case.Name) + ".mp3", ToneMp3(Case.Signal)).c_str()),
        TMp3OpenResult::Ok);
    for (int64_t DemoTime : {300, 650}) {
      float Left = -1, Right = -1;
      Track.LevelsAt(DemoTime, Left, Right);
      EXPECT_NEAR(Left, Case.Left, Case.Tolerance) << Case.Name << " at " << DemoTime;
      if (Case.Right == 0.0f)
        EXPECT_LT(Right, 0.01f) << Case.Name << " at " << DemoTime;
      else
        EXPECT_NEAR(Right, Case.Right, Case.Tolerance) << Case.Name << " at " << DemoTime;
    }
    float Left = -1, Right = -1;
    Track.LevelsAt(5000, Left, Right);  // after the end
    EXPECT_EQ(Left, 0.0f);
    EXPECT_EQ(Right, 0.0f);
  }
}
