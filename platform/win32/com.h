// RAII for COM: interface pointers (Ref), BSTR (Bstr) and VARIANT (Variant),
// and the conversion of texts at the Win32 boundary.
//
// On Windows wchar_t is 16 bits wide, so a Text and a BSTR hold the same
// code units; the helpers copy without converting (platform/win32/wide.h).
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>
#include <utility>

#include "platform/text.h"
#include "platform/win32/wide.h"

namespace vx::win {

// A counted interface pointer: released when the holder lets go.
template <class T>
using Ref = Microsoft::WRL::ComPtr<T>;

// A wide copy of a text, for APIs that want a writable or terminated string.
inline std::wstring WideString(TextView text) { return std::wstring(text.begin(), text.end()); }
// A terminated wide string as a text (null reads as empty).
inline Text FromWide(const wchar_t* text) { return text ? FromWide(text, wcslen(text)) : Text(); }

// An owned BSTR. Raises failure 7 when the system cannot allocate it.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(TextView text);
  ~Bstr() { SysFreeString(b_); }
  Bstr(Bstr&& other) noexcept : b_(std::exchange(other.b_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    std::swap(b_, other.b_);
    return *this;
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR get() const { return b_; }
  // For an [out] BSTR*: frees what is held first.
  BSTR* out() {
    SysFreeString(std::exchange(b_, nullptr));
    return &b_;
  }
  // Hands the string over to the caller (an [out] parameter of ours).
  BSTR release() { return std::exchange(b_, nullptr); }
  Text text() const { return b_ ? FromWide(b_, SysStringLen(b_)) : Text(); }

 private:
  BSTR b_ = nullptr;
};

// An owned VARIANT: VariantInit at birth, VariantClear at death, VariantCopy
// on copy.
class Variant : public VARIANT {
 public:
  Variant() { VariantInit(this); }
  ~Variant() { VariantClear(this); }
  Variant(const Variant& other);
  Variant& operator=(const Variant& other);
  Variant(Variant&& other) noexcept;
  Variant& operator=(Variant&& other) noexcept;

  static Variant Of(TextView text);             // VT_BSTR
  static Variant Of(int32_t value);             // VT_I4
  static Variant OfBool(bool value);            // VT_BOOL
  static Variant Of(IDispatch* object);         // VT_DISPATCH (AddRef'd; null allowed)
  static Variant Missing();                     // VT_ERROR DISP_E_PARAMNOTFOUND: an omitted argument
  static Variant RefTo(VARIANT* target);        // VT_VARIANT | VT_BYREF (not owned)

  // For an [out] VARIANT*: clears what is held first.
  VARIANT* out() {
    VariantClear(this);
    return this;
  }
  VARTYPE type() const { return vt; }
};

// Reading a VARIANT the way an automation client assigns it to a variable.
// By-reference variants are followed. Failures: 13 for a value that cannot
// be converted, 6 for one out of range, 94 for Null where a text is wanted,
// 424 for a non-object where an object is wanted.
int32_t ToInt32(const VARIANT& value);
bool ToBool(const VARIANT& value);
Text ToText(const VARIANT& value);
// A date: days since 30 December 1899 (VT_DATE).
double ToDate(const VARIANT& value);
// The object held, or null for Empty, Nothing and Null.
Ref<IDispatch> ToObject(const VARIANT& value);

// The text form of a GUID, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
Text GuidText(const GUID& guid);

// CoInitialize / CoUninitialize for the lifetime of a scope (tests, hosts).
class ComApartment {
 public:
  ComApartment() : hr_(CoInitialize(nullptr)) {}
  ~ComApartment() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  HRESULT result() const { return hr_; }

 private:
  HRESULT hr_;
};

}  // namespace vx::win
