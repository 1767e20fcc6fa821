// Counts the heap allocations made through operator new while a piece of work runs, so a test
// can show that a hot path allocates nothing. The counting operator new lives in
// AllocationCounter.cpp; a test executable that links it counts every allocation of its process.
#pragma once

#include <cstdint>

namespace testsupport {

// Allocations made so far by the process (through operator new).
std::uint64_t AllocationCount();

// The allocations work() made.
template <class Work>
std::uint64_t AllocationsDuring(Work work) {
  const std::uint64_t before = AllocationCount();
  work();
  return AllocationCount() - before;
}

}  // namespace testsupport
