#include "EncoderArguments.h"

#include <algorithm>

#include "CaptureOptions.h"

namespace {

using TArguments = std::vector<std::string>;

void Append(TArguments &Args, const TArguments &More) {
  Args.insert(Args.end(), More.begin(), More.end());
}

std::string Seconds(int64_t Milliseconds) {
  return std::to_string(Milliseconds / 1000) + "." +
         std::to_string(1000 + Milliseconds % 1000).substr(1);
}

// Frames at Fps as seconds to the microsecond, rounded up: a bound that
// keeps every frame and no sound after the last.
std::string ExactSeconds(int64_t Frames, TFrameRate Fps) {
  const int64_t Micro = (Frames * 1000000 * Fps.Seconds + Fps.Frames - 1) / Fps.Frames;
  const std::string Fraction = std::to_string(1000000 + Micro % 1000000).substr(1);
  return std::to_string(Micro / 1000000) + "." + Fraction;
}

bool Webm(const TVideoSettings &S) { return EndsWith(S.OutPath, ".webm"); }

// BT.709 primaries and transfer on every video; YUV pictures say BT.709's
// matrix at limited range, the lossless master's RGB says RGB at full range.
// As encoder options they go into the stream; as options of the join's copy,
// into the container.
TArguments ColourTags(const TVideoSettings &S) {
  const bool Rgb = S.Encoding.Codec == TVideoCodec::Ffv1;
  return {"-color_primaries",    "bt709",        "-color_trc",     "bt709", "-colorspace",
          Rgb ? "rgb" : "bt709", "-color_range", Rgb ? "pc" : "tv"};
}

// The RGBA frames as 4:2:0 YUV through BT.709's matrix at limited range
// (ffmpeg's default would be BT.601's). H.264's 4:2:0 needs even sides: an
// odd frame gets one black row or column.
std::string YuvFilter(const TVideoSettings &S) {
  const std::string Convert = "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p";
  if (S.Encoding.Codec == TVideoCodec::H264) return "pad=ceil(iw/2)*2:ceil(ih/2)*2," + Convert;
  return Convert;
}

// A key frame every half second of the rate, rounded up.
std::string HalfSecond(TFrameRate Fps) {
  return std::to_string((Fps.Frames + 2 * Fps.Seconds - 1) / (2 * Fps.Seconds));
}

TArguments H264(const TVideoSettings &S) {
  const TVideoEncoding &E = S.Encoding;
  TArguments Args = {"-vf",     YuvFilter(S), "-c:v",       "libx264",
                     "-preset", E.Speed,      "-profile:v", "high"};
  if (*E.Level) Append(Args, {"-level:v", E.Level});
  if (E.Bitrate == 0) {
    Append(Args, {"-crf", std::to_string(E.Quality)});
  } else if (E.ConstantBitrate) {
    // Filler data holds the rate where the picture needs fewer bits.
    const std::string Rate = std::to_string(E.Bitrate);
    Append(Args, {"-b:v", Rate, "-minrate", Rate, "-maxrate", Rate, "-bufsize", Rate,
                  "-x264-params", "nal-hrd=cbr"});
  } else {
    Append(Args, {"-b:v", std::to_string(E.Bitrate), "-maxrate", std::to_string(E.Bitrate * 3 / 2),
                  "-bufsize", std::to_string(E.Bitrate * 2)});
  }
  if (E.HalfSecondGroups) Append(Args, {"-g", HalfSecond(S.Fps), "-bf", "2"});
  return Args;
}

TArguments Vp9(const TVideoSettings &S) {
  const TVideoEncoding &E = S.Encoding;
  TArguments Args = {"-vf", YuvFilter(S), "-c:v", "libvpx-vp9", "-row-mt",
                     "1",   "-deadline",  "good", "-cpu-used",  "4"};
  if (E.Bitrate == 0)
    Append(Args, {"-b:v", "0", "-crf", std::to_string(E.Quality)});
  else
    Append(Args, {"-b:v", std::to_string(E.Bitrate)});
  if (E.HalfSecondGroups) Append(Args, {"-g", HalfSecond(S.Fps)});
  return Args;
}

// FFV1 keeps the RGB frames exactly; every frame a key frame, each slice
// with a checksum, as archives keep it.
TArguments Ffv1() {
  return {"-c:v",    "ffv1", "-level",    "3", "-g",       "1",
          "-slices", "4",    "-slicecrc", "1", "-pix_fmt", "bgr0"};
}

TArguments Audio(const TVideoSettings &S) {
  switch (S.Encoding.Audio) {
    case TAudioCodec::Flac:
      return {"-c:a", "flac"};
    case TAudioCodec::Opus:
      // libopus takes at most 256 kbit/s a channel, transparent long before.
      return {"-c:a", "libopus", "-b:a",
              std::to_string(std::min<int64_t>(S.Encoding.AudioBitrate, 256000))};
    case TAudioCodec::Aac:
      break;
  }
  return {"-c:a", "aac", "-b:a", std::to_string(S.Encoding.AudioBitrate)};
}

const char *Container(const TVideoSettings &S) {
  return Webm(S) ? "webm" : EndsWith(S.OutPath, ".mp4") ? "mp4" : "matroska";
}

}  // namespace

TArguments PartArguments(const TVideoSettings &S, const std::string &PartPath) {
  TArguments Args = {"-nostdin",
                     "-hide_banner",
                     "-loglevel",
                     "error",
                     "-y",
                     "-f",
                     "rawvideo",
                     "-pix_fmt",
                     "rgba",
                     "-s",
                     std::to_string(S.Width) + "x" + std::to_string(S.Height),
                     "-framerate",
                     S.Fps.Text(),
                     "-i",
                     "pipe:0"};
  switch (S.Encoding.Codec) {
    case TVideoCodec::Ffv1:
      Append(Args, Ffv1());
      break;
    case TVideoCodec::Vp9:
      Append(Args, Vp9(S));
      break;
    case TVideoCodec::H264:
      Append(Args, H264(S));
      break;
  }
  Append(Args, ColourTags(S));
  Append(Args, {"-f", "nut", PartPath});
  return Args;
}

TArguments JoinArguments(const TVideoSettings &S, const std::string &ListPath,
                         const std::string &IntoPath) {
  TArguments Args = {"-nostdin", "-hide_banner", "-loglevel", "error", "-y",    "-f",
                     "concat",   "-safe",        "0",         "-i",    ListPath};
  const bool Music = !S.MusicPath.empty();
  if (Music) {
    // Seek in the music to the first film frame's instant.
    Append(Args, {"-ss", Seconds(S.MusicFromMs), "-i", S.MusicPath});
  }
  Append(Args, {"-map", "0:v", "-c:v", "copy"});
  Append(Args, ColourTags(S));
  if (Music) {
    // The leader's frames play before the music; silence pads a short track
    // and -t ends the sound with the last frame, to the sample (-shortest
    // alone lets it run on by up to a few seconds of large packets).
    std::string Filter = "apad";
    if (S.LeaderFrames > 0) {
      const int64_t DelaySamples = S.LeaderFrames * 48000 * S.Fps.Seconds / S.Fps.Frames;
      Filter =
          "aresample=48000,adelay=delays=" + std::to_string(DelaySamples) + "S:all=1," + Filter;
    } else {
      Filter = "aresample=48000," + Filter;
    }
    Append(Args, {"-map", "1:a", "-af", Filter});
    Append(Args, Audio(S));
    Append(Args, {"-shortest", "-t", ExactSeconds(S.Frames, S.Fps)});
  }
  // No encoder's name or version in the file: the same frames give the same bytes.
  Append(Args, {"-fflags", "+bitexact", "-map_metadata", "-1"});
  if (EndsWith(S.OutPath, ".mp4")) Append(Args, {"-movflags", "+faststart"});
  // The container by name: the file being written has no telling extension.
  Append(Args, {"-f", Container(S), IntoPath});
  return Args;
}

TArguments MusicCheckArguments(const TVideoSettings &S) {
  TArguments Args = {
      "-nostdin", "-hide_banner",   "-loglevel", "error", "-ss",  Seconds(S.MusicFromMs),
      "-i",       S.MusicPath,      "-t",        "0.1",   "-map", "0:a",
      "-af",      "aresample=48000"};
  Append(Args, Audio(S));
  Append(Args, {"-f", "null", "-"});
  return Args;
}
