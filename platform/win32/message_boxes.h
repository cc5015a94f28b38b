// Real message boxes: MessageBoxW, owned by the calling thread's active
// window, so that window (Outlook's) is disabled until the box is closed.
#pragma once

#include "platform/ui.h"

namespace vx::win {

class Win32MessageBoxes : public MessageBoxes {
 public:
  void Show(const Text& prompt, int32_t style, const Text& title) override;
};

}  // namespace vx::win
