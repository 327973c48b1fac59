#include "scenes/HelperThread.h"

#include <utility>

THelperThread::~THelperThread() {
  if (!Thread.joinable()) return;
  {
    std::lock_guard<std::mutex> Guard(Lock);
    Quit = true;
  }
  Changed.notify_all();
  Thread.join();
}

void THelperThread::Start(std::function<void()> Job) {
  {
    std::lock_guard<std::mutex> Guard(Lock);
    Pending = std::move(Job);
    Busy = true;
  }
  if (!Thread.joinable()) Thread = std::thread([this] { Loop(); });
  Changed.notify_all();
}

void THelperThread::Wait() {
  std::unique_lock<std::mutex> Guard(Lock);
  Changed.wait(Guard, [this] { return !Busy; });
}

void THelperThread::Loop() {
  std::unique_lock<std::mutex> Guard(Lock);
  for (;;) {
    Changed.wait(Guard, [this] { return Quit || Pending; });
    if (Quit) return;
    std::function<void()> Job = std::move(Pending);
    Pending = nullptr;
    Guard.unlock();
    Job();
    Guard.lock();
    Busy = false;
    Changed.notify_all();
  }
}

bool HelperThreadWorthwhile() {
  static const bool Worthwhile = std::thread::hardware_concurrency() > 1;
  return Worthwhile;
}
