// AfterStart on a message-only window of the library's own: Post posts a
// message to it, and its window procedure runs the step when the host's
// message loop (or a modal loop of Outlook's) dispatches it.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <functional>

#include "platform/after_start.h"

namespace vx::win {

class AfterStartWindow final : public AfterStart {
 public:
  // owner: the COM object this belongs to. It is held while a step runs, so
  // that the host may let go of it meanwhile (a step may wait in a modal
  // window while Outlook disconnects the add-in) and it ends afterwards.
  explicit AfterStartWindow(IUnknown* owner) : owner_(owner) {}
  // Destroys the window; a queued step is dropped.
  ~AfterStartWindow() override;
  AfterStartWindow(const AfterStartWindow&) = delete;
  AfterStartWindow& operator=(const AfterStartWindow&) = delete;

  // Creates the window at the first post; failure 51 when it cannot be
  // created or the message not posted.
  void Post(std::function<void()> step) override;
  void Cancel() noexcept override;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Run() noexcept;

  IUnknown* owner_;
  HWND window_ = nullptr;
  std::function<void()> step_;
};

}  // namespace vx::win
