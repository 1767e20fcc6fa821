#pragma once
// A fixed set of threads that run one job at a time together with the thread that hands it out.
//
// Run(job) calls job(0) on the caller and job(1) .. job(Size() - 1) on the pool's threads, and
// returns once every call has returned. Between jobs the threads spin for a short while (draw
// calls of one frame follow each other closely) and then sleep on an atomic wait, so an idle
// pool costs no processor time. Nothing is allocated per job.

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace platform::raster {

class WorkerPool {
 public:
  // A pool of size workers in all, the caller included (size - 1 threads are started).
  explicit WorkerPool(int size);
  // Wakes the threads, parked or not, and joins them.
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int Size() const { return size_; }

  // Runs job(index) for every index in [0, Size()), index 0 on the calling thread. The job
  // must not throw; it may wait for work of other indices only through memory it shares.
  template <typename Job>
  void Run(Job& job) {
    Start(&job, [](void* object, int index) { (*static_cast<Job*>(object))(index); });
  }

 private:
  using Call = void (*)(void* object, int index);

  void Start(void* object, Call call);
  void Serve(int index);
  static void Pause();

  int size_;
  void* object_ = nullptr;
  Call call_ = nullptr;
  // Bumped once per job (and once more to stop); the threads wait for it to change.
  std::atomic<std::uint32_t> generation_{0};
  // The pool's threads still running the current job.
  std::atomic<int> pending_{0};
  std::atomic<bool> stopping_{false};
  std::vector<std::thread> threads_;
};

}  // namespace platform::raster
