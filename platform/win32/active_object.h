// An object entered in the running object table under a class identifier
// (RegisterActiveObject, weakly: the table does not keep it running), and
// the lookup of such an object from elsewhere in the session.
#pragma once

#include <windows.h>

#include "platform/win32/com.h"

namespace vx::win {

class ActiveObject {
 public:
  ActiveObject() = default;
  ~ActiveObject() { Revoke(); }
  ActiveObject(const ActiveObject&) = delete;
  ActiveObject& operator=(const ActiveObject&) = delete;

  // Enters object under clsid, replacing this holder's earlier entry; an
  // entry that cannot be made leaves none (the answer says why).
  HRESULT Register(IUnknown* object, REFCLSID clsid) noexcept;
  // Removes the entry, if any.
  void Revoke() noexcept;
  bool registered() const { return cookie_ != 0; }

 private:
  DWORD cookie_ = 0;
};

// The object entered under clsid, as IDispatch; null when none is entered
// or it answers no IDispatch.
Ref<IDispatch> FindActiveObject(REFCLSID clsid) noexcept;

}  // namespace vx::win
