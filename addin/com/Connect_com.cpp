// Connect as Outlook sees it: IDTExtensibility2 (vtable and DISPIDs 1..5) and
// the dual interface _Connect (ReReadSettings), whose IDispatch is answered
// from the library's type library. clsVellox as a creatable class exposing
// _clsVellox.
//
// Every call returns S_OK: the logic reports its own failures, and any other
// answer to IDTExtensibility2 makes Outlook unload the add-in. No C++
// exception leaves these methods.
#include "addin/com/Connect_com.h"

#include <cwchar>

#include "Vellox_h.h"
#include "addin/Connect.h"
#include "addin/clsVellox.h"
#include "platform/win32/com_server.h"
#include "platform/win32/extensibility.h"
#include "platform/win32/outlook_dispatch.h"

namespace vx::com {

namespace {

using win::IDTExtensibility2;

// Runs a call of the logic; whatever escapes it stays here.
template <class Body>
HRESULT Answer(Body&& body) noexcept {
  return Boundary(S_OK, [&] {
    body();
    return S_OK;
  });
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class ConnectObject final : public win::DualObject<_Connect, IDTExtensibility2> {
 public:
  ConnectObject() : DualObject(IID__Connect), logic_(AddinModule()) {}

  // ---- IDTExtensibility2 ----
  STDMETHODIMP OnConnection(IDispatch* Application, win::ext_ConnectMode, IDispatch*,
                            SAFEARRAY**) override {
    return Answer([&] {
      auto application = win::WrapApplication(Application);
      auto self = win::WrapAutomation(static_cast<_Connect*>(this));
      logic_.AddinInstance_OnConnection(application, self);
    });
  }
  STDMETHODIMP OnDisconnection(win::ext_DisconnectMode, SAFEARRAY**) override {
    return Answer([&] { logic_.AddinInstance_OnDisconnection(); });
  }
  STDMETHODIMP OnAddInsUpdate(SAFEARRAY**) override {
    return Answer([&] { logic_.AddinInstance_OnAddInsUpdate(); });
  }
  STDMETHODIMP OnStartupComplete(SAFEARRAY**) override {
    return Answer([&] { logic_.AddinInstance_OnStartupComplete(); });
  }
  STDMETHODIMP OnBeginShutdown(SAFEARRAY**) override {
    return Answer([&] { logic_.AddinInstance_OnBeginShutdown(); });
  }

  // ---- _Connect ----
  STDMETHODIMP ReReadSettings() override {
    return Answer([&] { logic_.ReReadSettings(); });
  }

  // ---- IDispatch: _Connect from the type library, plus IDTExtensibility2's
  // five members (DISPIDs 1..5), which our library does not describe ----
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                             DISPID* ids) override {
    HRESULT hr = DualObject::GetIDsOfNames(riid, names, count, lcid, ids);
    if (hr != DISP_E_UNKNOWNNAME || count != 1 || !names || !ids) return hr;
    for (DISPID id = 1; id <= 5; ++id) {
      if (_wcsicmp(names[0], kExtensibility[id - 1]) == 0) {
        ids[0] = id;
        return S_OK;
      }
    }
    return hr;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* info, UINT* argError) override {
    if (id < 1 || id > 5) return DualObject::Invoke(id, riid, lcid, flags, params, result, info, argError);
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (result) VariantInit(result);
    const UINT needed = id == 1 ? 4 : id == 2 ? 2 : 1;
    if (!params || params->cArgs < needed) return DISP_E_BADPARAMCOUNT;
    auto arg = [&](UINT position) -> const VARIANT& { return params->rgvarg[params->cArgs - 1 - position]; };
    switch (id) {
      case 1: {
        win::Ref<IDispatch> application, addIn;
        try {
          application = win::ToObject(arg(0));
          addIn = win::ToObject(arg(2));
        } catch (...) {
          return DISP_E_TYPEMISMATCH;
        }
        return OnConnection(application.Get(), win::ext_cm_Startup, addIn.Get(), nullptr);
      }
      case 2:
        return OnDisconnection(win::ext_dm_HostShutdown, nullptr);
      case 3:
        return OnAddInsUpdate(nullptr);
      case 4:
        return OnStartupComplete(nullptr);
      default:
        return OnBeginShutdown(nullptr);
    }
  }

 private:
  static constexpr const wchar_t* kExtensibility[] = {L"OnConnection", L"OnDisconnection",
                                                      L"OnAddInsUpdate", L"OnStartupComplete",
                                                      L"OnBeginShutdown"};

  void* Find(REFIID iid) override {
    if (IsEqualIID(iid, IID__Connect) || IsEqualIID(iid, IID_IDispatch)) return static_cast<_Connect*>(this);
    if (IsEqualIID(iid, win::IID_IDTExtensibility2)) return static_cast<IDTExtensibility2*>(this);
    return nullptr;
  }

  Connect logic_;
};

class clsVelloxObject final : public win::DualObject<_clsVellox> {
 public:
  clsVelloxObject() : DualObject(IID__clsVellox), logic_(AddinModule()) {}

 private:
  void* Find(REFIID iid) override {
    if (IsEqualIID(iid, IID__clsVellox) || IsEqualIID(iid, IID_IDispatch)) {
      return static_cast<_clsVellox*>(this);
    }
    return nullptr;
  }

  clsVellox logic_;
};

#pragma GCC diagnostic pop

}  // namespace

HRESULT CreateConnect(REFIID iid, void** out) { return win::CreateInstance<ConnectObject>(iid, out); }
HRESULT CreateClsVellox(REFIID iid, void** out) { return win::CreateInstance<clsVelloxObject>(iid, out); }

}  // namespace vx::com
