#include "sound/Mp3Probe.h"

#include <mpg123.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

// Junk tolerated before the first frame once any ID3v2 tag is skipped: an
// encoder's Info frame, which libmpg123 consumes without reporting it.
constexpr off_t LeadingSlack = 4096;

struct TFrameShape {
  int Version, Layer, Rate, Channels;
  bool operator==(const TFrameShape &Other) const {
    return Version == Other.Version && Layer == Other.Layer && Rate == Other.Rate &&
           Channels == Other.Channels;
  }
};

// The size of a leading ID3v2 tag (header, body and optional footer), or 0.
off_t Id3v2Size(int Fd) {
  unsigned char Header[10];
  if (pread(Fd, Header, sizeof Header, 0) != static_cast<ssize_t>(sizeof Header)) return 0;
  if (Header[0] != 'I' || Header[1] != 'D' || Header[2] != '3') return 0;
  off_t Body = 0;
  for (int i = 6; i < 10; ++i) {
    if (Header[i] & 0x80) return 0;  // not a syncsafe size: no tag
    Body = (Body << 7) | Header[i];
  }
  const off_t Footer = (Header[5] & 0x10) ? 10 : 0;
  return 10 + Body + Footer;
}

TFrameShape ShapeOf(const mpg123_frameinfo &Info) {
  return {static_cast<int>(Info.version), Info.layer, static_cast<int>(Info.rate),
          Info.mode == MPG123_M_MONO ? 1 : 2};
}

// Walks the first frames; true when ProbeFrames of them line up.
bool HasConsistentFrames(mpg123_handle *Handle, off_t DataStart) {
  TFrameShape First{};
  off_t ExpectedPos = -1;
  for (int Count = 0; Count < ProbeFrames; ++Count) {
    const int Result = mpg123_framebyframe_next(Handle);
    if (Result != MPG123_OK && Result != MPG123_NEW_FORMAT) return false;
    mpg123_frameinfo Info;
    if (mpg123_info(Handle, &Info) != MPG123_OK || Info.framesize <= 0) return false;
    const off_t Pos = mpg123_framepos(Handle);
    if (Count == 0) {
      if (Pos < 0 || Pos > DataStart + LeadingSlack) return false;
      First = ShapeOf(Info);
    } else if (Pos != ExpectedPos || !(ShapeOf(Info) == First)) {
      return false;
    }
    ExpectedPos = Pos + Info.framesize;
  }
  return true;
}

}  // namespace

TMp3OpenResult ProbeMp3(int Fd) {
  unsigned char Byte;
  const ssize_t Got = pread(Fd, &Byte, 1, 0);
  if (Got < 0) return TMp3OpenResult::LoadError;
  if (Got == 0) return TMp3OpenResult::UnknownFormat;  // empty file

  mpg123_handle *Handle = mpg123_new(nullptr, nullptr);
  if (Handle == nullptr) return TMp3OpenResult::OutOfMemory;
  mpg123_param(Handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  TMp3OpenResult Result = TMp3OpenResult::UnknownFormat;
  if (lseek(Fd, 0, SEEK_SET) == 0 && mpg123_open_fd(Handle, Fd) == MPG123_OK) {
    if (HasConsistentFrames(Handle, Id3v2Size(Fd))) Result = TMp3OpenResult::Ok;
    mpg123_close(Handle);
  }
  mpg123_delete(Handle);
  return Result;
}
