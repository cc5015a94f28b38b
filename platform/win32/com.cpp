#include "platform/win32/com.h"

#include "platform/failure.h"
#include "platform/win32/dispatch.h"

namespace vx::win {

Bstr::Bstr(TextView text) {
  b_ = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
  if (!b_) Raise(fail::kOutOfMemory);
}

Variant::Variant(const Variant& other) {
  VariantInit(this);
  Check(VariantCopy(this, const_cast<Variant*>(&other)));
}

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) Check(VariantCopy(this, const_cast<Variant*>(&other)));
  return *this;
}

Variant::Variant(Variant&& other) noexcept {
  *static_cast<VARIANT*>(this) = other;
  VariantInit(&other);
}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    VariantClear(this);
    *static_cast<VARIANT*>(this) = other;
    VariantInit(&other);
  }
  return *this;
}

Variant Variant::Of(TextView text) {
  Variant v;
  V_BSTR(&v) = Bstr(text).release();
  V_VT(&v) = VT_BSTR;
  return v;
}

Variant Variant::Of(int32_t value) {
  Variant v;
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}

Variant Variant::OfBool(bool value) {
  Variant v;
  V_VT(&v) = VT_BOOL;
  V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

Variant Variant::Of(IDispatch* object) {
  Variant v;
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = object;
  if (object) object->AddRef();
  return v;
}

Variant Variant::Missing() {
  Variant v;
  V_VT(&v) = VT_ERROR;
  V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
  return v;
}

Variant Variant::RefTo(VARIANT* target) {
  Variant v;
  V_VT(&v) = VT_VARIANT | VT_BYREF;
  V_VARIANTREF(&v) = target;
  return v;
}

namespace {

// Follows VT_VARIANT | VT_BYREF to the variant it points at.
const VARIANT& Deref(const VARIANT& value) {
  const VARIANT* v = &value;
  while (V_VT(v) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(v)) v = V_VARIANTREF(v);
  return *v;
}

Variant Converted(const VARIANT& value, VARTYPE type) {
  Variant result;
  HRESULT hr = VariantChangeType(&result, const_cast<VARIANT*>(&value), 0, type);
  if (FAILED(hr)) RaiseHResult(hr);
  return result;
}

}  // namespace

int32_t ToInt32(const VARIANT& value) {
  const VARIANT& v = Deref(value);
  if (V_VT(&v) == VT_I4) return V_I4(&v);
  Variant number = Converted(v, VT_I4);
  return V_I4(&number);
}

bool ToBool(const VARIANT& value) {
  const VARIANT& v = Deref(value);
  if (V_VT(&v) == VT_BOOL) return V_BOOL(&v) != VARIANT_FALSE;
  Variant flag = Converted(v, VT_BOOL);
  return V_BOOL(&flag) != VARIANT_FALSE;
}

Text ToText(const VARIANT& value) {
  const VARIANT& v = Deref(value);
  switch (V_VT(&v)) {
    case VT_BSTR:
      return V_BSTR(&v) ? FromWide(V_BSTR(&v), SysStringLen(V_BSTR(&v))) : Text();
    case VT_NULL:
      Raise(94, u"Unzulässige Verwendung von Null");
    default: {
      Variant text = Converted(v, VT_BSTR);
      return FromWide(V_BSTR(&text), SysStringLen(V_BSTR(&text)));
    }
  }
}

double ToDate(const VARIANT& value) {
  const VARIANT& v = Deref(value);
  if (V_VT(&v) == VT_DATE) return V_DATE(&v);
  Variant date = Converted(v, VT_DATE);
  return V_DATE(&date);
}

Ref<IDispatch> ToObject(const VARIANT& value) {
  const VARIANT& v = Deref(value);
  Ref<IDispatch> object;
  switch (V_VT(&v)) {
    case VT_EMPTY:
    case VT_NULL:
      return object;
    case VT_DISPATCH:
      object = V_DISPATCH(&v);
      return object;
    case VT_DISPATCH | VT_BYREF:
      if (V_DISPATCHREF(&v)) object = *V_DISPATCHREF(&v);
      return object;
    case VT_UNKNOWN:
      if (V_UNKNOWN(&v)) Check(V_UNKNOWN(&v)->QueryInterface(IID_PPV_ARGS(&object)));
      return object;
    default:
      Raise(fail::kObjectRequired);
  }
}

Text GuidText(const GUID& guid) {
  wchar_t text[40] = {};
  int n = StringFromGUID2(guid, text, 40);
  return n > 0 ? FromWide(text, static_cast<size_t>(n - 1)) : Text();
}

}  // namespace vx::win
