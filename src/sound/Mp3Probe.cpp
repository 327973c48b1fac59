#include "sound/Mp3Probe.h"

#include <mpg123.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

// Bytes the decoder may skip looking for the first frame once it has skipped
// any ID3v2 tag itself: room for an encoder's Info frame, which libmpg123
// consumes without reporting it.
constexpr long LeadingSlack = 4096;

struct TFrameShape {
  int Version, Layer, Rate, Channels;
  bool operator==(const TFrameShape &Other) const {
    return Version == Other.Version && Layer == Other.Layer && Rate == Other.Rate &&
           Channels == Other.Channels;
  }
};

TFrameShape ShapeOf(const mpg123_frameinfo &Info) {
  return {static_cast<int>(Info.version), Info.layer, static_cast<int>(Info.rate),
          Info.mode == MPG123_M_MONO ? 1 : 2};
}

// The decoder does the byte-level work: it skips an ID3v2 tag, searches at
// most LeadingSlack bytes for the first frame, and with resync off refuses
// anything but a frame right where the previous one ended. What it does not
// check is that the frames agree with each other: a stray header in random
// bytes can chain to another that claims a different rate or layer.
mpg123_handle *NewStrictDecoder() {
  mpg123_handle *Handle = mpg123_new(nullptr, nullptr);
  if (Handle == nullptr) return nullptr;
  if (mpg123_param(Handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_NO_RESYNC, 0) != MPG123_OK ||
      mpg123_param(Handle, MPG123_RESYNC_LIMIT, LeadingSlack, 0) != MPG123_OK) {
    mpg123_delete(Handle);
    return nullptr;
  }
  return Handle;
}

// Walks the first frames; true when ProbeFrames of them follow each other
// and agree on version, layer, rate and channel count.
bool HasConsistentFrames(mpg123_handle *Handle) {
  TFrameShape First{};
  for (int Count = 0; Count < ProbeFrames; ++Count) {
    const int Result = mpg123_framebyframe_next(Handle);
    if (Result != MPG123_OK && Result != MPG123_NEW_FORMAT) return false;
    mpg123_frameinfo Info;
    if (mpg123_info(Handle, &Info) != MPG123_OK || Info.framesize <= 0) return false;
    if (Count == 0)
      First = ShapeOf(Info);
    else if (!(ShapeOf(Info) == First))
      return false;
  }
  return true;
}

}  // namespace

TMp3OpenResult ProbeMp3(int Fd) {
  unsigned char Byte;
  const ssize_t Got = pread(Fd, &Byte, 1, 0);
  if (Got < 0) return TMp3OpenResult::LoadError;
  if (Got == 0) return TMp3OpenResult::UnknownFormat;  // empty file

  mpg123_handle *Handle = NewStrictDecoder();
  if (Handle == nullptr) return TMp3OpenResult::OutOfMemory;
  TMp3OpenResult Result = TMp3OpenResult::UnknownFormat;
  if (lseek(Fd, 0, SEEK_SET) == 0 && mpg123_open_fd(Handle, Fd) == MPG123_OK) {
    if (HasConsistentFrames(Handle)) Result = TMp3OpenResult::Ok;
    mpg123_close(Handle);
  }
  mpg123_delete(Handle);
  return Result;
}
