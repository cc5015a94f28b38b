// Connect as Outlook sees it: IDTExtensibility2 (through its vtable only, as
// Outlook calls it), the dual interface _Connect (ReReadSettings), whose
// IDispatch is answered from the library's type library, and
// IRibbonExtensibility for the Outlooks with a ribbon. clsVellox as a
// creatable class exposing _clsVellox.
//
// What Connect publishes for the options page (the Object of its COM add-in
// entry, the running object table) is a small object of its own that
// answers _Connect alone: any program of the user's session can reach it, and
// none may disconnect the add-in or connect it to another "Application".
//
// Every call of Connect returns S_OK: the logic reports its own failures, and
// any other answer to IDTExtensibility2 makes Outlook unload the add-in. No C++
// exception leaves these methods.
//
// The ribbon. Outlook asks Connect for IRibbonExtensibility and gets a part
// of Connect (its QueryInterface, AddRef and Release are Connect's, so COM
// identity holds), then calls GetCustomUI through its vtable (or DISPID 1)
// and the XML's callback "VelloxCopy" by name on it. That name is answered on
// Connect's own IDispatch too, whichever of the two Outlook ends up calling;
// its DISPID collides with neither IDTExtensibility2's 1..5, GetCustomUI's 1
// nor anything in our type library (0x6003xxxx).
#include "addin/com/Connect_com.h"

#include <cwchar>
#include <new>

#include "Vellox_h.h"
#include "addin/Connect.h"
#include "addin/CustomUI.h"
#include "addin/clsVellox.h"
#include "platform/win32/active_object.h"
#include "platform/win32/after_start_window.h"
#include "platform/win32/com_server.h"
#include "platform/win32/extensibility.h"
#include "platform/win32/outlook_dispatch.h"
#include "platform/win32/ribbon.h"

namespace vx::com {

namespace {

using win::IDTExtensibility2;
using win::IRibbonControl;
using win::IRibbonExtensibility;

// The DISPID of the ribbon controls' callback.
constexpr DISPID kVelloxCopy = 0x100;

// Whether a name asked for is the callback's (names are case-insensitive).
// Allocates nothing.
bool IsCallbackName(const wchar_t* name) {
  auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
  if (!name) return false;
  for (char16_t c : kRibbonCallback) {  // ASCII
    if (lower(*name) != lower(static_cast<wchar_t>(c))) return false;
    ++name;
  }
  return *name == L'\0';
}

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

class ConnectObject;

// The object Connect publishes: _Connect and nothing else. It forwards
// ReReadSettings to its Connect for as long as that lives, and keeps it
// alive during the call; afterwards the call fails as on any object whose
// server is gone.
class PublishedConnect final : public win::DualObject<_Connect> {
 public:
  PublishedConnect(IUnknown* owner, Connect* logic)
      : DualObject(IID__Connect), owner_(owner), logic_(logic) {}
  // Its Connect ends.
  void Detach() {
    owner_ = nullptr;
    logic_ = nullptr;
  }

  STDMETHODIMP ReReadSettings() override {
    if (!logic_) return RPC_E_DISCONNECTED;
    win::Ref<IUnknown> keep(owner_);
    return Answer([&] { logic_->ReReadSettings(); });
  }

 private:
  void* Find(REFIID iid) override {
    if (IsEqualIID(iid, IID__Connect) || IsEqualIID(iid, IID_IDispatch)) return static_cast<_Connect*>(this);
    return nullptr;
  }

  IUnknown* owner_;
  Connect* logic_;
};

// IRibbonExtensibility as a part of Connect: IUnknown is Connect's, IDispatch
// answers GetCustomUI (DISPID 1) and the callback by name.
class RibbonPart final : public IRibbonExtensibility {
 public:
  explicit RibbonPart(ConnectObject& owner) : owner_(owner) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // No type information: IRibbonExtensibility is described by Office's library.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO*, UINT* argError) override;

  STDMETHODIMP GetCustomUI(BSTR RibbonID, BSTR* RibbonXml) override;

 private:
  ConnectObject& owner_;
};

class ConnectObject final : public win::DualObject<_Connect, IDTExtensibility2> {
 public:
  ConnectObject()
      : DualObject(IID__Connect),
        ribbon_(*this),
        later_(static_cast<_Connect*>(this)),
        logic_(AddinModule(), later_, [this] { EnterRunning(); }) {}
  ~ConnectObject() override {
    if (published_) published_->Detach();
  }

  // ---- the ribbon ----
  // The XML for a ribbon ID; null for none.
  HRESULT CustomUI(BSTR ribbonId, BSTR* xml) noexcept {
    if (!xml) return E_POINTER;
    *xml = nullptr;
    // A failure gives no customization rather than one Outlook would report.
    return Answer([&] {
      Text text = logic_.GetCustomUI(ribbonId ? win::FromWide(ribbonId, SysStringLen(ribbonId)) : Text());
      if (!text.empty()) *xml = win::Bstr(text).release();
    });
  }

  // Invoke of the callback "VelloxCopy": one argument, the IRibbonControl.
  HRESULT RibbonCallback(WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argError) noexcept {
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (result) VariantInit(result);
    if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    const VARIANT& arg = params->rgvarg[0];
    IDispatch* given = V_VT(&arg) == VT_DISPATCH                ? V_DISPATCH(&arg)
                       : V_VT(&arg) == (VT_DISPATCH | VT_BYREF) ? *V_DISPATCHREF(&arg)
                                                                : nullptr;
    win::Ref<IRibbonControl> control;
    if (!given || FAILED(given->QueryInterface(win::IID_IRibbonControl,
                                               reinterpret_cast<void**>(control.GetAddressOf())))) {
      if (argError) *argError = 0;
      return DISP_E_TYPEMISMATCH;
    }
    // The control and its Context are only good during the call: both are
    // let go of before it returns.
    return Answer([&] {
      win::Ref<IDispatch> context;
      if (FAILED(control->get_Context(context.GetAddressOf()))) context.Reset();
      logic_.VelloxCopy(win::WrapObject(context.Get()));
    });
  }

  // ---- IDTExtensibility2 ----
  // Once started, the published object is also entered in the running
  // object table under Connect's class: the options page finds it there
  // when Outlook's COM add-in collection does not list the add-in.
  void EnterRunning() {
    if (published_ && !running_.registered()) {
      running_.Register(static_cast<_Connect*>(published_.Get()), CLSID_Connect);
    }
  }
  STDMETHODIMP OnConnection(IDispatch* Application, win::ext_ConnectMode ConnectMode,
                            IDispatch* AddInInst, SAFEARRAY**) override {
    return Answer([&] {
      if (!published_) {
        published_ = win::New<PublishedConnect>(static_cast<_Connect*>(this), &logic_);
        if (!published_) throw std::bad_alloc();
      }
      auto application = win::WrapApplication(Application);
      auto self = win::WrapAutomation(static_cast<_Connect*>(published_.Get()));
      logic_.AddinInstance_OnConnection(application, self, win::WrapCOMAddIn(AddInInst),
                                        static_cast<int32_t>(ConnectMode));
    });
  }
  STDMETHODIMP OnDisconnection(win::ext_DisconnectMode, SAFEARRAY**) override {
    return Answer([&] {
      running_.Revoke();
      logic_.AddinInstance_OnDisconnection();
    });
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

  // ---- IDispatch: _Connect from the type library, and the ribbon's
  // callback. Nothing else: IDTExtensibility2 is Outlook's, through its
  // vtable. ----
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                             DISPID* ids) override {
    return Boundary(E_OUTOFMEMORY, [&]() -> HRESULT {
      HRESULT hr = DualObject::GetIDsOfNames(riid, names, count, lcid, ids);
      if (hr != DISP_E_UNKNOWNNAME || count != 1 || !IsCallbackName(names[0])) return hr;
      ids[0] = kVelloxCopy;
      return S_OK;
    });
  }
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* info, UINT* argError) override {
    if (id == kVelloxCopy) return RibbonCallback(flags, params, result, argError);
    return DualObject::Invoke(id, riid, lcid, flags, params, result, info, argError);
  }

 private:
  void* Find(REFIID iid) override {
    if (IsEqualIID(iid, IID__Connect) || IsEqualIID(iid, IID_IDispatch)) return static_cast<_Connect*>(this);
    if (IsEqualIID(iid, win::IID_IDTExtensibility2)) return static_cast<IDTExtensibility2*>(this);
    if (IsEqualIID(iid, win::IID_IRibbonExtensibility)) return static_cast<IRibbonExtensibility*>(&ribbon_);
    return nullptr;
  }

  RibbonPart ribbon_;
  win::AfterStartWindow later_;
  Connect logic_;
  // Created at the first connection; entered in the running object table
  // once the add-in has started.
  win::Ref<PublishedConnect> published_;
  win::ActiveObject running_;
};

STDMETHODIMP RibbonPart::QueryInterface(REFIID iid, void** out) {
  return static_cast<_Connect*>(&owner_)->QueryInterface(iid, out);
}
STDMETHODIMP_(ULONG) RibbonPart::AddRef() { return static_cast<_Connect*>(&owner_)->AddRef(); }
STDMETHODIMP_(ULONG) RibbonPart::Release() { return static_cast<_Connect*>(&owner_)->Release(); }

STDMETHODIMP RibbonPart::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  // Compares in place: nothing here allocates or throws.
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (!names || !ids || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  // One name per call; further names would be parameter names, which no
  // member here has.
  if (count != 1 || !names[0]) return DISP_E_UNKNOWNNAME;
  if (_wcsicmp(names[0], L"GetCustomUI") == 0) {
    ids[0] = win::ribbon_dispid::kGetCustomUI;
  } else if (IsCallbackName(names[0])) {
    ids[0] = kVelloxCopy;
  } else {
    return DISP_E_UNKNOWNNAME;
  }
  return S_OK;
}

STDMETHODIMP RibbonPart::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                VARIANT* result, EXCEPINFO*, UINT* argError) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (id == kVelloxCopy) return owner_.RibbonCallback(flags, params, result, argError);
  if (id != win::ribbon_dispid::kGetCustomUI) return DISP_E_MEMBERNOTFOUND;
  if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
  if (result) VariantInit(result);
  if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
  if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
  const VARIANT& arg = params->rgvarg[0];
  BSTR ribbonId = V_VT(&arg) == VT_BSTR                ? V_BSTR(&arg)
                  : V_VT(&arg) == (VT_BSTR | VT_BYREF) ? *V_BSTRREF(&arg)
                                                       : nullptr;
  if (V_VT(&arg) != VT_BSTR && V_VT(&arg) != (VT_BSTR | VT_BYREF)) {
    if (argError) *argError = 0;
    return DISP_E_TYPEMISMATCH;
  }
  BSTR xml = nullptr;
  HRESULT hr = owner_.CustomUI(ribbonId, &xml);
  if (result) {
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = xml;
  } else {
    SysFreeString(xml);
  }
  return hr;
}

STDMETHODIMP RibbonPart::GetCustomUI(BSTR RibbonID, BSTR* RibbonXml) { return owner_.CustomUI(RibbonID, RibbonXml); }

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
