#pragma once
// A fixed set of threads that run one job at a time together with the thread that hands it out.
//
// Run(job, count) calls job(index) once for every index in [0, count) and returns once every
// call has returned. Index 0 runs on the caller; the others are claimed in turn by whichever thread
// is free first, the caller included, so a job never waits for a thread that has not woken (on a
// busy machine the caller may run them all). Between jobs the threads spin for a short while
// (draw calls of one frame follow each other closely) and then sleep on an atomic wait, so an
// idle pool costs no processor time. A thread woken from sleep takes tens of microseconds to run
// again, so after an idle gap the caller can Wake() the threads ahead of the work (at a frame's
// start); woken so, they spin longer than between jobs, ready for the first job. Nothing is
// allocated per job.

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace platform::raster {

class WorkerPool {
 public:
  // A pool of size workers in all, the caller included (size - 1 threads are started).
  explicit WorkerPool(int size);
  // Wakes the threads, asleep or not, and joins them.
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int Size() const { return size_; }

  // Rouses the threads that sleep so that they spin, ready for jobs about to come; returns at
  // once without handing out work. Called, like Run, by the thread that owns the pool.
  void Wake();

  // Whether any thread is asleep (or about to sleep) rather than spinning or working. A hint
  // only: a thread may fall asleep or wake right after.
  bool Asleep() const { return sleepers_.load(std::memory_order_relaxed) > 0; }

  // How many times a thread has come out of sleep, for tests and tools.
  std::uint64_t Wakeups() const { return wakeups_.load(std::memory_order_relaxed); }

  // Runs job(index) for every index in [0, count) (count from 1 to 65,535; more indices than
  // threads balance uneven ones), index 0 on the calling thread. The job must not throw, and an
  // index may wait for the work of another only while that other is already running (an index that
  // waits for one not yet claimed could wait forever).
  template <typename Job>
  void Run(Job& job, int count) {
    Start(
        &job, [](void* object, int index) { (*static_cast<Job*>(object))(index); }, count);
  }

 private:
  using Call = void (*)(void* object, int index);

  void Start(void* object, Call call, int count);
  void Serve();
  // Claims and runs indices of the job of generation `generation` until none is left.
  void Help(std::uint32_t generation);
  static void Pause();

  int size_;
  void* object_ = nullptr;
  Call call_ = nullptr;
  // Bumped once per job, per Wake and once more to stop; the threads sleep until it changes.
  std::atomic<std::uint32_t> generation_{0};
  // The job's generation in the high 32 bits, its count of indices in the next 16 and the next
  // index to claim in the low 16: one word, so a thread that wakes late can neither claim an
  // index of a later job nor judge its own job's indices by a later job's count.
  std::atomic<std::uint64_t> claim_{0};
  // Indices of the current job that have returned.
  std::atomic<std::uint32_t> done_{0};
  std::atomic<bool> stopping_{false};
  // Threads that have stopped spinning and sleep (or are about to).
  std::atomic<int> sleepers_{0};
  std::atomic<std::uint64_t> wakeups_{0};
  std::vector<std::thread> threads_;
};

}  // namespace platform::raster
