// The add-in's after-start step without a message loop: a test runs what was
// posted when it chooses, as the host's message loop would.
#pragma once

#include <functional>
#include <utility>

#include "platform/after_start.h"
#include "platform/failure.h"

namespace vx::fake {

class ManualSteps : public AfterStart {
 public:
  void Post(std::function<void()> step) override {
    if (failPost) Raise(failPost);
    step_ = std::move(step);
    ++posts;
  }
  void Cancel() noexcept override { step_ = nullptr; }

  bool queued() const { return static_cast<bool>(step_); }
  // The message loop runs again: the queued step, if any. True when one ran.
  bool Run() {
    std::function<void()> step = std::move(step_);
    step_ = nullptr;
    if (!step) return false;
    step();
    return true;
  }

  int posts = 0;
  int32_t failPost = 0;

 private:
  std::function<void()> step_;
};

}  // namespace vx::fake
