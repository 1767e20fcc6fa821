#include "platform/d3d/raster/WorkerPool.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "platform/d3d/raster/RasterConfig.h"

namespace platform::raster {

WorkerPool::WorkerPool(int size) : size_(size < 1 ? 1 : size) {
  threads_.reserve(static_cast<std::size_t>(size_ - 1));
  for (int index = 1; index < size_; ++index)
    threads_.emplace_back([this, index] { Serve(index); });
}

WorkerPool::~WorkerPool() {
  stopping_.store(true, std::memory_order_relaxed);
  generation_.fetch_add(1, std::memory_order_release);
  generation_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void WorkerPool::Pause() {
#if defined(__x86_64__) || defined(__i386__)
  _mm_pause();
#else
  std::this_thread::yield();
#endif
}

void WorkerPool::Start(void* object, Call call) {
  if (size_ == 1) {
    call(object, 0);
    return;
  }
  object_ = object;
  call_ = call;
  pending_.store(size_ - 1, std::memory_order_relaxed);
  // The release publishes the job to the threads that see the new generation.
  generation_.fetch_add(1, std::memory_order_release);
  generation_.notify_all();
  call(object, 0);
  for (int spin = 0; pending_.load(std::memory_order_acquire) != 0; ++spin) {
    if (spin < kWorkerSpins) {
      Pause();
      continue;
    }
    const int left = pending_.load(std::memory_order_acquire);
    if (left != 0) pending_.wait(left, std::memory_order_acquire);
  }
}

void WorkerPool::Serve(int index) {
  std::uint32_t seen = 0;
  for (;;) {
    // Spin a little for the next job, then sleep until the generation moves on.
    std::uint32_t now = generation_.load(std::memory_order_acquire);
    for (int spin = 0; now == seen && spin < kWorkerSpins; ++spin) {
      Pause();
      now = generation_.load(std::memory_order_acquire);
    }
    while (now == seen) {
      generation_.wait(seen, std::memory_order_acquire);
      now = generation_.load(std::memory_order_acquire);
    }
    seen = now;
    if (stopping_.load(std::memory_order_relaxed)) return;
    call_(object_, index);
    if (pending_.fetch_sub(1, std::memory_order_acq_rel) == 1) pending_.notify_one();
  }
}

}  // namespace platform::raster
