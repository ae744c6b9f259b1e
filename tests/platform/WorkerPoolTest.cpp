// The worker threads: results come back in full, exceptions too; a result asked for while every
// worker is busy is worked out on the asking thread instead of waiting; an abandoned job that no
// worker has started never runs.
#include "platform/WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {
// Holds every worker thread in a job until released.
struct BusyWorkers {
  std::mutex m;
  std::condition_variable cv;
  bool released = false;
  std::atomic<int> holding{0};
  std::vector<WorkerResult<int>> jobs;
  BusyWorkers() {
    for (int i = 0; i < workerCount(); ++i)
      jobs.push_back(runOnWorker<int>([this] {
        ++holding;
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [this] { return released; });
        return 0;
      }));
    while (holding < workerCount()) std::this_thread::yield();
  }
  ~BusyWorkers() {
    {
      std::lock_guard<std::mutex> lock(m);
      released = true;
    }
    cv.notify_all();
    for (auto& j : jobs) j.get();
  }
};
}  // namespace

TEST(WorkerPool, ResultsAndErrorsComeBack) {
  std::vector<WorkerResult<std::vector<int>>> results;
  for (int i = 0; i < 20; ++i) results.push_back(runOnWorker<std::vector<int>>([i] { return std::vector<int>(i, i); }));
  for (int i = 0; i < 20; ++i) EXPECT_EQ(results[i].get(), std::vector<int>(i, i));
  WorkerResult<int> failing = runOnWorker<int>([]() -> int { throw std::runtime_error("bad file"); });
  EXPECT_THROW(failing.get(), std::runtime_error);
}

TEST(WorkerPool, AResultNoWorkerStartedIsWorkedOutByTheAskingThread) {
  std::atomic<int> runs{0};
  std::thread::id ranOn;
  {
    BusyWorkers busy;
    WorkerResult<int> r = runOnWorker<int>([&] {
      ++runs;
      ranOn = std::this_thread::get_id();
      return 7;
    });
    EXPECT_EQ(r.get(), 7);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
    WorkerResult<int> dropped = runOnWorker<int>([&] { return ++runs; });
    dropped.abandon();
  }
  // The workers are free again and have passed the abandoned job by.
  EXPECT_EQ(runOnWorker<int>([] { return 1; }).get(), 1);
  EXPECT_EQ(runs, 1);
}
