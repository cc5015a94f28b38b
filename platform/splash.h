// The splash and about window, as the logic sees it.
#pragma once

#include <cstdint>

namespace vx {

class SplashWindow {
 public:
  virtual ~SplashWindow() = default;
  // Shows the window modally and returns when the user has closed it.
  // owner is the owning window's handle (0 for none, the start-up splash).
  // Raises a numbered failure when the window cannot be shown.
  virtual void ShowModal(intptr_t owner) = 0;
};

}  // namespace vx
