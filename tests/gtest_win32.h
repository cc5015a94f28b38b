// Included before GoogleTest in the Windows builds. The win32 thread model
// they use has no std::mutex or std::condition_variable, which GoogleTest's
// Notification is built on; this one waits on an event instead. Everything
// else in GoogleTest already uses Windows' own primitives there.
#pragma once

#define GTEST_HAS_NOTIFICATION_ 1
#include <windows.h>

namespace testing::internal {

class Notification {
 public:
  Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace testing::internal
