#include "platform/d3d/raster/WorkerPool.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "platform/d3d/raster/RasterConfig.h"

namespace platform::raster {

WorkerPool::WorkerPool(int size) : size_(size < 1 ? 1 : size) {
  threads_.reserve(static_cast<std::size_t>(size_ - 1));
  for (int i = 1; i < size_; ++i) threads_.emplace_back([this] { Serve(); });
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

void WorkerPool::Wake() {
  if (!Asleep()) return;  // every thread is spinning or working: nothing to rouse
  // A generation with no job: the threads see it change, find nothing to claim (the claim word
  // still names the previous job) and spin again.
  generation_.fetch_add(1, std::memory_order_release);
  generation_.notify_all();
}

void WorkerPool::Start(void* object, Call call, int count) {
  if (size_ == 1 || count <= 1) {
    for (int index = 0; index < count; ++index) call(object, index);
    return;
  }
  const std::uint32_t all = static_cast<std::uint32_t>(count);
  object_ = object;
  call_ = call;
  done_.store(0, std::memory_order_relaxed);
  const std::uint32_t generation = generation_.load(std::memory_order_relaxed) + 1;
  // Index 0 is the caller's. The releases publish the job to whoever claims from it.
  claim_.store(std::uint64_t{generation} << 32 | std::uint64_t{all} << 16 | 1u,
               std::memory_order_release);
  generation_.store(generation, std::memory_order_release);
  generation_.notify_all();
  call(object, 0);
  done_.fetch_add(1, std::memory_order_acq_rel);
  Help(generation);
  for (int spin = 0;; ++spin) {
    const std::uint32_t done = done_.load(std::memory_order_acquire);
    if (done == all) break;
    if (spin < kWorkerSpins) {
      Pause();
    } else {
      done_.wait(done, std::memory_order_acquire);
    }
  }
}

void WorkerPool::Help(std::uint32_t generation) {
  std::uint64_t claim = claim_.load(std::memory_order_acquire);
  for (;;) {
    const std::uint32_t index = claim & 0xFFFFu;
    const std::uint32_t all = (claim >> 16) & 0xFFFFu;
    if ((claim >> 32) != generation || index >= all) return;  // a later job's, or none left
    if (!claim_.compare_exchange_weak(claim, claim + 1, std::memory_order_acquire)) continue;
    call_(object_, static_cast<int>(index));
    if (done_.fetch_add(1, std::memory_order_acq_rel) + 1 == all) done_.notify_all();
    claim = claim_.load(std::memory_order_acquire);
  }
}

void WorkerPool::Serve() {
  std::uint32_t seen = 0;
  int spins = kWorkerSpins;
  for (;;) {
    // Spin a while for the next job, then sleep until the generation moves on.
    std::uint32_t now = generation_.load(std::memory_order_acquire);
    for (int spin = 0; now == seen && spin < spins; ++spin) {
      Pause();
      now = generation_.load(std::memory_order_acquire);
    }
    if (now == seen) {
      sleepers_.fetch_add(1, std::memory_order_relaxed);
      while (now == seen) {
        generation_.wait(seen, std::memory_order_acquire);
        now = generation_.load(std::memory_order_acquire);
      }
      sleepers_.fetch_sub(1, std::memory_order_relaxed);
      wakeups_.fetch_add(1, std::memory_order_relaxed);
    }
    seen = now;
    if (stopping_.load(std::memory_order_relaxed)) return;
    // A generation whose job is not in the claim word was a Wake: work is on its way, so spin
    // longer for it. (A job publishes its claim word before its generation.)
    const bool woken = (claim_.load(std::memory_order_acquire) >> 32) != now;
    spins = woken ? kWokenWorkerSpins : kWorkerSpins;
    if (!woken) Help(now);
  }
}

}  // namespace platform::raster
