#include "sound/Mp3Source.h"

#include <fcntl.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "sound/Mp3Probe.h"

namespace {

// A decode call that returns nothing this many times in a row is stuck.
constexpr int MaxEmptyReads = 64;

TMp3OpenResult OpenFile(const char *Path, int &Fd) {
  // O_NONBLOCK keeps a FIFO named like the music from hanging the open; it
  // has no effect on the regular files accepted below.
  Fd = open(Path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (Fd < 0) {
    return (errno == ENOENT || errno == ENOTDIR) ? TMp3OpenResult::NotFound
                                                 : TMp3OpenResult::LoadError;
  }
  struct stat Info;
  if (fstat(Fd, &Info) != 0 || !S_ISREG(Info.st_mode)) return TMp3OpenResult::LoadError;
  return TMp3OpenResult::Ok;
}

// Asks the decoder for float stereo at whatever rate the file has.
bool ConfigureOutput(mpg123_handle *Handle) {
  if (mpg123_param(Handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FORCE_STEREO, 0) != MPG123_OK)
    return false;
  if (mpg123_format_none(Handle) != MPG123_OK) return false;
  const long *Rates = nullptr;
  size_t RateCount = 0;
  mpg123_rates(&Rates, &RateCount);
  for (size_t i = 0; i < RateCount; ++i) {
    if (mpg123_format(Handle, Rates[i], MPG123_STEREO, MPG123_ENC_FLOAT_32) != MPG123_OK)
      return false;
  }
  return true;
}

}  // namespace

TMp3Source::~TMp3Source() { Release(); }

void TMp3Source::Release() {
  if (Handle != nullptr) {
    mpg123_close(Handle);
    mpg123_delete(Handle);
    Handle = nullptr;
  }
  if (Fd >= 0) close(Fd);
  Fd = -1;
  CurrentRate = 0;
  Ended = false;
}

TMp3OpenResult TMp3Source::Open(const char *Path) {
  Release();
  TMp3OpenResult Result = OpenFile(Path, Fd);
  if (Result == TMp3OpenResult::Ok) Result = ProbeMp3(Fd);
  if (Result == TMp3OpenResult::Ok) {
    Handle = mpg123_new(nullptr, nullptr);
    if (Handle == nullptr) Result = TMp3OpenResult::OutOfMemory;
  }
  if (Result == TMp3OpenResult::Ok && (!ConfigureOutput(Handle) || lseek(Fd, 0, SEEK_SET) != 0 ||
                                       mpg123_open_fd(Handle, Fd) != MPG123_OK))
    Result = TMp3OpenResult::LoadError;
  if (Result != TMp3OpenResult::Ok) Release();
  return Result;
}

int64_t TMp3Source::LengthMs() {
  if (Handle == nullptr || mpg123_scan(Handle) != MPG123_OK) return -1;
  const off_t Samples = mpg123_length(Handle);
  mpg123_frameinfo Info{};
  if (Samples < 0 || mpg123_info(Handle, &Info) != MPG123_OK || Info.rate <= 0) return -1;
  return static_cast<int64_t>(Samples) * 1000 / Info.rate;
}

int64_t Mp3LengthMs(const char *Path) {
  TMp3Source Source;
  return Source.Open(Path) == TMp3OpenResult::Ok ? Source.LengthMs() : -1;
}

size_t TMp3Source::Read(float *Out, size_t MaxFrames) {
  if (Handle == nullptr || Ended) return 0;
  unsigned char *Bytes = reinterpret_cast<unsigned char *>(Out);
  const size_t Wanted = MaxFrames * 2 * sizeof(float);
  for (int Attempt = 0; Attempt < MaxEmptyReads; ++Attempt) {
    size_t Done = 0;
    const int Result = mpg123_read(Handle, Bytes, Wanted, &Done);
    if (Result == MPG123_NEW_FORMAT || CurrentRate == 0) {
      long Rate = 0;
      int Channels = 0, Encoding = 0;
      if (mpg123_getformat(Handle, &Rate, &Channels, &Encoding) == MPG123_OK)
        CurrentRate = static_cast<int>(Rate);
    }
    if (Done > 0) return Done / (2 * sizeof(float));
    // Nothing came out: a format change or an input hiccup is retried, the
    // end of the stream and any hard decoder fault end it.
    if (Result != MPG123_NEW_FORMAT && Result != MPG123_NEED_MORE && Result != MPG123_OK) break;
  }
  Ended = true;
  return 0;
}
