#include "tests/host/com_object.h"

#include <olectl.h>

#include <stdexcept>


namespace vx::host {

namespace {
// The failure of a call the server refused (MAPI_E_CALL_FAILED).
constexpr HRESULT kServerRefused = static_cast<HRESULT>(0x80004005);
}  // namespace

ObjectBase::ObjectBase(Tracker& tracker, std::wstring kind)
    : tracker_(tracker), kind_(std::move(kind)) {}

ULONG ObjectBase::CountAddRef() {
  ++tracker_.addRefs;
  if (++refs_ == 1) Held(true);
  return static_cast<ULONG>(refs_);
}

ULONG ObjectBase::CountRelease() {
  if (refs_ == 0) {
    ++tracker_.surplusReleases;
    return 0;
  }
  ++tracker_.releases;
  if (--refs_ == 0) Held(false);
  return static_cast<ULONG>(refs_);
}

HRESULT FailedCall(Tracker& tracker, EXCEPINFO* excep) {
  ++tracker.failedCalls;
  if (!excep) return E_FAIL;
  *excep = EXCEPINFO{};
  excep->bstrSource = SysAllocString(L"Microsoft Outlook");
  excep->bstrDescription = SysAllocString(L"Der Vorgang ist fehlgeschlagen.");
  excep->scode = E_FAIL;
  return DISP_E_EXCEPTION;
}

HRESULT RefusedCall(Tracker& tracker, EXCEPINFO* excep) {
  ++tracker.failedCalls;
  if (!excep) return kServerRefused;
  *excep = EXCEPINFO{};
  excep->bstrSource = SysAllocString(L"Microsoft Outlook");
  excep->bstrDescription = SysAllocString(
      L"Der Serveradministrator hat die Anzahl der Elemente begrenzt, die Sie gleichzeitig "
      L"\x00F6ffnen k\x00F6nnen.");
  excep->scode = kServerRefused;
  return DISP_E_EXCEPTION;
}

// Where the build put the stand-in libraries (DOS paths, set by CMake).
const wchar_t* OutlookTypeLibPath() { return VX_OUTLOOK9_TLB_PATH; }
const wchar_t* OfficeTypeLibPath() { return VX_OFFICE9_TLB_PATH; }

namespace {

ITypeLib* LoadLibraryFile(const wchar_t* path) {
  ITypeLib* lib = nullptr;
  HRESULT hr = LoadTypeLibEx(const_cast<wchar_t*>(path), REGKIND_NONE, &lib);
  if (FAILED(hr)) throw std::runtime_error("cannot load a stand-in type library");
  return lib;
}

}  // namespace

Tracker::Tracker()
    : outlook_(LoadLibraryFile(OutlookTypeLibPath())), office_(LoadLibraryFile(OfficeTypeLibPath())) {}

Tracker::~Tracker() {
  if (abandoned_) {
    for (auto& object : objects_) (void)object.release();
    return;
  }
  objects_.clear();
  for (Info& info : infos_) {
    info.dispatch->Release();
    info.vtable->Release();
  }
  office_->Release();
  outlook_->Release();
}

ITypeInfo* Tracker::DispatchInfo(REFIID iid) {
  for (const Info& info : infos_) {
    if (info.iid == iid) return info.dispatch;
  }
  ITypeInfo* dispatch = nullptr;
  if (FAILED(outlook_->GetTypeInfoOfGuid(iid, &dispatch)) &&
      FAILED(office_->GetTypeInfoOfGuid(iid, &dispatch))) {
    throw std::runtime_error("interface missing from the stand-in type libraries");
  }
  // A dual interface is found as its dispatch view; its vtable view is the
  // implemented type -1.
  ITypeInfo* vtable = nullptr;
  HREFTYPE ref = 0;
  if (FAILED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) ||
      FAILED(dispatch->GetRefTypeInfo(ref, &vtable))) {
    dispatch->Release();
    throw std::runtime_error("stand-in interface is not dual");
  }
  infos_.push_back({iid, dispatch, vtable});
  return dispatch;
}

ITypeInfo* Tracker::VtableInfo(REFIID iid) {
  DispatchInfo(iid);
  for (const Info& info : infos_) {
    if (info.iid == iid) return info.vtable;
  }
  return nullptr;
}

long Tracker::ExternalRefs() const {
  long sum = 0;
  for (const auto& object : objects_) sum += object->refs();
  return sum;
}

long Tracker::Subscriptions() const {
  long sum = 0;
  for (const auto& object : objects_) sum += object->subscriptions();
  return sum;
}

std::wstring Tracker::Holders() const {
  std::wstring out;
  for (const auto& object : objects_) {
    if (object->refs() == 0 && object->subscriptions() == 0) continue;
    if (!out.empty()) out += L"; ";
    out += object->kind() + L": " + std::to_wstring(object->refs()) + L" refs";
    if (object->subscriptions()) out += L", " + std::to_wstring(object->subscriptions()) + L" sinks";
  }
  return out;
}

HRESULT OutText(const std::wstring& text, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// ---- connection points ----

ConnectionPoint::ConnectionPoint(Tracker& tracker, IID diid, IConnectionPointContainer* container)
    : ObjectBase(tracker, L"ConnectionPoint"), iid_(diid), container_(container) {}

ConnectionPoint::~ConnectionPoint() {
  for (auto& sink : sinks_) sink.second->Release();
}

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (riid != IID_IUnknown && riid != IID_IConnectionPoint) return E_NOINTERFACE;
  *ppv = static_cast<IConnectionPoint*>(this);
  CountAddRef();
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = iid_;
  return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** c) {
  return Out(container_, c);
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  // Like the host's own connection points: the sink must answer the event
  // interface itself.
  IDispatch* dispatch = nullptr;
  if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(&dispatch))) || !dispatch) {
    return CONNECT_E_CANNOTCONNECT;
  }
  *cookie = nextCookie_++;
  sinks_.emplace_back(*cookie, dispatch);
  ++tracker_.advises;
  return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie) {
  for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
    if (it->first != cookie) continue;
    IDispatch* sink = it->second;
    sinks_.erase(it);
    ++tracker_.unadvises;
    sink->Release();
    return S_OK;
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** e) {
  if (e) *e = nullptr;
  return E_NOTIMPL;
}

int ConnectionPoint::Raise(DISPID id, std::vector<VARIANT> args) {
  std::vector<VARIANT> reversed(args.rbegin(), args.rend());
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                    static_cast<UINT>(reversed.size()), 0};
  std::vector<DWORD> cookies;
  for (const auto& sink : sinks_) cookies.push_back(sink.first);
  int called = 0;
  for (DWORD cookie : cookies) {
    IDispatch* sink = nullptr;
    for (const auto& s : sinks_) {
      if (s.first == cookie) sink = s.second;
    }
    if (!sink) continue;  // disconnected by an earlier handler
    sink->AddRef();       // the handler may Unadvise itself
    EXCEPINFO excep{};
    UINT argErr = 0;
    sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &excep,
                 &argErr);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    sink->Release();
    ++called;
  }
  return called;
}

// ---- VARIANT helpers ----

VARIANT VarDispatch(IDispatch* d) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = d;
  return v;
}

VARIANT VarBoolRef(VARIANT_BOOL* b) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_BOOL | VT_BYREF;
  V_BOOLREF(&v) = b;
  return v;
}

namespace {
const VARIANT& Deref(const VARIANT& v) {
  if (V_VT(&v) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(&v)) return *V_VARIANTREF(&v);
  return v;
}
}  // namespace

bool Missing(const VARIANT& v) {
  const VARIANT& d = Deref(v);
  return V_VT(&d) == VT_EMPTY || (V_VT(&d) == VT_ERROR && V_ERROR(&d) == DISP_E_PARAMNOTFOUND);
}

bool AsLong(const VARIANT& v, long* out) {
  VARIANT c;
  VariantInit(&c);
  if (FAILED(VariantChangeType(&c, const_cast<VARIANT*>(&Deref(v)), 0, VT_I4))) return false;
  *out = V_I4(&c);
  return true;
}

bool AsText(const VARIANT& v, std::wstring* out) {
  const VARIANT& d = Deref(v);
  if ((V_VT(&d) & ~VT_BYREF) != VT_BSTR) return false;
  BSTR b = (V_VT(&d) & VT_BYREF) ? *V_BSTRREF(&d) : V_BSTR(&d);
  out->assign(b ? b : L"", b ? SysStringLen(b) : 0);
  return true;
}

}  // namespace vx::host
