// quillmoor-music: writes the bundled track, or a plain test tone, as MP3.
//
//   quillmoor-music [--out music.mp3] [--wav track.wav] [--seconds S]
//                   [--rate R] [--channels 1|2] [--bitrate K] [--vbr]
//                   [--no-info-tag] [--tone HZ [--square] [--left-only]
//                   [--amplitude A]]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Composition.h"
#include "Mp3Encoder.h"
#include "TestTone.h"
#include "WavWriter.h"

namespace {

struct TArguments {
  std::string Out = "music.mp3";
  std::string Wav;
  double Seconds = TrackSeconds;
  int Rate = 44100;
  int Channels = 2;
  double Tone = 0.0;  // 0: the track
  bool Square = false;
  bool LeftOnly = false;
  float Amplitude = 0.5f;
  TEncodeOptions Encoding;
};

bool Parse(int Count, char **Values, TArguments &Args) {
  for (int i = 1; i < Count; ++i) {
    const std::string Name = Values[i];
    const bool HasValue = i + 1 < Count;
    if (Name == "--vbr")
      Args.Encoding.Vbr = true;
    else if (Name == "--no-info-tag")
      Args.Encoding.InfoTag = false;
    else if (Name == "--square")
      Args.Square = true;
    else if (Name == "--left-only")
      Args.LeftOnly = true;
    else if (!HasValue)
      return false;
    else if (Name == "--out")
      Args.Out = Values[++i];
    else if (Name == "--wav")
      Args.Wav = Values[++i];
    else if (Name == "--seconds")
      Args.Seconds = std::atof(Values[++i]);
    else if (Name == "--rate")
      Args.Rate = std::atoi(Values[++i]);
    else if (Name == "--channels")
      Args.Channels = std::atoi(Values[++i]);
    else if (Name == "--bitrate")
      Args.Encoding.Bitrate = std::atoi(Values[++i]);
    else if (Name == "--tone")
      Args.Tone = std::atof(Values[++i]);
    else if (Name == "--amplitude")
      Args.Amplitude = static_cast<float>(std::atof(Values[++i]));
    else
      return false;
  }
  return Args.Seconds > 0 && Args.Rate > 0 && (Args.Channels == 1 || Args.Channels == 2);
}

// The track is composed in stereo; cut to length and fold to mono if asked.
std::vector<float> TrackSamples(const TArguments &Args) {
  std::vector<float> Stereo = ComposeTrack(Args.Rate);
  const size_t Frames = std::min(Stereo.size() / 2, static_cast<size_t>(Args.Seconds * Args.Rate));
  Stereo.resize(Frames * 2);
  if (Args.Channels == 2) return Stereo;
  std::vector<float> Mono(Frames);
  for (size_t i = 0; i < Frames; ++i) Mono[i] = 0.5f * (Stereo[i * 2] + Stereo[i * 2 + 1]);
  return Mono;
}

bool WriteFile(const std::string &Path, const std::vector<uint8_t> &Bytes) {
  FILE *File = std::fopen(Path.c_str(), "wb");
  if (File == nullptr) return false;
  const bool Written = std::fwrite(Bytes.data(), 1, Bytes.size(), File) == Bytes.size();
  return std::fclose(File) == 0 && Written;
}

}  // namespace

int main(int argc, char **argv) {
  TArguments Args;
  if (!Parse(argc, argv, Args)) {
    std::fprintf(stderr,
                 "usage: %s [--out FILE] [--wav FILE] [--seconds S] [--rate R]\n"
                 "  [--channels 1|2] [--bitrate K] [--vbr] [--no-info-tag]\n"
                 "  [--tone HZ [--square] [--left-only] [--amplitude A]]\n",
                 argv[0]);
    return 2;
  }
  std::vector<float> Samples;
  if (Args.Tone > 0) {
    TToneOptions Tone;
    Tone.Seconds = Args.Seconds;
    Tone.Rate = Args.Rate;
    Tone.Channels = Args.Channels;
    Tone.Frequency = Args.Tone;
    Tone.Amplitude = Args.Amplitude;
    Tone.Square = Args.Square;
    Tone.LeftOnly = Args.LeftOnly;
    Samples = MakeTone(Tone);
  } else {
    Samples = TrackSamples(Args);
  }
  if (!Args.Wav.empty() && !WriteFile(Args.Wav, MakeWav(Samples, Args.Channels, Args.Rate))) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], Args.Wav.c_str());
    return 1;
  }
  const std::vector<uint8_t> Mp3 = EncodeMp3(Samples, Args.Channels, Args.Rate, Args.Encoding);
  if (Mp3.empty() || !WriteFile(Args.Out, Mp3)) {
    std::fprintf(stderr, "%s: cannot encode or write %s\n", argv[0], Args.Out.c_str());
    return 1;
  }
  return 0;
}
