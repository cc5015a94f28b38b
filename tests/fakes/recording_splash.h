// A splash window that records how often it was shown instead of showing
// itself; it can be told to fail with a chosen failure number.
#pragma once

#include <functional>
#include <vector>

#include "platform/failure.h"
#include "platform/splash.h"

namespace vx::fake {

class RecordingSplash : public SplashWindow {
 public:
  void ShowModal(intptr_t owner) override {
    if (failShow) Raise(failShow);
    owners.push_back(owner);
    if (onShow) onShow();
  }
  int shown() const { return static_cast<int>(owners.size()); }

  std::vector<intptr_t> owners;  // one entry per successful showing
  int32_t failShow = 0;
  std::function<void()> onShow;  // runs while the window would be up
};

}  // namespace vx::fake
