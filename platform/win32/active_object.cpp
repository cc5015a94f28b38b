#include "platform/win32/active_object.h"

namespace vx::win {

HRESULT ActiveObject::Register(IUnknown* object, REFCLSID clsid) noexcept {
  Revoke();
  if (!object) return E_POINTER;
  DWORD cookie = 0;
  const HRESULT hr =
      RegisterActiveObject(object, clsid, ACTIVEOBJECT_WEAK, &cookie);
  if (SUCCEEDED(hr)) cookie_ = cookie;
  return hr;
}

void ActiveObject::Revoke() noexcept {
  if (cookie_ == 0) return;
  RevokeActiveObject(cookie_, nullptr);
  cookie_ = 0;
}

Ref<IDispatch> FindActiveObject(REFCLSID clsid) noexcept {
  Ref<IUnknown> found;
  Ref<IDispatch> dispatch;
  if (SUCCEEDED(GetActiveObject(clsid, nullptr, found.GetAddressOf())) && found) {
    found.As(&dispatch);
  }
  return dispatch;
}

}  // namespace vx::win
