// Opening the music when memory or threads run out: the C-style call returns
// no handle and the error code, never an exception. The failures are injected
// by this test program's own allocator and thread start, armed only inside
// the test.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <stdlib.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>
#include <string>

#include "SoundFixtures.h"
#include "sound/Fmod.h"

namespace {

// Allocations of at least this many bytes fail while armed: the player's
// sample buffers, not the small objects around them.
constexpr size_t LargeAllocation = 64 * 1024;
std::atomic<bool> FailLargeAllocations{false};
std::atomic<bool> FailThreadStarts{false};

void *Allocate(size_t Size) {
  if (FailLargeAllocations.load() && Size >= LargeAllocation) return nullptr;
  return std::malloc(Size ? Size : 1);
}

void *AllocateOrThrow(size_t Size) {
  void *Block = Allocate(Size);
  if (Block == nullptr) throw std::bad_alloc();
  return Block;
}

}  // namespace

// Every plain form, so that whatever allocates also frees through malloc.
void *operator new(size_t Size) { return AllocateOrThrow(Size); }
void *operator new[](size_t Size) { return AllocateOrThrow(Size); }
void *operator new(size_t Size, const std::nothrow_t &) noexcept { return Allocate(Size); }
void *operator new[](size_t Size, const std::nothrow_t &) noexcept { return Allocate(Size); }
void operator delete(void *Block) noexcept { std::free(Block); }
void operator delete[](void *Block) noexcept { std::free(Block); }
void operator delete(void *Block, size_t) noexcept { std::free(Block); }
void operator delete[](void *Block, size_t) noexcept { std::free(Block); }
void operator delete(void *Block, const std::nothrow_t &) noexcept { std::free(Block); }
void operator delete[](void *Block, const std::nothrow_t &) noexcept { std::free(Block); }

extern "C" int pthread_create(pthread_t *Thread, const pthread_attr_t *Attributes,
                              void *(*Start)(void *), void *Argument) {
  using TCreate = int (*)(pthread_t *, const pthread_attr_t *, void *(*)(void *), void *);
  static const TCreate Real = reinterpret_cast<TCreate>(dlsym(RTLD_NEXT, "pthread_create"));
  if (FailThreadStarts.load()) return EAGAIN;
  return Real(Thread, Attributes, Start, Argument);
}

TEST(SoundOpenFailure, OutOfMemoryOrThreadsIsAnErrorCodeNotAnException) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ResetSoundSystem();
  TScratchFolder Folder;
  const std::string Music = Folder.Write("music.mp3", ToneMp3({}));
  ASSERT_TRUE(FSOUND_Init(44100, 32, 0));
  const struct {
    const char *Name;
    std::atomic<bool> &Switch;
    int Code;
  } Cases[] = {
      {"buffers", FailLargeAllocations, 12},    // "Not enough memory or resources"
      {"decoder thread", FailThreadStarts, 3},  // "Error initializing output device"
  };
  for (const auto &Case : Cases) {
    SCOPED_TRACE(Case.Name);
    Case.Switch = true;
    FSOUND_HANDLE Stream = 1;
    EXPECT_NO_THROW(Stream = FSOUND_Stream_Open(Music.c_str(), 304, 0, 0));
    Case.Switch = false;
    EXPECT_EQ(Stream, 0u);
    EXPECT_EQ(FSOUND_GetError(), Case.Code);
  }
  // Nothing was left half made: the next open plays.
  const FSOUND_HANDLE Stream = FSOUND_Stream_Open(Music.c_str(), 304, 0, 0);
  EXPECT_NE(Stream, 0u);
  EXPECT_TRUE(FSOUND_Stream_Play(-1, Stream));
  ResetSoundSystem();
}
