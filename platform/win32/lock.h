// A mutex that Windows 2000 has: a CRITICAL_SECTION behind lock()/unlock(),
// so std::lock_guard and std::unique_lock take it. The libraries are built
// with the win32 thread model, which has no std::mutex, and SRW locks and
// condition variables need Vista.
#pragma once

#include <windows.h>

namespace vx::win {

class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&section_); }
  ~CriticalSection() { DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void lock() { EnterCriticalSection(&section_); }
  void unlock() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

}  // namespace vx::win
