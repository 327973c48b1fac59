// quillmoor-capture: its command line, and whole captures to PNG files.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CaptureOptions.h"
#include "CaptureRun.h"
#include "FramePlan.h"
#include "FrameRate.h"
#include "Presets.h"
#include "VideoEncoding.h"

namespace {

bool Parse(std::vector<const char *> Args, TCaptureOptions &Options, std::string &Error) {
  Args.insert(Args.begin(), "quillmoor-capture");
  return ParseCaptureOptions(static_cast<int>(Args.size()), Args.data(), Options, Error);
}

struct TDecoded {
  int Width = 0, Height = 0;
  std::vector<uint8_t> Rgb;
  const uint8_t *At(int X, int Y) const { return &Rgb[(static_cast<size_t>(Y) * Width + X) * 3]; }
};

bool ReadPng(const std::string &Path, TDecoded &Out) {
  png_image Image;
  std::memset(&Image, 0, sizeof Image);
  Image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&Image, Path.c_str())) return false;
  Image.format = PNG_FORMAT_RGB;
  Out.Rgb.resize(PNG_IMAGE_SIZE(Image));
  Out.Width = static_cast<int>(Image.width);
  Out.Height = static_cast<int>(Image.height);
  return png_image_finish_read(&Image, nullptr, Out.Rgb.data(), 0, nullptr) != 0;
}

std::string TempPng(const char *Name) {
  return ::testing::TempDir() + "quillmoor-capture-" + std::to_string(getpid()) + "-" + Name;
}

}  // namespace

TEST(CaptureOptions, ReadsEveryOptionAndTheOutputKind) {
  struct {
    std::vector<const char *> Args;
    int Width, Height, Fps;
    int64_t From, To;
    bool Countdown, Leader;
    int Jobs;
    TOutputKind Kind;
  } Cases[] = {
      {{"--out", "a.png"}, 1024, 768, 30, 0, 110000, false, false, 1, TOutputKind::Png},
      {{"--size", "640x480", "--from", "21000", "--out", "a.png"},
       640,
       480,
       30,
       21000,
       110000,
       false,
       false,
       1,
       TOutputKind::Png},
      {{"--countdown", "4294967295", "--out", "a.png", "--size", "1x1"},
       1,
       1,
       30,
       4294967295,
       110000,
       true,
       false,
       1,
       TOutputKind::Png},
      {{"--from", "110000", "--out", "a.png"},
       1024,
       768,
       30,
       110000,
       110000,
       false,
       false,
       1,
       TOutputKind::Png},
      {{"--fps", "60", "--from", "5", "--to", "6", "--leader", "--jobs", "2", "--out", "d/"},
       1024,
       768,
       60,
       5,
       6,
       false,
       true,
       2,
       TOutputKind::PngSequence},
      {{"--size", "1279x719", "--out", "f.webm"},
       1279,
       719,
       30,
       0,
       110000,
       false,
       false,
       1,
       TOutputKind::Video},
      {{"--out", "f.mkv", "--to", "110000"},
       1024,
       768,
       30,
       0,
       110000,
       false,
       false,
       1,
       TOutputKind::Video},
  };
  for (const auto &c : Cases) {
    TCaptureOptions Options;
    std::string Error;
    ASSERT_TRUE(Parse(c.Args, Options, Error)) << Error;
    EXPECT_EQ(Options.Width, c.Width);
    EXPECT_EQ(Options.Height, c.Height);
    EXPECT_EQ(Options.Fps, c.Fps);
    EXPECT_EQ(Options.From, c.From);
    EXPECT_EQ(Options.To, c.To);
    EXPECT_EQ(Options.Countdown, c.Countdown);
    EXPECT_EQ(Options.Leader, c.Leader);
    EXPECT_EQ(Options.Jobs, c.Jobs);
    EXPECT_EQ(Options.Kind, c.Kind);
  }
}

TEST(CaptureOptions, RefusesWhatItCannotUseWithOneLine) {
  const std::vector<std::vector<const char *>> Cases = {
      {"--size", "0x768", "--out", "a.png"},
      {"--size", "1024x", "--out", "a.png"},
      {"--size", "1024*768", "--out", "a.png"},
      {"--size", "-5x5", "--out", "a.png"},
      {"--size", "16385x10", "--out", "a.png"},
      {"--size", "99999999999999999999x10", "--out", "a.png"},
      {"--from", "-1", "--out", "a.png"},
      {"--from", "12ms", "--out", "a.png"},
      {"--from", "", "--out", "a.png"},
      {"--from", "110001", "--out", "a.png"},
      {"--from", "110000", "--out", "d/"},
      {"--from", "110000", "--out", "f.mp4"},
      {"--from", "5000", "--to", "4000", "--out", "d/"},
      {"--from", "5000", "--to", "5000", "--out", "d/"},
      {"--to", "110001", "--out", "d/"},
      {"--fps", "0", "--out", "d/"},
      {"--fps", "1001", "--out", "d/"},
      {"--fps", "0.5", "--out", "d/"},
      {"--fps", "60000/0", "--out", "d/"},
      {"--fps", "1000.001", "--out", "d/"},
      {"--bitrate", "5k", "--out", "f.mp4"},
      {"--bitrate", "2000M", "--out", "f.mp4"},
      {"--bitrate", "8G", "--out", "f.mp4"},
      {"--quality", "20", "--bitrate", "5M", "--out", "f.mp4"},
      {"--quality", "52", "--out", "f.mp4"},
      {"--quality", "64", "--out", "f.webm"},
      {"--quality", "0", "--out", "f.mkv"},
      {"--preset", "master", "--out", "f.mp4"},
      {"--preset", "master", "--bitrate", "50M", "--out", "f.mkv"},
      {"--preset", "party-1080p", "--out", "f.webm"},
      {"--preset", "party-1080p", "--fps", "60", "--out", "f.mp4"},
      {"--preset", "youtube", "--out", "f.mp4"},
      {"--preset", "--out", "f.mp4"},
      {"--jobs", "0", "--out", "d/"},
      {"--film", "0x600", "--out", "a.png"},
      {"--film", "800", "--out", "a.png"},
      {"--bits", "24", "--out", "a.png"},
      {"--countdown", "-700", "--out", "a.png"},
      {"--countdown", "4294967296", "--out", "a.png"},
      {"--countdown", "700", "--out", "f.mp4"},
      {"--music", "", "--out", "f.mp4"},
      {"--out", "film.avi"},
      {"--from", "100"},
      {"--out"},
      {"--frame", "3", "--out", "a.png"},
  };
  for (const auto &Args : Cases) {
    TCaptureOptions Options;
    std::string Error;
    std::string Line;
    for (const char *Arg : Args) Line += std::string(Arg) + " ";
    EXPECT_FALSE(Parse(Args, Options, Error)) << Line;
    EXPECT_FALSE(Error.empty()) << Line;
    EXPECT_EQ(Error.find('\n'), std::string::npos) << Error;
  }
}

TEST(CaptureOptions, HelpNamesEveryOptionAndAnExample) {
  const std::string Help = CaptureUsage();
  for (const char *Option :
       {"--size", "--fps", "--from", "--to", "--leader", "--music", "--jobs", "--out", "--help",
        "--version", "--preset", "--quality", "--bitrate", "Example", "youtube-1080p60",
        "youtube-2160p60", "party-1080p", "master", "60000/1001"})
    EXPECT_NE(Help.find(Option), std::string::npos) << Option;
}

TEST(FramePlan, FramesLeaderAndReplayOnTheGrid) {
  EXPECT_EQ(FilmFrameCount(0, 110000, 30), 3300);
  EXPECT_EQ(FilmFrameCount(0, 110000, 24), 2640);
  EXPECT_EQ(FilmFrameCount(100, 101, 30), 1);
  EXPECT_EQ(FilmFrameTime(1, 30, 0), 33);
  EXPECT_EQ(FilmFrameTime(3299, 30, 0), 109966);
  const std::vector<uint32_t> Leader = LeaderTicks(30);
  ASSERT_EQ(Leader.size(), 100u);
  EXPECT_EQ(Leader.front(), 700u);
  EXPECT_EQ(Leader.back(), 4000u);
  // Outside a stretch nothing is replayed; inside the blob field the run
  // from 0 is replayed from its first frame, then the capture's own.
  EXPECT_TRUE(ReplayTimes(20000, 10, 0).empty());
  EXPECT_TRUE(ReplayTimes(60000, 10, 0).empty());
  const std::vector<int64_t> Blob = ReplayTimes(28750, 10, 2);
  ASSERT_FALSE(Blob.empty());
  EXPECT_EQ(Blob.front(), 28600);
  EXPECT_EQ(Blob.back(), 28850);
  EXPECT_EQ(Blob.size(), 4u);  // 28600, 28700, 28750, 28850
}

TEST(FrameRate, ReadsWholeFractionAndDecimalRates) {
  struct {
    const char *Text;
    bool Read;
    TFrameRate Rate;
  } Cases[] = {
      {"30", true, {30, 1}},
      {"1000", true, {1000, 1}},
      {"60000/1001", true, {60000, 1001}},
      {"50/2", true, {25, 1}},
      {"2000/2", true, {1000, 1}},
      // The broadcast rates, to two places or more, mean N * 1000/1001 ...
      {"59.94", true, {60000, 1001}},
      {"29.97", true, {30000, 1001}},
      {"23.976", true, {24000, 1001}},
      {"23.98", true, {24000, 1001}},
      {"119.88", true, {120000, 1001}},
      // ... other decimals, or one place, exactly what they say.
      {"59.9", true, {599, 10}},
      {"12.5", true, {25, 2}},
      {"12.50", true, {25, 2}},
      {"30.00", true, {30, 1}},
      {"29.970001", true, {29970001, 1000000}},
      {"0.5", false, {}},
      {"1001", false, {}},
      {"2001/2", false, {}},
      {"60000/0", false, {}},
      {"0/1", false, {}},
      {"29.9700001", false, {}},
      {"5.", false, {}},
      {".5", false, {}},
      {"59.94.1", false, {}},
      {"1e3", false, {}},
      {"-30", false, {}},
      {"30/-1", false, {}},
      {"", false, {}},
  };
  for (const auto &c : Cases) {
    TFrameRate Rate{7, 3};
    EXPECT_EQ(ParseFrameRate(c.Text, MaxFps, Rate), c.Read) << c.Text;
    if (c.Read) {
      EXPECT_EQ(Rate.Frames, c.Rate.Frames) << c.Text;
      EXPECT_EQ(Rate.Seconds, c.Rate.Seconds) << c.Text;
    } else {
      EXPECT_EQ(Rate, TFrameRate(7, 3)) << c.Text << ": changed on a refusal";
    }
  }
  EXPECT_EQ(TFrameRate(60000, 1001).Text(), "60000/1001");
  EXPECT_EQ(TFrameRate(30).Text(), "30");
}

// Frame k at floor(k * 1000 / fps) + from, exactly, at rates of no whole
// number of milliseconds a frame.
TEST(FramePlan, RationalRatesPutEveryFrameAtItsExactInstant) {
  const TFrameRate Ntsc60{60000, 1001}, Ntsc30{30000, 1001}, Film{24000, 1001};
  struct {
    int64_t K;
    TFrameRate Fps;
    int64_t From, Time;
  } Cases[] = {
      {1, Ntsc60, 0, 16},        {3, Ntsc60, 0, 50},      {60, Ntsc60, 0, 1001},
      {6593, Ntsc60, 0, 109993}, {3, Ntsc30, 0, 100},     {30, Ntsc30, 500, 1501},
      {1, Film, 0, 41},          {24, Film, 0, 1001},     {2, {25, 2}, 7, 167},
      {3, {2997, 100}, 0, 100},  {1000, {1000}, 5, 1005}, {0, Ntsc60, 42, 42},
  };
  for (const auto &c : Cases)
    EXPECT_EQ(FilmFrameTime(c.K, c.Fps, c.From), c.Time) << c.K << " at " << c.Fps.Text();
  // The count stops at the last frame before To: 6593 lies at 109993 ms,
  // 6594 at 110009.
  EXPECT_EQ(FilmFrameCount(0, 110000, Ntsc60), 6594);
  EXPECT_EQ(FilmFrameCount(0, 1001, Ntsc60), 60);
  EXPECT_EQ(FilmFrameCount(0, 1002, Ntsc60), 61);
  EXPECT_EQ(FilmFrameCount(0, 110000, Ntsc30), 3297);
  const std::vector<uint32_t> Leader = LeaderTicks(Ntsc60);
  EXPECT_EQ(Leader.front(), 700u);
  EXPECT_EQ(Leader[1], 716u);
  EXPECT_LE(Leader.back(), 4000u);
  EXPECT_EQ(Leader.size(), 198u);  // 700 + floor(197 * 1001 / 60) = 3986
}

// A preset sets size and rate as --size and --fps would; the options given
// override it wherever they stand; the encoding follows the container, then
// the preset, then --quality or --bitrate.
TEST(CaptureOptions, PresetsSetSizeRateAndEncodingAndTheOptionsGivenOverrideThem) {
  struct {
    std::vector<const char *> Args;
    int Width, Height;
    TFrameRate Fps;
    TVideoCodec Codec;
    int Quality;
    int64_t Bitrate;
    bool Constant;
    const char *Level;
    TAudioCodec Audio;
  } Cases[] = {
      {{"--out", "f.mp4"}, 1024, 768, 30, TVideoCodec::H264, 18, 0, false, "", TAudioCodec::Aac},
      {{"--out", "f.webm"}, 1024, 768, 30, TVideoCodec::Vp9, 32, 0, false, "", TAudioCodec::Opus},
      {{"--preset", "youtube-1080p60", "--out", "f.mp4"},
       1920,
       1080,
       60,
       TVideoCodec::H264,
       18,
       12000000,
       false,
       "",
       TAudioCodec::Aac},
      {{"--size", "1440x1080", "--preset", "youtube-1080p60", "--out", "f.webm"},
       1440,
       1080,
       60,
       TVideoCodec::Vp9,
       32,
       12000000,
       false,
       "",
       TAudioCodec::Opus},
      {{"--preset", "youtube-2160p60", "--quality", "20", "--fps", "60000/1001", "--out", "f.mkv"},
       3840,
       2160,
       {60000, 1001},
       TVideoCodec::H264,
       20,
       0,
       false,
       "",
       TAudioCodec::Aac},
      {{"--preset", "party-1080p", "--out", "f.mp4"},
       1920,
       1080,
       30,
       TVideoCodec::H264,
       18,
       8000000,
       true,
       "4.1",
       TAudioCodec::Aac},
      {{"--preset", "party-1080p", "--bitrate", "10M", "--fps", "60", "--size", "1280x720", "--out",
        "f.mkv"},
       1280,
       720,
       60,
       TVideoCodec::H264,
       18,
       10000000,
       true,
       "4.1",
       TAudioCodec::Aac},
      {{"--preset", "master", "--out", "f.mkv"},
       1440,
       1080,
       60,
       TVideoCodec::Ffv1,
       18,
       0,
       false,
       "",
       TAudioCodec::Flac},
      {{"--bitrate", "2500k", "--out", "f.webm"},
       1024,
       768,
       30,
       TVideoCodec::Vp9,
       32,
       2500000,
       false,
       "",
       TAudioCodec::Opus},
  };
  for (const auto &c : Cases) {
    TCaptureOptions Options;
    std::string Error;
    const std::string Line = c.Args[0] + std::string(" ") + c.Args[1] + " ...";
    ASSERT_TRUE(Parse(c.Args, Options, Error)) << Line << ": " << Error;
    EXPECT_EQ(Options.Width, c.Width) << Line;
    EXPECT_EQ(Options.Height, c.Height) << Line;
    EXPECT_EQ(Options.Fps, c.Fps) << Line;
    TVideoEncoding Encoding;
    ASSERT_TRUE(ChooseEncoding(Options, Encoding, Error)) << Line << ": " << Error;
    EXPECT_EQ(Encoding.Codec, c.Codec) << Line;
    EXPECT_EQ(Encoding.Bitrate, c.Bitrate) << Line;
    if (c.Bitrate == 0) {
      EXPECT_EQ(Encoding.Quality, c.Quality) << Line;
    }
    EXPECT_EQ(Encoding.ConstantBitrate, c.Constant) << Line;
    EXPECT_STREQ(Encoding.Level, c.Level) << Line;
    EXPECT_EQ(Encoding.Audio, c.Audio) << Line;
  }
  // A preset with a PNG output sets the frames' size and rate only.
  TCaptureOptions Options;
  std::string Error;
  ASSERT_TRUE(Parse({"--preset", "party-1080p", "--out", "d/"}, Options, Error)) << Error;
  EXPECT_EQ(Options.Width, 1920);
  EXPECT_EQ(Options.Fps, TFrameRate(30));
}

// The parts cover the capture's frames in order, none longer than 5 s unless
// it holds a whole stateful stretch, and no cut splits a stretch.
TEST(FramePlan, PartsCoverTheFramesAndKeepEachStretchWhole) {
  struct {
    int64_t From, To;
    TFrameRate Fps;
    size_t AtLeast;  // parts
  } Cases[] = {{0, 110000, 30, 10},
               {40000, 60000, 24, 2},
               {8000, 12000, 30, 4},
               {100, 101, 30, 1},
               {0, 110000, {60000, 1001}, 10}};
  for (const auto &c : Cases) {
    const int64_t Count = FilmFrameCount(c.From, c.To, c.Fps);
    const std::vector<TFilmPart> Parts = FilmParts(c.From, Count, c.Fps);
    ASSERT_GE(Parts.size(), c.AtLeast) << c.From;
    int64_t Next = 0;
    for (const TFilmPart &Part : Parts) {
      EXPECT_EQ(Part.Begin, Next);
      EXPECT_LT(Part.Begin, Part.End);
      Next = Part.End;
      // A part starting inside a stretch only does so at the capture's start.
      if (Part.Begin > 0) {
        EXPECT_TRUE(ReplayTimes(c.From, c.Fps, Part.Begin).empty()) << Part.Begin;
      }
      if (Part.End - Part.Begin > 5 * c.Fps.PerSecondCeiling()) {
        EXPECT_FALSE(ReplayTimes(c.From, c.Fps, Part.End - 1).empty()) << Part.Begin;
      }
    }
    EXPECT_EQ(Next, Count);
  }
  // From inside the blob field, the first part runs to the field's end.
  const std::vector<TFilmPart> Parts = FilmParts(40000, FilmFrameCount(40000, 60000, 24), 24);
  EXPECT_EQ(FilmFrameTime(Parts[0].End - 1, 24, 40000), 51666);
}

TEST(Capture, WritesTheFilmsFrameAtAnySize) {
  TCaptureOptions Options;
  Options.Width = 320;
  Options.Height = 200;
  Options.OutPath = TempPng("film.png");
  std::string Error;
  ASSERT_TRUE(RunCapture(Options, Error)) << Error;

  TDecoded Frame;
  ASSERT_TRUE(ReadPng(Options.OutPath, Frame));
  EXPECT_EQ(Frame.Width, 320);
  EXPECT_EQ(Frame.Height, 200);
  // White ground inside the vignette's frame, darker in the corner.
  EXPECT_GE(Frame.At(100, 60)[0], 250);
  EXPECT_LT(Frame.At(1, 1)[0], Frame.At(100, 60)[0] - 40);
  std::remove(Options.OutPath.c_str());
}

TEST(Capture, WritesTheLeadersFrame) {
  TCaptureOptions Options;
  Options.Width = 640;
  Options.Height = 480;
  Options.Countdown = true;
  Options.From = 700;
  Options.OutPath = TempPng("leader.png");
  std::string Error;
  ASSERT_TRUE(RunCapture(Options, Error)) << Error;
  TDecoded Frame;
  ASSERT_TRUE(ReadPng(Options.OutPath, Frame));
  EXPECT_EQ(Frame.Width, 640);
  // The top band darkens the top edge; the ground below it is light.
  EXPECT_LT(Frame.At(200, 0)[0], 180);
  EXPECT_GT(Frame.At(200, 170)[0], 200);
  std::remove(Options.OutPath.c_str());
}

TEST(Capture, AnUnwritablePathIsAnErrorAndLeavesNoFile) {
  TCaptureOptions Options;
  Options.Width = 16;
  Options.Height = 16;
  Options.OutPath = ::testing::TempDir() + "no-such-folder-quillmoor/frame.png";
  std::string Error;
  EXPECT_FALSE(RunCapture(Options, Error));
  EXPECT_NE(Error.find("no-such-folder-quillmoor"), std::string::npos) << Error;
  EXPECT_EQ(Error.find('\n'), std::string::npos) << Error;
}

namespace {

std::vector<uint8_t> FileBytes(const std::string &Path) {
  std::vector<uint8_t> Bytes;
  if (FILE *File = std::fopen(Path.c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(File)) != EOF) Bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(File);
  }
  return Bytes;
}

std::string TempFolder(const char *Name) { return TempPng(Name) + "/"; }

// The blob field carries its paths from frame to frame, the worms their
// tracks (drawn from the generator as the grown branch tree leaves it): a
// capture starting inside either must show what a capture running there from
// before it shows. The blob run goes past the field's end, so two renderers
// share two parts; the worm run has the branch tree's frames in other parts.
struct TStretchCase {
  int64_t From, To;  // the long run, at 10 fps
  int64_t At;        // a start inside the stretch
};

TCaptureOptions SmallSequence(const TStretchCase &c, const std::string &Out) {
  TCaptureOptions Options;
  Options.Width = 64;
  Options.Height = 48;
  Options.Fps = 10;
  Options.From = c.From;
  Options.To = c.To;
  Options.Kind = TOutputKind::PngSequence;
  Options.OutPath = Out;
  return Options;
}

std::string FrameName(int64_t K) {
  char Name[32];
  std::snprintf(Name, sizeof Name, "frame-%06lld.png", static_cast<long long>(K));
  return Name;
}

}  // namespace

TEST(Capture, SameArgumentsSameBytesAndAStartInsideAStretchMatchesTheLongRun) {
  const TStretchCase Cases[] = {{28500, 52000, 40000}, {60000, 76000, 75000}};
  for (const TStretchCase &c : Cases) {
    const std::string One = TempFolder("one"), Two = TempFolder("two");
    std::string Error;
    TCaptureOptions Long = SmallSequence(c, One);
    ASSERT_TRUE(RunCapture(Long, Error)) << Error;
    Long.OutPath = Two;
    Long.Jobs = 2;  // other processes, the same frames
    ASSERT_TRUE(RunCapture(Long, Error)) << Error;
    const int64_t Frames = FilmFrameCount(Long.From, Long.To, Long.Fps);
    for (int64_t K = 0; K < Frames; K += 23)
      EXPECT_EQ(FileBytes(One + FrameName(K)), FileBytes(Two + FrameName(K))) << c.From << " " << K;

    TCaptureOptions Short = SmallSequence(c, TempPng("short.png"));
    Short.From = c.At;
    Short.Kind = TOutputKind::Png;
    const std::string Same = One + FrameName((c.At - c.From) / 100);
    for (int Run = 0; Run < 2; ++Run) {
      ASSERT_TRUE(RunCapture(Short, Error)) << Error;
      const std::vector<uint8_t> Frame = FileBytes(Short.OutPath);
      EXPECT_FALSE(Frame.empty());
      EXPECT_EQ(Frame, FileBytes(Same)) << c.At << " run " << Run;
    }
    std::system(("rm -rf '" + One + "' '" + Two + "' '" + Short.OutPath + "'").c_str());
  }
}

TEST(Capture, RefusesMissingMusicOrFfmpegWithOneLine) {
  struct {
    const char *Music;
    const char *Out;
    const char *Path;  // PATH while it runs
    const char *Says;
  } Cases[] = {
      {"/no/such/music.mp3", "x.png", nullptr, "/no/such/music.mp3"},
      {"/etc/hostname", "x.png", nullptr, "/etc/hostname"},
      {nullptr, "x.mp4", "/nonexistent", "Debian package: ffmpeg"},
  };
  const std::string SavedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  for (const auto &c : Cases) {
    TCaptureOptions Options;
    Options.Width = 16;
    Options.Height = 16;
    Options.Kind = std::string(c.Out).find(".png") != std::string::npos ? TOutputKind::Png
                                                                        : TOutputKind::Video;
    Options.OutPath = TempPng(c.Out);
    if (c.Music) Options.MusicPath = c.Music;
    if (c.Path) setenv("PATH", c.Path, 1);
    std::string Error;
    EXPECT_FALSE(RunCapture(Options, Error)) << c.Says;
    setenv("PATH", SavedPath.c_str(), 1);
    EXPECT_NE(Error.find(c.Says), std::string::npos) << Error;
    EXPECT_EQ(Error.find('\n'), std::string::npos) << Error;
    std::remove(Options.OutPath.c_str());
  }
}
