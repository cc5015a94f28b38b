// Modal message boxes. Every box of the system goes through this interface:
// the real one blocks the user-interface thread until the user closes it; the
// test double records prompt, style and title.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/text.h"

namespace vx {

// The application title of both libraries: the title of every box that names
// no other.
inline constexpr TextView kAppTitle = u"Vellox";

namespace mb {
inline constexpr int32_t kOkOnly = 0;     // one OK button, no icon
inline constexpr int32_t kCritical = 16;  // the stop-sign icon, one OK button
}  // namespace mb

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows a modal box and returns when the user has closed it; while boxes
  // are held, queues it instead. Never raises.
  void Show(const Text& prompt, int32_t style, const Text& title) {
    if (holding_) {
      try {
        held_.push_back({prompt, style, title});
        return;
      } catch (...) {
        // No room to queue it: shown at once rather than lost.
      }
    }
    Display(prompt, style, title);
  }
  // The window that owns (and so disables) the boxes shown from now on: a
  // window handle, or 0 for the calling thread's active window (the
  // default). Returns the owner set before.
  virtual intptr_t SetOwner(intptr_t owner) noexcept = 0;

  // While held, boxes wait: a call that Outlook times must not wait for the
  // user. ShowHeld shows what waits, in order, once waiting is allowed.
  void Hold(bool hold) noexcept { holding_ = hold; }
  void ShowHeld() {
    std::vector<HeldBox> boxes;
    boxes.swap(held_);
    for (const HeldBox& box : boxes) Display(box.prompt, box.style, box.title);
  }
  // Ends any holding and forgets what waits.
  void DropHeld() noexcept {
    holding_ = false;
    held_.clear();
  }

 protected:
  // The box itself, shown now. Never raises.
  virtual void Display(const Text& prompt, int32_t style, const Text& title) = 0;

 private:
  struct HeldBox {
    Text prompt;
    int32_t style;
    Text title;
  };
  bool holding_ = false;
  std::vector<HeldBox> held_;
};

// Boxes shown while it lives are owned by owner (when not 0); the owner set
// before comes back afterwards.
class BoxOwner {
 public:
  BoxOwner(MessageBoxes& boxes, intptr_t owner) noexcept
      : boxes_(boxes), previous_(owner ? boxes.SetOwner(owner) : 0), set_(owner != 0) {}
  ~BoxOwner() {
    if (set_) boxes_.SetOwner(previous_);
  }
  BoxOwner(const BoxOwner&) = delete;
  BoxOwner& operator=(const BoxOwner&) = delete;

 private:
  MessageBoxes& boxes_;
  intptr_t previous_;
  bool set_;
};

}  // namespace vx
