// An MP3 file decoded a chunk at a time with libmpg123, always as interleaved
// stereo float frames at the file's own rate (mono is doubled to both sides).
// Opening checks that the file really is MPEG audio before accepting it.
#pragma once

#include <cstddef>
#include <cstdint>

struct mpg123_handle_struct;

enum class TMp3OpenResult { Ok, NotFound, LoadError, UnknownFormat, OutOfMemory };

class TMp3Source {
public:
  TMp3Source() = default;
  TMp3Source(const TMp3Source &) = delete;
  TMp3Source &operator=(const TMp3Source &) = delete;
  ~TMp3Source();

  TMp3OpenResult Open(const char *Path);

  // Decodes up to MaxFrames frames into Out. Returns the frames written; 0
  // only at the end of the stream or after a fault the decoder cannot pass.
  size_t Read(float *Out, size_t MaxFrames);

  // The length of the whole file in milliseconds, from a scan of all its
  // frames; -1 when it cannot be told. Call it before any Read.
  int64_t LengthMs();

  // The sample rate of the frames the last Read returned (it can change
  // mid-stream when a file joins parts of different rates).
  int Rate() const { return CurrentRate; }

private:
  void Release();

  mpg123_handle_struct *Handle = nullptr;
  int Fd = -1;
  int CurrentRate = 0;
  bool Ended = false;
};

// The length of the MP3 file at Path in milliseconds, or -1 when it is not
// one or its length cannot be told.
int64_t Mp3LengthMs(const char *Path);
