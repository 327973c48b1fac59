// The capture's progress on stderr: on a terminal a bar redrawn in place
// (frames done of the total, frames per second, time left); elsewhere (a log,
// a CI job) one line for the first frame done, then one every few seconds,
// and one at the end.
#pragma once

#include <chrono>
#include <cstdint>

class TProgress {
public:
  explicit TProgress(int64_t Total);
  // Frames done so far; redraws the bar at most a few times a second, or
  // writes a line when the last is LineInterval old.
  void Update(int64_t Done);
  // Ends the bar (after a last redraw), or writes the last line.
  void Finish(int64_t Done);

  static constexpr std::chrono::seconds LineInterval{5};

private:
  void Draw(int64_t Done);
  void Line(int64_t Done);
  double Elapsed() const;
  int64_t Total;
  bool Terminal;
  int64_t LineDone = -1;  // the frames the last line gave; -1: none yet
  std::chrono::steady_clock::time_point Started, LastDrawn;
};
