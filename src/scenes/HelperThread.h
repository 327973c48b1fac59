// A second thread that the scenes hand one job at a time, for work that can
// run beside the drawing thread. It never calls GL and never touches the
// generator; the drawing thread waits for it before the job's data go away.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class THelperThread {
public:
  THelperThread() = default;
  THelperThread(const THelperThread &) = delete;
  THelperThread &operator=(const THelperThread &) = delete;
  ~THelperThread();

  // Starts Job on the helper (the thread is made on first use). The previous
  // job must have been waited for.
  void Start(std::function<void()> Job);
  // Returns once the job last started has finished.
  void Wait();

private:
  void Loop();

  std::thread Thread;
  std::mutex Lock;
  std::condition_variable Changed;
  std::function<void()> Pending;
  bool Busy = false;
  bool Quit = false;
};

// Whether a processor is free for a helper: more than one on this machine.
bool HelperThreadWorthwhile();
