// Worker threads for pure work handed off by the main thread: reading and decoding media files
// while the main thread creates the device objects. A job must touch nothing the main thread
// may use meanwhile: its inputs are copied into it and its result comes back through the future
// (an exception it raises comes back there too). Jobs start in the order they were given.
//
// Threads start with the first job: one less than the machine's cores, at least 1 and at most
// 6. They wait for work without spinning and end with the program.
#pragma once
#include <functional>
#include <future>
#include <memory>
#include <utility>

// Starts job on a worker thread (internal to runOnWorker).
void submitWorkerJob(std::function<void()> job);
// The number of worker threads (starting them when none run yet).
int workerCount();

// Runs job on a worker thread; the future gives its result once it has run.
template <class T>
std::future<T> runOnWorker(std::function<T()> job) {
  auto task = std::make_shared<std::packaged_task<T()>>(std::move(job));
  std::future<T> result = task->get_future();
  submitWorkerJob([task] { (*task)(); });
  return result;
}
