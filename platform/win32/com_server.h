// The in-process server's COM objects: one module-wide count of live objects
// and server locks, a reference-counted base, an IDispatch driven by the
// library's own type library (resource TYPELIB 1), and one class factory
// serving a table of classes.
//
// No C++ exception leaves any method here: every entry point answers with an
// HRESULT, E_OUTOFMEMORY when memory ran out (Boundary, platform/failure.h).
#pragma once

#include <new>

#include "platform/failure.h"
#include "platform/win32/com.h"

namespace vx::win {

// ---- the module ----

namespace module {
// The library's own handle (DllMain stores it) and file path.
void SetHandle(HMODULE handle);
HMODULE Handle();
Text Path();

// Live objects plus server locks: DllCanUnloadNow answers S_OK at zero.
void Lock();
void Unlock();
long Count();
HRESULT CanUnloadNow();
}  // namespace module

// ---- objects ----

// COM interfaces have no virtual destructor; objects die only through
// Release, which deletes through ComObject's virtual one.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// IUnknown for a class implementing Primary and Others: AddRef/Release with
// the object's own count (deleting at zero), QueryInterface from Find(). The
// object counts in the module's count from birth to death. A new object
// starts with one reference held by its creator (see New()).
template <class Primary, class... Others>
class ComObject : public Primary, public Others... {
 public:
  ComObject() { module::Lock(); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) final {
    if (!out) return E_POINTER;
    *out = IsEqualIID(iid, IID_IUnknown) ? static_cast<Primary*>(this) : Find(iid);
    if (!*out) return E_NOINTERFACE;
    static_cast<IUnknown*>(static_cast<Primary*>(this))->AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() final { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() final {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 protected:
  virtual ~ComObject() { module::Unlock(); }
  // The interface pointer for iid (other than IUnknown), or null.
  virtual void* Find(REFIID iid) = 0;

 private:
  LONG refs_ = 1;
};

#pragma GCC diagnostic pop

// Creates T with the creator's one reference; null when memory is short.
// (Not ComPtr::Attach: mingw-w64's adds a reference.)
template <class T, class... Args>
Ref<T> New(Args&&... args) {
  T* created = new (std::nothrow) T(std::forward<Args>(args)...);
  Ref<T> object(created);
  if (created) created->Release();
  return object;
}

// IDispatch for a dual interface of ours, answered from its description in
// the module's type library: LoadTypeLibEx(module path, REGKIND_NONE) →
// GetTypeInfoOfGuid(iid) → ITypeInfo::GetIDsOfNames / Invoke on the
// interface's vtable. The type information is loaded on first use and
// released with the object.
class TypeLibDispatch {
 public:
  explicit TypeLibDispatch(const IID& iid) : iid_(iid) {}

  HRESULT GetTypeInfoCount(UINT* count);
  HRESULT GetTypeInfo(UINT index, ITypeInfo** info);
  HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids);
  // instance: the dual interface whose vtable the type information describes.
  HRESULT Invoke(void* instance, DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* info, UINT* argError);

  // The type information, loaded on first use; null when it cannot be.
  ITypeInfo* Info();

 private:
  IID iid_;
  Ref<ITypeInfo> info_;
};

// The IDispatch members of a class with the dual interface Dual, forwarded to
// a TypeLibDispatch. Derive from this instead of ComObject.
template <class Dual, class... Others>
class DualObject : public ComObject<Dual, Others...> {
 public:
  explicit DualObject(const IID& iid) : dispatch_(iid) {}

  // Loading the type information allocates: each is a boundary of its own.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override { return dispatch_.GetTypeInfoCount(count); }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    return Boundary(E_OUTOFMEMORY, [&] { return dispatch_.GetTypeInfo(index, info); });
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    return Boundary(E_OUTOFMEMORY, [&] { return dispatch_.GetIDsOfNames(names, count, ids); });
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* info, UINT* argError) override {
    return Boundary(E_OUTOFMEMORY, [&] {
      return dispatch_.Invoke(static_cast<Dual*>(this), id, flags, params, result, info, argError);
    });
  }

 protected:
  TypeLibDispatch dispatch_;
};

// ---- the class factory ----

struct ClassEntry {
  const CLSID* clsid;
  // Creates a new object and returns the interface iid of it.
  HRESULT (*create)(REFIID iid, void** out);
};

// DllGetClassObject over a table of classes: the factory for a listed CLSID,
// CLASS_E_CLASSNOTAVAILABLE for any other.
HRESULT GetClassObject(const ClassEntry* table, size_t count, REFCLSID clsid, REFIID iid,
                       void** out);

// The create function of a ClassEntry for a default-constructible T.
template <class T>
HRESULT CreateInstance(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  Ref<T> object;
  try {
    object = New<T>();
  } catch (...) {
    return E_FAIL;
  }
  if (!object) return E_OUTOFMEMORY;
  return object->QueryInterface(iid, out);
}

}  // namespace vx::win
