#include "platform/win32/dispatch.h"

#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "platform/win32/lock.h"

namespace vx::win {

namespace {

struct Mapped {
  HRESULT hr;
  int32_t number;
};

// How an automation client numbers the common HRESULTs.
constexpr Mapped kMapped[] = {
    {E_INVALIDARG, fail::kInvalidArgument},
    {E_OUTOFMEMORY, fail::kOutOfMemory},
    {DISP_E_BADINDEX, fail::kSubscriptOutOfRange},
    {DISP_E_TYPEMISMATCH, fail::kTypeMismatch},
    {DISP_E_OVERFLOW, fail::kOverflow},
    {DISP_E_MEMBERNOTFOUND, fail::kMemberNotFound},
    {DISP_E_UNKNOWNNAME, fail::kMemberNotFound},
    {E_NOINTERFACE, fail::kNoInterface},
    {REGDB_E_CLASSNOTREG, fail::kCannotCreateObject},
};

constexpr char16_t kAutomationError[] = u"Automatisierungsfehler";

// The number of a failing HRESULT; known tells whether it is one of the
// runtime's numbers (else the HRESULT itself is the number).
int32_t NumberOf(HRESULT hr, bool& known) {
  known = true;
  for (const auto& m : kMapped) {
    if (m.hr == hr) return m.number;
  }
  // A runtime's own error carried as HRESULT (0x800Axxxx): its number.
  if (HRESULT_FACILITY(hr) == FACILITY_CONTROL && HRESULT_SEVERITY(hr) == SEVERITY_ERROR &&
      HRESULT_CODE(hr) != 0) {
    return HRESULT_CODE(hr);
  }
  known = false;
  return static_cast<int32_t>(hr);
}

Failure Numbered(int32_t number, bool known, Text description) {
  if (description.empty()) description = known ? DescriptionOf(number) : Text(kAutomationError);
  return Failure(number, std::move(description));
}

struct CacheKey {
  GUID type;
  Text name;  // lower case: member names are not case-sensitive
  bool operator<(const CacheKey& other) const {
    int c = std::memcmp(&type, &other.type, sizeof(GUID));
    return c != 0 ? c < 0 : name < other.name;
  }
};

// Shared by every thread of the process: a DISPID depends only on the type
// and the name, whichever thread asks. Pages may live on several
// single-threaded apartments of one host, each calling in on its own thread.
struct DispIdCache {
  CriticalSection lock;
  std::map<CacheKey, DISPID> ids;
};

DispIdCache& Cache() {
  static DispIdCache cache;
  return cache;
}

Text Lowered(TextView name) {
  Text lower(name);
  for (auto& c : lower) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return lower;
}

bool IsNull(const GUID& guid) { return std::memcmp(&guid, &GUID_NULL, sizeof(GUID)) == 0; }

}  // namespace

Failure FailureFromHResult(HRESULT hr, EXCEPINFO* info) {
  bool known = false;
  if (hr == DISP_E_EXCEPTION && info) {
    if (info->pfnDeferredFillIn) {
      info->pfnDeferredFillIn(info);
      info->pfnDeferredFillIn = nullptr;
    }
    Text description = info->bstrDescription ? FromWide(info->bstrDescription) : Text();
    if (FAILED(info->scode)) {
      int32_t number = NumberOf(info->scode, known);
      return Numbered(number, known, std::move(description));
    }
    if (info->wCode != 0) return Numbered(info->wCode, true, std::move(description));
  }
  int32_t number = NumberOf(hr, known);
  return Numbered(number, known, Text());
}

void RaiseHResult(HRESULT hr, EXCEPINFO* info) { throw FailureFromHResult(hr, info); }

ExcepInfo::ExcepInfo() { std::memset(static_cast<EXCEPINFO*>(this), 0, sizeof(EXCEPINFO)); }

ExcepInfo::~ExcepInfo() {
  SysFreeString(bstrSource);
  SysFreeString(bstrDescription);
  SysFreeString(bstrHelpFile);
}

DISPID DispatchObject::IdOf(TextView name) {
  if (!object_) Raise(fail::kObjectNotSet);
  if (!keyed_) {
    keyed_ = true;
    Ref<ITypeInfo> info;
    TYPEATTR* attr = nullptr;
    if (SUCCEEDED(object_->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info)) && info &&
        SUCCEEDED(info->GetTypeAttr(&attr)) && attr) {
      type_ = attr->guid;
      info->ReleaseTypeAttr(attr);
    }
  }
  const bool cached = !IsNull(type_);
  CacheKey key;
  if (cached) {
    key = CacheKey{type_, Lowered(name)};
    std::lock_guard<CriticalSection> hold(Cache().lock);
    auto found = Cache().ids.find(key);
    if (found != Cache().ids.end()) return found->second;
  }
  // Asked outside the lock: the object may call back or dispatch messages.
  std::wstring wide = WideString(name);
  LPOLESTR names[] = {wide.data()};
  DISPID id = DISPID_UNKNOWN;
  Check(object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
  if (cached) {
    std::lock_guard<CriticalSection> hold(Cache().lock);
    Cache().ids.emplace(std::move(key), id);
  }
  return id;
}

HRESULT DispatchObject::TryInvoke(TextView name, WORD flags, const Variant* args, size_t count,
                                  VARIANT* result, EXCEPINFO* info) {
  if (!object_) return E_POINTER;
  DISPID id = DISPID_UNKNOWN;
  try {
    id = IdOf(name);
  } catch (...) {
    return DISP_E_UNKNOWNNAME;
  }
  return InvokeId(id, flags, args, count, result, info);
}

HRESULT DispatchObject::InvokeId(DISPID id, WORD flags, const Variant* args, size_t count,
                                 VARIANT* result, EXCEPINFO* info) {
  // Arguments travel in reverse order; the VARIANTs stay owned by args.
  std::vector<VARIANTARG> reversed(count);
  for (size_t i = 0; i < count; ++i) reversed[count - 1 - i] = args[i];
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = count ? reversed.data() : nullptr;
  params.cArgs = static_cast<UINT>(count);
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &putId;
    params.cNamedArgs = 1;
  }
  UINT argError = 0;
  return object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, info, &argError);
}

Variant DispatchObject::Invoke(TextView name, WORD flags, std::initializer_list<Variant> args) {
  DISPID id = IdOf(name);
  Variant result;
  ExcepInfo info;
  HRESULT hr = InvokeId(id, flags, args.begin(), args.size(),
                        (flags & DISPATCH_PROPERTYPUT) ? nullptr : result.out(), &info);
  if (FAILED(hr)) RaiseHResult(hr, &info);
  return result;
}

Variant DispatchObject::Get(TextView name, std::initializer_list<Variant> args) {
  return Invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args);
}

Variant DispatchObject::Call(TextView name, std::initializer_list<Variant> args) {
  return Invoke(name, DISPATCH_METHOD, args);
}

void DispatchObject::Put(TextView name, const Variant& value) {
  Invoke(name, DISPATCH_PROPERTYPUT, {value});
}

size_t DispIdCacheSize() {
  std::lock_guard<CriticalSection> hold(Cache().lock);
  return Cache().ids.size();
}

void ClearDispIdCache() {
  std::lock_guard<CriticalSection> hold(Cache().lock);
  Cache().ids.clear();
}

}  // namespace vx::win
