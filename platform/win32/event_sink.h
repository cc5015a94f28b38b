// Connection-point subscriptions: an IDispatch sink that a source calls with
// its event DISPIDs.
//
// Subscribe() advises a sink on the source's connection point for a source
// (event) interface and returns the ol::Connection that owns the
// subscription: destroying it unadvises and silences the sink, so no handler
// runs afterwards even if the source still calls. The sink keeps itself alive
// while a handler runs (a handler may end its own subscription), and every
// handler call is guarded: no C++ exception reaches the source.
#pragma once

#include <functional>
#include <vector>

#include "platform/outlook.h"
#include "platform/win32/com.h"

namespace vx::win {

// The handler of one event DISPID; the arguments as the source passed them
// (reverse order: use EventArg).
struct EventHandler {
  DISPID id;
  std::function<void(DISPPARAMS& params)> run;
};

// Parameter `position` of an event (0 = the first parameter), following
// VT_VARIANT | VT_BYREF. Raises failure 449 when the source passed fewer.
VARIANT& EventArg(DISPPARAMS& params, UINT position);

// Raises a numbered Failure when the source has no such connection point or
// refuses the sink.
ol::ConnectionPtr Subscribe(IUnknown* source, const IID& events, std::vector<EventHandler> handlers);

}  // namespace vx::win
