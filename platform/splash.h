// The splash and about window, as the logic sees it.
#pragma once

#include <cstdint>

namespace vx {

class SplashWindow {
 public:
  virtual ~SplashWindow() = default;
  // The about box: shows the window modally, owned by owner (a window
  // handle, 0 for none) and centred on the screen, and returns when the user
  // has closed it. Raises a numbered failure when the window cannot be shown.
  virtual void ShowModal(intptr_t owner) = 0;
  // The start-up splash: the same window, owned by owner (0 for none) and
  // centred on it. Returns when it is closed: by the user, or without
  // storing anything by End() or when the owner window goes. Raises a
  // numbered failure when the window cannot be shown.
  virtual void ShowStartup(intptr_t owner) = 0;
  // Closes a start-up splash that is up, storing nothing; nothing when none is.
  virtual void End() noexcept = 0;
};

}  // namespace vx
