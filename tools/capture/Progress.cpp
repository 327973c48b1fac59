#include "Progress.h"

#include <unistd.h>

#include <cstdio>
#include <string>

TProgress::TProgress(int64_t FrameCount)
    : Total(FrameCount),
      Shown(isatty(STDERR_FILENO) != 0),
      Started(std::chrono::steady_clock::now()),
      LastDrawn(Started) {}

void TProgress::Update(int64_t Done) {
  if (!Shown) return;
  const auto Now = std::chrono::steady_clock::now();
  if (Now - LastDrawn < std::chrono::milliseconds(250) && Done < Total) return;
  LastDrawn = Now;
  Draw(Done);
}

void TProgress::Finish(int64_t Done) {
  if (!Shown) return;
  Draw(Done);
  std::fputc('\n', stderr);
}

void TProgress::Draw(int64_t Done) {
  const double Elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - Started).count();
  const double Rate = Elapsed > 0 ? static_cast<double>(Done) / Elapsed : 0;
  const int64_t Left =
      Rate > 0 ? static_cast<int64_t>(static_cast<double>(Total - Done) / Rate) : 0;
  constexpr int Width = 30;
  const int Filled = Total > 0 ? static_cast<int>(Done * Width / Total) : Width;
  const std::string Bar = std::string(static_cast<size_t>(Filled), '#') +
                          std::string(static_cast<size_t>(Width - Filled), '.');
  std::fprintf(stderr, "\r[%s] %lld/%lld frames  %.1f fps  %lld:%02lld left ", Bar.c_str(),
               static_cast<long long>(Done), static_cast<long long>(Total), Rate,
               static_cast<long long>(Left / 60), static_cast<long long>(Left % 60));
  std::fflush(stderr);
}
