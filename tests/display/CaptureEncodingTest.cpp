// The encoder's settings with the real ffmpeg: a frame of coloured patches
// encoded as each codec's part is, then decoded as the stream's colour tags
// say, keeps its colours. That holds only when the RGB to YUV conversion
// uses the matrix the tags name: ffmpeg's own default, BT.601, read back as
// BT.709 turns pure red's green from 0 to 23.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "EncoderArguments.h"
#include "VideoPipe.h"

namespace {

constexpr int Width = 64, Height = 48;

struct TColour {
  int R, G, B;
};
// Two rows of patches, 16 x 24 pixels each: the primaries, two mixed
// colours, a mid grey and a dark grey.
const TColour Patches[2][4] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {200, 60, 40}},
                               {{40, 160, 200}, {128, 128, 128}, {30, 30, 30}, {240, 220, 20}}};

std::vector<uint8_t> PatchFrame() {
  std::vector<uint8_t> Rgba;
  for (int Y = 0; Y < Height; ++Y)
    for (int X = 0; X < Width; ++X) {
      const TColour &C = Patches[Y / 24][X / 16];
      Rgba.insert(Rgba.end(), {static_cast<uint8_t>(C.R), static_cast<uint8_t>(C.G),
                               static_cast<uint8_t>(C.B), 255});
    }
  return Rgba;
}

std::vector<uint8_t> FileBytes(const std::string &Path) {
  std::vector<uint8_t> Bytes;
  if (FILE *File = std::fopen(Path.c_str(), "rb")) {
    int C;
    while ((C = std::fgetc(File)) != EOF) Bytes.push_back(static_cast<uint8_t>(C));
    std::fclose(File);
  }
  return Bytes;
}

}  // namespace

TEST(CaptureEncoding, ColoursSurviveEncodingAndDecodingByTheTags) {
  std::string Error;
  if (!RunFfmpeg({"-hide_banner", "-loglevel", "error", "-version"}, Error)) GTEST_SKIP() << Error;
  struct {
    const char *OutPath;
    TVideoCodec Codec;
    int Tolerance;  // levels, each channel, at a patch's centre
  } Cases[] = {{"x.mp4", TVideoCodec::H264, 3},
               {"x.webm", TVideoCodec::Vp9, 4},
               {"x.mkv", TVideoCodec::Ffv1, 0}};
  const std::string Base = ::testing::TempDir() + "quillmoor-encoding-" + std::to_string(getpid());
  for (const auto &c : Cases) {
    TVideoSettings Settings;
    Settings.OutPath = c.OutPath;
    Settings.Width = Width;
    Settings.Height = Height;
    Settings.Encoding.Codec = c.Codec;
    Settings.Encoding.Quality = c.Codec == TVideoCodec::Vp9 ? 32 : 18;
    const std::string Part = Base + ".nut", Raw = Base + ".rgb";
    TVideoPipe Pipe;
    ASSERT_TRUE(Pipe.Start(PartArguments(Settings, Part), Error)) << Error;
    const std::vector<uint8_t> Frame = PatchFrame();
    ASSERT_TRUE(Pipe.Write(Frame.data(), Frame.size(), Error)) << Error;
    ASSERT_TRUE(Pipe.Finish(Error)) << c.OutPath << ": " << Error;
    ASSERT_TRUE(RunFfmpeg({"-nostdin", "-loglevel", "error", "-y", "-i", Part, "-frames:v", "1",
                           "-f", "rawvideo", "-pix_fmt", "rgb24", Raw},
                          Error))
        << Error;
    const std::vector<uint8_t> Decoded = FileBytes(Raw);
    ASSERT_EQ(Decoded.size(), static_cast<size_t>(Width * Height * 3)) << c.OutPath;
    for (int Row = 0; Row < 2; ++Row)
      for (int Column = 0; Column < 4; ++Column) {
        const TColour &Want = Patches[Row][Column];
        const uint8_t *Got = &Decoded[((Row * 24 + 12) * Width + Column * 16 + 8) * 3];
        const int Channels[3] = {Want.R, Want.G, Want.B};
        for (int Channel = 0; Channel < 3; ++Channel)
          EXPECT_NEAR(Got[Channel], Channels[Channel], c.Tolerance)
              << c.OutPath << " patch (" << Want.R << ", " << Want.G << ", " << Want.B
              << ") channel " << Channel;
      }
    std::remove(Part.c_str());
    std::remove(Raw.c_str());
  }
}
