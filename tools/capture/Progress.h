// The progress line on a terminal: frames done of the total, frames per
// second, time left. Silent when standard error is not a terminal.
#pragma once

#include <chrono>
#include <cstdint>

class TProgress {
public:
  explicit TProgress(int64_t Total);
  // Frames done so far; redraws at most a few times a second.
  void Update(int64_t Done);
  // Ends the line (after a last redraw).
  void Finish(int64_t Done);

private:
  void Draw(int64_t Done);
  int64_t Total;
  bool Shown;
  std::chrono::steady_clock::time_point Started, LastDrawn;
};
