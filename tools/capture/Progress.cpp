#include "Progress.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

// Minutes and seconds: "12:05".
std::string Clock(double Seconds) {
  const long long Whole = static_cast<long long>(Seconds);
  char Text[32];
  std::snprintf(Text, sizeof Text, "%lld:%02lld", Whole / 60, Whole % 60);
  return Text;
}

}  // namespace

TProgress::TProgress(int64_t FrameCount)
    : Total(FrameCount),
      Terminal(isatty(STDERR_FILENO) != 0),
      Started(std::chrono::steady_clock::now()),
      LastDrawn(Started) {}

void TProgress::Update(int64_t Done) {
  const auto Now = std::chrono::steady_clock::now();
  if (!Terminal) {
    if (LineDone >= 0 && Now - LastDrawn < LineInterval) return;
    LastDrawn = Now;
    return Line(Done);
  }
  if (Now - LastDrawn < std::chrono::milliseconds(250) && Done < Total) return;
  LastDrawn = Now;
  Draw(Done);
}

void TProgress::Finish(int64_t Done) {
  if (!Terminal) {
    if (Done != LineDone) Line(Done);
    return;
  }
  Draw(Done);
  std::fputc('\n', stderr);
}

double TProgress::Elapsed() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - Started).count();
}

void TProgress::Line(int64_t Done) {
  LineDone = Done;
  const double Seconds = Elapsed();
  // The time left at the pace so far; unknown before the first frame.
  const std::string Left =
      Done >= Total ? std::string()
      : Done > 0 ? ", about " + Clock(Seconds * static_cast<double>(Total - Done) / Done) + " left"
                 : std::string(", time left unknown");
  std::fprintf(stderr, "quillmoor-capture: %lld of %lld frames, %s elapsed%s\n",
               static_cast<long long>(Done), static_cast<long long>(Total), Clock(Seconds).c_str(),
               Left.c_str());
  std::fflush(stderr);
}

void TProgress::Draw(int64_t Done) {
  const double Seconds = Elapsed();
  const double Rate = Seconds > 0 ? static_cast<double>(Done) / Seconds : 0;
  const double Left = Rate > 0 ? static_cast<double>(Total - Done) / Rate : 0;
  constexpr int Width = 30;
  const int Filled = Total > 0 ? static_cast<int>(Done * Width / Total) : Width;
  const std::string Bar = std::string(static_cast<size_t>(Filled), '#') +
                          std::string(static_cast<size_t>(Width - Filled), '.');
  std::fprintf(stderr, "\r[%s] %lld/%lld frames  %.1f fps  %s left ", Bar.c_str(),
               static_cast<long long>(Done), static_cast<long long>(Total), Rate,
               Clock(Left).c_str());
  std::fflush(stderr);
}
