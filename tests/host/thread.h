// A joinable thread for the Windows-side tests, on CreateThread: the win32
// thread model the libraries and tests are built with has no std::thread.
#pragma once

#include <windows.h>

#include <functional>
#include <utility>

namespace vx::host {

class Thread {
 public:
  explicit Thread(std::function<void()> body) : body_(std::move(body)) {
    handle_ = CreateThread(nullptr, 0, &Thread::Start, this, 0, nullptr);
  }
  ~Thread() { join(); }
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Waits for the body to return; later calls return at once.
  void join() {
    if (!handle_) return;
    WaitForSingleObject(handle_, INFINITE);
    CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  static DWORD WINAPI Start(void* self) {
    static_cast<Thread*>(self)->body_();
    return 0;
  }

  std::function<void()> body_;
  HANDLE handle_ = nullptr;
};

}  // namespace vx::host
