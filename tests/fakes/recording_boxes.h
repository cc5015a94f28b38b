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
  intptr_t owner = 0;  // as set with SetOwner, 0 for the active window
};

class RecordingBoxes : public MessageBoxes {
 public:
  void Display(const Text& prompt, int32_t style, const Text& title) override {
    shown.push_back({prompt, style, title, owner_});
    if (onShow) onShow();  // what the user does while the box is up
  }
  intptr_t SetOwner(intptr_t owner) noexcept override {
    intptr_t previous = owner_;
    owner_ = owner;
    return previous;
  }
  std::vector<ShownBox> shown;
  std::function<void()> onShow;

 private:
  intptr_t owner_ = 0;
};

}  // namespace vx::fake
