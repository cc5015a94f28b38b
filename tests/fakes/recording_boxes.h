// Message boxes that record what they would show, for the logic's tests.
#pragma once

#include <functional>
#include <vector>

#include "platform/ui.h"

namespace vx::fake {

struct ShownBox {
  Text prompt;
  int32_t style;
  Text title;
};

class RecordingBoxes : public MessageBoxes {
 public:
  void Show(const Text& prompt, int32_t style, const Text& title) override {
    shown.push_back({prompt, style, title});
    if (onShow) onShow();  // what the user does while the box is up
  }
  std::vector<ShownBox> shown;
  std::function<void()> onShow;
};

}  // namespace vx::fake
