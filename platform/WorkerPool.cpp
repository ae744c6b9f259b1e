// The worker threads: one queue, taken in order; the threads are joined when the program ends
// (a job still queued then is run first). They are SDL threads, so that what SDL keeps per
// thread (its error text, set by the wave reader) is freed when they end.
// Depends on SDL2 (threads).
#include "platform/WorkerPool.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {
class WorkerPool {
 public:
  static WorkerPool& get() {
    static WorkerPool pool;
    return pool;
  }
  ~WorkerPool() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (SDL_Thread* t : threads_) SDL_WaitThread(t, nullptr);
  }
  void submit(std::function<void()> job) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      start();
      jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
  }
  int count() {
    std::lock_guard<std::mutex> lock(mutex_);
    start();
    return static_cast<int>(threads_.size());
  }

 private:
  // Called with the lock held.
  void start() {
    if (!threads_.empty()) return;
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    const int n = std::clamp(cores - 1, 1, 6);
    for (int i = 0; i < n; ++i)
      if (SDL_Thread* t = SDL_CreateThread(&WorkerPool::threadMain, "media worker", this)) threads_.push_back(t);
  }
  static int threadMain(void* pool) {
    static_cast<WorkerPool*>(pool)->run();
    return 0;
  }
  void run() {
    for (;;) {
      std::function<void()> job;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) return;  // stopping, nothing left
        job = std::move(jobs_.front());
        jobs_.pop_front();
      }
      job();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  std::vector<SDL_Thread*> threads_;
  bool stopping_ = false;
};
}  // namespace

void submitWorkerJob(std::function<void()> job) { WorkerPool::get().submit(std::move(job)); }
int workerCount() { return WorkerPool::get().count(); }
