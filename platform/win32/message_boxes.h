// Real message boxes: MessageBoxW, owned by the window set with SetOwner
// while that window exists, else by the calling thread's active window, so
// that window (Outlook's) is disabled until the box is closed.
#pragma once

#include "platform/ui.h"

namespace vx::win {

class Win32MessageBoxes : public MessageBoxes {
 public:
  intptr_t SetOwner(intptr_t owner) noexcept override;

 protected:
  void Display(const Text& prompt, int32_t style, const Text& title) override;

 private:
  intptr_t owner_ = 0;
};

}  // namespace vx::win
