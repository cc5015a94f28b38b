#include "platform/win32/com_server.h"

#include <vector>

namespace vx::win {

// ---- the module ----

namespace {
HMODULE g_module = nullptr;
LONG g_count = 0;
}  // namespace

namespace module {

void SetHandle(HMODULE handle) { g_module = handle; }
HMODULE Handle() { return g_module; }

Text Path() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(g_module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return Text();
    if (n < buffer.size()) return FromWide(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

void Lock() { InterlockedIncrement(&g_count); }
void Unlock() { InterlockedDecrement(&g_count); }
long Count() { return g_count; }
HRESULT CanUnloadNow() { return g_count == 0 ? S_OK : S_FALSE; }

}  // namespace module

// ---- IDispatch from the type library ----

ITypeInfo* TypeLibDispatch::Info() {
  if (info_) return info_.Get();
  std::wstring path = WideString(module::Path());
  Ref<ITypeLib> library;
  Ref<ITypeInfo> info;
  if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library)) ||
      FAILED(library->GetTypeInfoOfGuid(iid_, &info))) {
    return nullptr;
  }
  // A dual interface is listed by its dispatch side; calls go through the
  // vtable that its interface side describes.
  TYPEATTR* attr = nullptr;
  if (SUCCEEDED(info->GetTypeAttr(&attr))) {
    bool dual = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
    info->ReleaseTypeAttr(attr);
    HREFTYPE vtableSide = 0;
    Ref<ITypeInfo> described;
    if (dual && SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableSide)) &&
        SUCCEEDED(info->GetRefTypeInfo(vtableSide, &described))) {
      info = described;
    }
  }
  info_ = info;
  return info_.Get();
}

HRESULT TypeLibDispatch::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT TypeLibDispatch::GetTypeInfo(UINT index, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  ITypeInfo* own = Info();
  if (!own) return TYPE_E_CANTLOADLIBRARY;
  own->AddRef();
  *info = own;
  return S_OK;
}

HRESULT TypeLibDispatch::GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) {
  if (!names || !ids) return E_INVALIDARG;
  // A missing name is no name of ours (the type information would read it).
  for (UINT i = 0; i < count; ++i) {
    if (names[i]) continue;
    for (UINT j = 0; j < count; ++j) ids[j] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  ITypeInfo* own = Info();
  if (!own) return TYPE_E_CANTLOADLIBRARY;
  return own->GetIDsOfNames(names, count, ids);
}

HRESULT TypeLibDispatch::Invoke(void* instance, DISPID id, WORD flags, DISPPARAMS* params,
                                VARIANT* result, EXCEPINFO* info, UINT* argError) {
  ITypeInfo* own = Info();
  if (!own) return TYPE_E_CANTLOADLIBRARY;
  DISPPARAMS none{};
  return own->Invoke(instance, id, flags, params ? params : &none, result, info, argError);
}

// ---- the class factory ----

namespace {

class ClassFactory final : public ComObject<IClassFactory> {
 public:
  explicit ClassFactory(const ClassEntry& entry) : entry_(entry) {}

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return Boundary(E_OUTOFMEMORY, [&] { return entry_.create(iid, out); });
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) {
      module::Lock();
    } else {
      module::Unlock();
    }
    return S_OK;
  }

 private:
  void* Find(REFIID iid) override {
    return IsEqualIID(iid, IID_IClassFactory) ? static_cast<IClassFactory*>(this) : nullptr;
  }

  const ClassEntry& entry_;
};

}  // namespace

HRESULT GetClassObject(const ClassEntry* table, size_t count, REFCLSID clsid, REFIID iid,
                       void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return Boundary(E_OUTOFMEMORY, [&]() -> HRESULT {
    for (size_t i = 0; i < count; ++i) {
      if (!IsEqualCLSID(*table[i].clsid, clsid)) continue;
      Ref<ClassFactory> factory = New<ClassFactory>(table[i]);
      if (!factory) return E_OUTOFMEMORY;
      return factory->QueryInterface(iid, out);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
  });
}

}  // namespace vx::win
