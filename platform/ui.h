// Modal message boxes. Every box of the system goes through this interface:
// the real one blocks the user-interface thread until the user closes it; the
// test double records prompt, style and title.
#pragma once

#include <cstdint>

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
  // Shows a modal box and returns when the user has closed it. Never raises.
  virtual void Show(const Text& prompt, int32_t style, const Text& title) = 0;
  // The window that owns (and so disables) the boxes shown from now on: a
  // window handle, or 0 for the calling thread's active window (the
  // default). Returns the owner set before.
  virtual intptr_t SetOwner(intptr_t owner) noexcept = 0;
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
