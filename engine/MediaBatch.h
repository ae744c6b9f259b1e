// MediaBatch: loads of the texture and model caches done in batches. While a batch is open (the
// start-up load of LoadModels, the world map's textures) each file a cache asks for is read and
// decoded on a worker thread (platform/WorkerPool.h) and the request returns at once with its
// handle; the rest of the load (creating and filling the texture or vertex buffer, and every
// message it logs) runs later on the main thread, in the order the loads were asked for, so the
// handles, the slots' contents and the message log come out as a load one by one would leave
// them. At most a few loads per worker are in flight: the request that would exceed that
// finishes the oldest first. A slot's object is set when its load finishes; code that reads
// slot objects during a batch calls finishMediaLoads first. Closing the outermost batch finishes
// every load. Outside a batch a load runs at once: both halves in a row on the main thread.
//
// The halves given to loadMedia: decode runs on the worker and must touch nothing of the game
// (its inputs copied in, such as the file's resolved path); finish runs on the main thread with
// the decoded result and traps its own errors.
#pragma once
#include <functional>
#include <memory>
#include <utility>

#include "platform/WorkerPool.h"

// Main thread only.
void beginMediaBatch();
void endMediaBatch();     // the outermost end finishes every load
bool mediaBatchOpen();
void finishMediaLoads();  // finishes every load asked for so far, oldest first
// Queues the main-thread half of a load in flight (internal to loadMedia).
void queueMediaFinish(std::function<void()> finish);
// Tests and benchmarks: off makes batches load one by one on the main thread, as outside a
// batch (on by default).
void setMediaWorkers(bool on);
bool mediaWorkersOn();

template <class T>
void loadMedia(std::function<T()> decode, std::function<void(T&)> finish) {
  if (!mediaBatchOpen() || !mediaWorkersOn()) {
    T decoded = decode();
    finish(decoded);
    return;
  }
  auto result = std::make_shared<WorkerResult<T>>(runOnWorker<T>(std::move(decode)));
  queueMediaFinish([result, finish = std::move(finish)] {
    T decoded = result->get();
    finish(decoded);
  });
}

// A batch for the life of the object.
class MediaBatch {
 public:
  MediaBatch() { beginMediaBatch(); }
  ~MediaBatch();
  MediaBatch(const MediaBatch&) = delete;
  MediaBatch& operator=(const MediaBatch&) = delete;
};
