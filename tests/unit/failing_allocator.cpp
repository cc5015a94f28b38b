#include "tests/unit/failing_allocator.h"

#include <cstdlib>
#include <new>

namespace {

// 0: allocations succeed; n: the nth allocation from here fails, and all
// after it.
thread_local long t_untilFailure = 0;

void* Allocate(std::size_t size) noexcept {
  if (t_untilFailure == 1) return nullptr;
  if (t_untilFailure > 1) --t_untilFailure;
  return std::malloc(size ? size : 1);
}

void* AllocateOrThrow(std::size_t size) {
  void* memory = Allocate(size);
  if (!memory) throw std::bad_alloc();
  return memory;
}

}  // namespace

namespace vx::test {
void FailAllocationsFrom(long nth) { t_untilFailure = nth > 0 ? nth : 1; }
void AllowAllocations() { t_untilFailure = 0; }
}  // namespace vx::test

extern "C" void VxFailAllocationsFrom(long nth) { vx::test::FailAllocationsFrom(nth); }
extern "C" void VxAllowAllocations() { vx::test::AllowAllocations(); }

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
