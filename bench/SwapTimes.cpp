// Preloaded into the demo (LD_PRELOAD) by scripts/film-fps: after every buffer
// swap it notes the wall clock and the film's DemoTime of the frame just shown,
// and writes the list to QUILLMOOR_SWAP_LOG when the program ends. The demo
// is not changed for this: DemoTime is found at its offset in the executable
// (QUILLMOOR_DEMOTIME_OFFSET, read from the symbol table by the script) plus
// the executable's load address.
#include <dlfcn.h>
#include <link.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

struct SDL_Window;

namespace {

struct TSwap {
  int64_t WallNs;
  int64_t DemoTime;
};

// The whole film at a few hundred frames a second fits easily.
constexpr size_t Capacity = 1 << 20;

struct TSwapLog {
  std::vector<TSwap> Swaps;
  const int64_t *DemoTime = nullptr;

  TSwapLog() {
    Swaps.reserve(Capacity);
    const char *Offset = std::getenv("QUILLMOOR_DEMOTIME_OFFSET");
    if (!Offset) return;
    const uintptr_t Base = ProgramBase();
    DemoTime = reinterpret_cast<const int64_t *>(Base + std::strtoull(Offset, nullptr, 16));
  }

  ~TSwapLog() {
    const char *Path = std::getenv("QUILLMOOR_SWAP_LOG");
    if (!Path) return;
    FILE *File = std::fopen(Path, "w");
    if (!File) return;
    for (const TSwap &Swap : Swaps)
      std::fprintf(File, "%" PRId64 " %" PRId64 "\n", Swap.WallNs, Swap.DemoTime);
    std::fclose(File);
  }

  // The first object dl_iterate_phdr reports is the executable itself.
  static uintptr_t ProgramBase() {
    uintptr_t Base = 0;
    dl_iterate_phdr(
        [](dl_phdr_info *Info, size_t, void *Out) {
          *static_cast<uintptr_t *>(Out) = Info->dlpi_addr;
          return 1;
        },
        &Base);
    return Base;
  }
};

TSwapLog Log;

int64_t NowNs() {
  timespec Now;
  clock_gettime(CLOCK_MONOTONIC, &Now);
  return int64_t(Now.tv_sec) * 1000000000 + Now.tv_nsec;
}

}  // namespace

extern "C" void SDL_GL_SwapWindow(SDL_Window *Window) {
  using TSwapFunction = void (*)(SDL_Window *);
  static const auto Real = reinterpret_cast<TSwapFunction>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
  Real(Window);
  if (Log.Swaps.size() < Capacity)
    Log.Swaps.push_back({NowNs(), Log.DemoTime ? *Log.DemoTime : -1});
}
