// A small late-bound automation client for tests and the demo: calls members
// by name through GetIDsOfNames and Invoke, as a script or an add-in would.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <utility>
#include <vector>

namespace vx::host {

// An owned VARIANT.
class Var {
 public:
  Var() { VariantInit(&v_); }
  Var(const Var& o) : Var() { VariantCopy(&v_, const_cast<VARIANT*>(&o.v_)); }
  Var(Var&& o) noexcept : v_(o.v_) { VariantInit(&o.v_); }
  Var& operator=(Var o) {
    std::swap(v_, o.v_);
    return *this;
  }
  ~Var() { VariantClear(&v_); }

  static Var Text(const std::wstring& s) {
    Var r;
    V_VT(&r.v_) = VT_BSTR;
    V_BSTR(&r.v_) = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    return r;
  }
  static Var Long(long n) {
    Var r;
    V_VT(&r.v_) = VT_I4;
    V_I4(&r.v_) = n;
    return r;
  }
  static Var Bool(bool b) {
    Var r;
    V_VT(&r.v_) = VT_BOOL;
    V_BOOL(&r.v_) = b ? VARIANT_TRUE : VARIANT_FALSE;
    return r;
  }
  static Var Object(IDispatch* d) {
    Var r;
    V_VT(&r.v_) = VT_DISPATCH;
    V_DISPATCH(&r.v_) = d;
    if (d) d->AddRef();
    return r;
  }
  // An optional argument left out.
  static Var Missing() {
    Var r;
    V_VT(&r.v_) = VT_ERROR;
    V_ERROR(&r.v_) = DISP_E_PARAMNOTFOUND;
    return r;
  }

  VARIANT* get() { return &v_; }
  const VARIANT* get() const { return &v_; }
  VARTYPE vt() const { return V_VT(&v_); }
  IDispatch* object() const { return V_VT(&v_) == VT_DISPATCH ? V_DISPATCH(&v_) : nullptr; }
  long number() const {
    VARIANT c;
    VariantInit(&c);
    if (FAILED(VariantChangeType(&c, const_cast<VARIANT*>(&v_), 0, VT_I4))) return -1;
    return V_I4(&c);
  }
  std::wstring text() const {
    if (V_VT(&v_) != VT_BSTR || !V_BSTR(&v_)) return {};
    return std::wstring(V_BSTR(&v_), SysStringLen(V_BSTR(&v_)));
  }

 private:
  VARIANT v_;
};

// The outcome of one call: the HRESULT of Invoke, the failure code carried in
// EXCEPINFO when Invoke returned DISP_E_EXCEPTION, and the result.
struct Call {
  HRESULT hr = S_OK;
  HRESULT scode = S_OK;
  Var value;
  bool ok() const { return SUCCEEDED(hr); }
  // The failure as the caller sees it: EXCEPINFO's code when there is one.
  HRESULT failure() const { return hr == DISP_E_EXCEPTION ? scode : hr; }
};

// Calls member name of d with flags (DISPATCH_METHOD, DISPATCH_PROPERTYGET,
// DISPATCH_PROPERTYPUT) and args in parameter order.
inline Call Invoke(IDispatch* d, const std::wstring& name, WORD flags, std::vector<Var> args = {}) {
  Call call;
  if (!d) {
    call.hr = E_POINTER;
    return call;
  }
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
  call.hr = d->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(call.hr)) return call;
  std::vector<VARIANT> reversed;
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(*it->get());
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr,
                    static_cast<UINT>(reversed.size()), 0};
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &put;
    params.cNamedArgs = 1;
  }
  EXCEPINFO excep{};
  UINT argErr = 0;
  call.hr = d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                      (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) ? nullptr
                                                                                  : call.value.get(),
                      &excep, &argErr);
  if (call.hr == DISP_E_EXCEPTION) {
    if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
    call.scode = excep.scode ? excep.scode : static_cast<HRESULT>(excep.wCode);
  }
  SysFreeString(excep.bstrSource);
  SysFreeString(excep.bstrDescription);
  SysFreeString(excep.bstrHelpFile);
  return call;
}

inline Call Get(IDispatch* d, const std::wstring& name, std::vector<Var> args = {}) {
  return Invoke(d, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, std::move(args));
}
inline Call Method(IDispatch* d, const std::wstring& name, std::vector<Var> args = {}) {
  return Invoke(d, name, DISPATCH_METHOD, std::move(args));
}
inline Call Put(IDispatch* d, const std::wstring& name, Var value) {
  return Invoke(d, name, DISPATCH_PROPERTYPUT, {std::move(value)});
}

}  // namespace vx::host
