// Late-bound calls by name through IDispatch, and the failures of COM calls.
//
// A failing call raises a numbered vx::Failure, the way an automation client
// reports it: E_INVALIDARG 5, E_OUTOFMEMORY 7, DISP_E_BADINDEX 9,
// DISP_E_TYPEMISMATCH 13, DISP_E_OVERFLOW 6, DISP_E_MEMBERNOTFOUND and
// DISP_E_UNKNOWNNAME 438, E_NOINTERFACE 430, REGDB_E_CLASSNOTREG 429, a
// runtime's own error (FACILITY_CONTROL) its number; any other HRESULT is its
// own number with the description "Automatisierungsfehler". DISP_E_EXCEPTION
// is read from the EXCEPINFO: its scode mapped as above (or wCode as the
// number), and its description when the object gave one.
//
// DISPIDs are cached per type of object (the GUID of the object's own type
// information) and member name, so a selection that mixes item kinds stays
// correct and a click over thousands of contacts asks for each name once.
// Objects without type information are asked every time. The cache is one
// for the process and locked: each thread's calls go to its own objects, but
// the DISPIDs they learn are the same for all.
#pragma once

#include <initializer_list>

#include "platform/failure.h"
#include "platform/win32/com.h"

namespace vx::win {

Failure FailureFromHResult(HRESULT hr, EXCEPINFO* info = nullptr);
[[noreturn]] void RaiseHResult(HRESULT hr, EXCEPINFO* info = nullptr);
inline void Check(HRESULT hr) {
  if (FAILED(hr)) RaiseHResult(hr);
}

// An EXCEPINFO whose strings are freed with it.
struct ExcepInfo : EXCEPINFO {
  ExcepInfo();
  ~ExcepInfo();
  ExcepInfo(const ExcepInfo&) = delete;
  ExcepInfo& operator=(const ExcepInfo&) = delete;
};

// An IDispatch held for late-bound calls, with its type key looked up once.
// Every call raises a Failure on error; on an empty object, failure 91.
class DispatchObject {
 public:
  DispatchObject() = default;
  explicit DispatchObject(Ref<IDispatch> object) : object_(std::move(object)) {}

  IDispatch* get() const { return object_.Get(); }
  explicit operator bool() const { return object_ != nullptr; }

  // The DISPID of a member by name (cached).
  DISPID IdOf(TextView name);

  // A property read or a method with a result: DISPATCH_PROPERTYGET |
  // DISPATCH_METHOD, as a client does for "x = obj.Name(args)". Arguments in
  // their natural order.
  Variant Get(TextView name, std::initializer_list<Variant> args = {});
  // A method call: DISPATCH_METHOD.
  Variant Call(TextView name, std::initializer_list<Variant> args = {});
  // A property write: DISPATCH_PROPERTYPUT with the named argument
  // DISPID_PROPERTYPUT (not putref, also for objects).
  void Put(TextView name, const Variant& value);

  // The raw call, for callers that look at the HRESULT themselves: returns it
  // instead of raising (info filled on DISP_E_EXCEPTION).
  HRESULT TryInvoke(TextView name, WORD flags, const Variant* args, size_t count,
                    VARIANT* result, EXCEPINFO* info);

 private:
  Variant Invoke(TextView name, WORD flags, std::initializer_list<Variant> args);
  HRESULT InvokeId(DISPID id, WORD flags, const Variant* args, size_t count, VARIANT* result,
                   EXCEPINFO* info);

  Ref<IDispatch> object_;
  bool keyed_ = false;
  GUID type_{};  // GUID_NULL: no type information, no caching
};

// The number of entries in the DISPID cache (for tests).
size_t DispIdCacheSize();
void ClearDispIdCache();

}  // namespace vx::win
