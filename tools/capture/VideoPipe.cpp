#include "VideoPipe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

bool EndsWith(const std::string &Text, const char *Tail) {
  const size_t Length = std::strlen(Tail);
  return Text.size() >= Length && Text.compare(Text.size() - Length, Length, Tail) == 0;
}

std::string Seconds(int64_t Milliseconds) {
  return std::to_string(Milliseconds / 1000) + "." + std::to_string(1000 + Milliseconds % 1000).substr(1);
}

}  // namespace

std::string FindFfmpeg() {
  const char *Path = std::getenv("PATH");
  std::string Folders = Path ? Path : "/usr/bin:/bin";
  size_t Begin = 0;
  while (Begin <= Folders.size()) {
    size_t End = Folders.find(':', Begin);
    if (End == std::string::npos) End = Folders.size();
    const std::string Folder = Folders.substr(Begin, End - Begin);
    const std::string Candidate = (Folder.empty() ? "." : Folder) + "/ffmpeg";
    struct stat Info;
    if (stat(Candidate.c_str(), &Info) == 0 && S_ISREG(Info.st_mode) &&
        access(Candidate.c_str(), X_OK) == 0)
      return Candidate;
    Begin = End + 1;
  }
  return {};
}

std::vector<std::string> PartArguments(const TVideoSettings &S, const std::string &PartPath) {
  std::vector<std::string> Args = {"-nostdin", "-hide_banner", "-loglevel", "error", "-y",
                                   "-f", "rawvideo", "-pix_fmt", "rgba", "-s",
                                   std::to_string(S.Width) + "x" + std::to_string(S.Height),
                                   "-framerate", std::to_string(S.Fps), "-i", "pipe:0"};
  if (EndsWith(S.OutPath, ".webm")) {
    Args.insert(Args.end(), {"-c:v", "libvpx-vp9", "-b:v", "0", "-crf", "32", "-row-mt", "1",
                             "-deadline", "good", "-cpu-used", "4", "-pix_fmt", "yuv420p"});
  } else {
    // 4:2:0 needs even sides: an odd frame gets one black row or column.
    Args.insert(Args.end(), {"-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2", "-c:v", "libx264",
                             "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p"});
  }
  Args.insert(Args.end(), {"-f", "nut", PartPath});
  return Args;
}

std::vector<std::string> JoinArguments(const TVideoSettings &S, const std::string &ListPath) {
  const bool Webm = EndsWith(S.OutPath, ".webm");
  std::vector<std::string> Args = {"-nostdin", "-hide_banner", "-loglevel", "error", "-y",
                                   "-f", "concat", "-safe", "0", "-i", ListPath};
  const bool Music = !S.MusicPath.empty();
  if (Music) {
    // Seek in the music to the first film frame's instant.
    Args.insert(Args.end(), {"-ss", Seconds(S.MusicFromMs), "-i", S.MusicPath});
  }
  Args.insert(Args.end(), {"-map", "0:v", "-c:v", "copy"});
  if (Music) {
    // The leader's frames play before the music; silence pads a short track
    // and -shortest ends the sound with the last frame.
    std::string Filter = "apad";
    if (S.LeaderFrames > 0) {
      const int64_t DelaySamples = S.LeaderFrames * 48000 / S.Fps;
      Filter = "aresample=48000,adelay=delays=" + std::to_string(DelaySamples) + "S:all=1," + Filter;
    } else {
      Filter = "aresample=48000," + Filter;
    }
    Args.insert(Args.end(), {"-map", "1:a", "-af", Filter, "-c:a", Webm ? "libopus" : "aac",
                             "-b:a", "192k", "-shortest"});
  }
  // No encoder's name or version in the file: the same frames give the same bytes.
  Args.insert(Args.end(), {"-fflags", "+bitexact", "-map_metadata", "-1"});
  if (EndsWith(S.OutPath, ".mp4")) Args.insert(Args.end(), {"-movflags", "+faststart"});
  Args.push_back(S.OutPath);
  return Args;
}

bool TVideoPipe::Start(const std::vector<std::string> &Args, std::string &Error) {
  const std::string Program = FindFfmpeg();
  if (Program.empty()) {
    Error = "the ffmpeg program is not installed (Debian package: ffmpeg)";
    return false;
  }
  int Ends[2];
  if (pipe2(Ends, O_CLOEXEC) != 0) {
    Error = std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno);
    return false;
  }
  std::vector<char *> Argv;
  Argv.push_back(const_cast<char *>(Program.c_str()));
  for (const std::string &Arg : Args) Argv.push_back(const_cast<char *>(Arg.c_str()));
  Argv.push_back(nullptr);

  Child = fork();
  if (Child == 0) {
    setpgid(0, 0);
    dup2(Ends[0], STDIN_FILENO);
    execv(Program.c_str(), Argv.data());
    _exit(127);
  }
  close(Ends[0]);
  if (Child < 0) {
    close(Ends[1]);
    Error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
    return false;
  }
  Fd = Ends[1];
  return true;
}

bool TVideoPipe::Write(const uint8_t *Rgba, size_t Bytes, std::string &Error) {
  while (Bytes > 0) {
    const ssize_t Written = write(Fd, Rgba, Bytes);
    if (Written < 0 && errno == EINTR) continue;
    if (Written <= 0) {
      Error = "ffmpeg stopped taking frames (see its message above)";
      return false;
    }
    Rgba += Written;
    Bytes -= static_cast<size_t>(Written);
  }
  return true;
}

bool TVideoPipe::Finish(std::string &Error) {
  if (Fd >= 0) close(Fd);
  Fd = -1;
  if (Child <= 0) return false;
  int Status = 0;
  while (waitpid(Child, &Status, 0) < 0 && errno == EINTR) {
  }
  Child = -1;
  if (WIFEXITED(Status) && WEXITSTATUS(Status) == 0) return true;
  Error = "ffmpeg failed (status " + std::to_string(WIFEXITED(Status) ? WEXITSTATUS(Status) : -1) +
          ")";
  return false;
}

TVideoPipe::~TVideoPipe() {
  std::string Ignored;
  if (Child > 0) Finish(Ignored);
}
