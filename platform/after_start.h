// One small step of the add-in's own that runs after the call now in
// progress: the host returns from that call first and runs the step from its
// message loop. Work that waits for the user (the start-up splash) runs this
// way, so that the calls the host times return at once.
#pragma once

#include <functional>

namespace vx {

class AfterStart {
 public:
  virtual ~AfterStart() = default;
  // Queues step to run once, on this thread, when the host's message loop
  // next runs. A queued step that has not started yet is replaced. Raises a
  // numbered failure when nothing can be queued.
  virtual void Post(std::function<void()> step) = 0;
  // Forgets the queued step, if it has not started; one running goes on.
  virtual void Cancel() noexcept = 0;
};

}  // namespace vx
