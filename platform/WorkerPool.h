// Worker threads for pure work handed off by the main thread: reading and decoding media files
// while the main thread creates the device objects. A job must touch nothing the main thread
// may use meanwhile: its inputs are copied into it and its result comes back through its
// WorkerResult (an exception it raises comes back there too). Jobs start in the order given.
//
// A result asked for before any worker has started its job is worked out at once on the asking
// thread: when the machine's cores are busy the main thread never waits for a job that nobody
// runs yet.
//
// Threads start with the first job: one less than the machine's cores, at least 1 and at most
// 6. They wait for work without spinning and end with the program.
#pragma once
#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <utility>

// One job's result: get() gives it once, waiting for the worker that runs it, or running it here
// when no worker has started it yet.
template <class T>
class WorkerResult {
 public:
  WorkerResult() = default;
  T get() {
    if (job_ && job_->claim()) job_->run();
    return future_.get();
  }
  bool valid() const { return future_.valid(); }
  // The result is not wanted: a job no worker has started yet is skipped.
  void abandon() {
    if (job_) job_->claim();
    job_.reset();
    future_ = {};
  }

 private:
  template <class U>
  friend WorkerResult<U> runOnWorker(std::function<U()> job);
  struct Job {
    std::function<T()> work;
    std::promise<T> promise;
    std::atomic<bool> claimed{false};
    bool claim() { return !claimed.exchange(true); }
    void run() {
      try {
        promise.set_value(work());
      } catch (...) {
        promise.set_exception(std::current_exception());
      }
      work = nullptr;
    }
  };
  std::shared_ptr<Job> job_;
  std::future<T> future_;
};

// Starts job on a worker thread (internal to runOnWorker).
void submitWorkerJob(std::function<void()> job);
// The number of worker threads (starting them when none run yet).
int workerCount();

// Hands job to the worker threads.
template <class T>
WorkerResult<T> runOnWorker(std::function<T()> job) {
  WorkerResult<T> result;
  result.job_ = std::make_shared<typename WorkerResult<T>::Job>();
  result.job_->work = std::move(job);
  result.future_ = result.job_->promise.get_future();
  submitWorkerJob([job = result.job_] {
    if (job->claim()) job->run();
  });
  return result;
}
