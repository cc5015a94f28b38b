// An operator new that a test can make fail, for code that must survive
// running out of memory. Linked into the test programs (every file here is
// part of unit_tests) and into the test copy of Vellox.ocx; never shipped.
//
// Only the arming thread is affected: other threads (a test's window
// watcher, say) allocate as usual.
#pragma once

namespace vx::test {

// From now on the calling thread's nth allocation through operator new
// (1: the next one) fails, and every one after it, until AllowAllocations().
void FailAllocationsFrom(long nth);
void AllowAllocations();

// Allocations fail from the nth on while it lives.
class FailingAllocations {
 public:
  explicit FailingAllocations(long nth = 1) { FailAllocationsFrom(nth); }
  ~FailingAllocations() { AllowAllocations(); }
  FailingAllocations(const FailingAllocations&) = delete;
  FailingAllocations& operator=(const FailingAllocations&) = delete;
};

}  // namespace vx::test

// The same for a test program that loads a library built with this
// allocator: the library's own copy, found by name.
extern "C" void VxFailAllocationsFrom(long nth);
extern "C" void VxAllowAllocations();
