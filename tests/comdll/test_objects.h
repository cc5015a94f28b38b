// Small automation objects for the dispatch-layer tests, built on the same
// server plumbing as the libraries (their IDispatch comes from this test
// program's own type library, resource TYPELIB 1). They record what arrives
// so the tests can check what the adapters send.
#pragma once

#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "platform/win32/com_server.h"
#include "platform/win32/dispatch.h"
#include "testobjects_h.h"

namespace vx::test {

using win::Ref;

// The current reference count of an object.
inline ULONG RefCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

class TestContact final : public win::DualObject<ITestContact> {
 public:
  TestContact() : DualObject(IID_ITestContact) {}
  long cls = 40;
  std::wstring fullName = L"Müller";
  win::Variant company;  // VT_EMPTY unless a test sets it

  STDMETHODIMP get_Class(long* value) override { return *value = cls, S_OK; }
  STDMETHODIMP get_FullName(BSTR* value) override { return *value = SysAllocString(fullName.c_str()), S_OK; }
  STDMETHODIMP put_FullName(BSTR value) override { return fullName = value ? value : L"", S_OK; }
  STDMETHODIMP get_CompanyName(VARIANT* value) override { return VariantCopy(value, &company); }
  STDMETHODIMP Fail(long hr) override { return static_cast<HRESULT>(hr); }

 private:
  void* Find(REFIID iid) override {
    return IsEqualIID(iid, IID_ITestContact) || IsEqualIID(iid, IID_IDispatch) ? static_cast<ITestContact*>(this)
                                                                               : nullptr;
  }
};

class TestMail final : public win::DualObject<ITestMail> {
 public:
  TestMail() : DualObject(IID_ITestMail) {}
  STDMETHODIMP get_FullName(BSTR* value) override { return *value = SysAllocString(L"Post"), S_OK; }
  STDMETHODIMP get_Class(long* value) override { return *value = 43, S_OK; }

 private:
  void* Find(REFIID iid) override {
    return IsEqualIID(iid, IID_ITestMail) || IsEqualIID(iid, IID_IDispatch) ? static_cast<ITestMail*>(this) : nullptr;
  }
};

// A button that is its own connection point for Office's button events.
class TestButton final
    : public win::DualObject<ITestButton, IConnectionPointContainer, IConnectionPoint> {
 public:
  static constexpr IID kEvents = {0x000C0351, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  TestButton() : DualObject(IID_ITestButton) {}

  int id = 0;
  std::wstring caption;
  VARIANT_BOOL visible = VARIANT_FALSE;
  std::vector<Ref<IDispatch>> sinks;  // index + 1 = cookie; null once unadvised
  int advises = 0, unadvises = 0;

  STDMETHODIMP get_Id(int* value) override { return *value = id, S_OK; }
  STDMETHODIMP get_Caption(BSTR* value) override { return *value = SysAllocString(caption.c_str()), S_OK; }
  STDMETHODIMP put_Caption(BSTR value) override { return caption = value ? value : L"", S_OK; }
  STDMETHODIMP get_Visible(VARIANT_BOOL* value) override { return *value = visible, S_OK; }
  STDMETHODIMP put_Visible(VARIANT_BOOL value) override { return visible = value, S_OK; }

  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
    *point = nullptr;
    if (!IsEqualIID(iid, kEvents)) return CONNECT_E_NOCONNECTION;
    *point = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP GetConnectionInterface(IID* iid) override { return *iid = kEvents, S_OK; }
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override {
    *container = this;
    AddRef();
    return S_OK;
  }
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
    Ref<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(kEvents, reinterpret_cast<void**>(dispatch.GetAddressOf()))))
      return CONNECT_E_CANNOTCONNECT;
    sinks.push_back(dispatch);
    *cookie = static_cast<DWORD>(sinks.size());
    ++advises;
    return S_OK;
  }
  STDMETHODIMP Unadvise(DWORD cookie) override {
    if (cookie == 0 || cookie > sinks.size() || !sinks[cookie - 1]) return CONNECT_E_NOCONNECTION;
    sinks[cookie - 1].Reset();
    ++unadvises;
    return S_OK;
  }
  STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

  // Raises Click(Ctrl, CancelDefault) the way Office does: Ctrl in
  // rgvarg[1], CancelDefault by reference in rgvarg[0]. Returns the value
  // the sinks left in CancelDefault.
  bool Click(bool cancel) {
    VARIANT_BOOL cancelDefault = cancel ? VARIANT_TRUE : VARIANT_FALSE;
    VARIANTARG args[2];
    VariantInit(&args[0]);
    VariantInit(&args[1]);
    V_VT(&args[0]) = VT_BOOL | VT_BYREF;
    V_BOOLREF(&args[0]) = &cancelDefault;
    V_VT(&args[1]) = VT_DISPATCH;
    V_DISPATCH(&args[1]) = static_cast<ITestButton*>(this);
    DISPPARAMS params{args, nullptr, 2, 0};
    std::vector<Ref<IDispatch>> current = sinks;  // a sink may unadvise meanwhile
    for (auto& sink : current) {
      if (sink) sink->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
    return cancelDefault != VARIANT_FALSE;
  }
  int connected() const {
    int n = 0;
    for (auto& s : sinks) n += s ? 1 : 0;
    return n;
  }

 private:
  void* Find(REFIID iid) override {
    if (IsEqualIID(iid, IID_ITestButton) || IsEqualIID(iid, IID_IDispatch)) return static_cast<ITestButton*>(this);
    if (IsEqualIID(iid, IID_IConnectionPointContainer)) return static_cast<IConnectionPointContainer*>(this);
    if (IsEqualIID(iid, IID_IConnectionPoint)) return static_cast<IConnectionPoint*>(this);
    return nullptr;
  }
};

// Controls: Item by caption (E_INVALIDARG for an unknown one, as Office
// does), Add records its arguments.
class TestControls final : public win::DualObject<ITestControls> {
 public:
  TestControls() : DualObject(IID_ITestControls) {}
  std::vector<Ref<TestButton>> buttons;
  std::vector<win::Variant> lastAdd;

  STDMETHODIMP get_Item(VARIANT index, IDispatch** control) override {
    *control = nullptr;
    if (V_VT(&index) != VT_BSTR) return DISP_E_TYPEMISMATCH;
    for (auto& b : buttons) {
      if (b->caption == V_BSTR(&index)) {
        *control = static_cast<ITestButton*>(b.Get());
        (*control)->AddRef();
        return S_OK;
      }
    }
    return E_INVALIDARG;
  }
  STDMETHODIMP Add(VARIANT type, VARIANT id, VARIANT parameter, VARIANT before, VARIANT temporary,
                   IDispatch** control) override {
    lastAdd.clear();
    for (VARIANT* v : {&type, &id, &parameter, &before, &temporary}) {
      win::Variant copy;
      VariantCopy(&copy, v);
      lastAdd.push_back(std::move(copy));
    }
    auto button = win::New<TestButton>();
    button->id = 4711;
    buttons.push_back(button);
    *control = static_cast<ITestButton*>(button.Get());
    (*control)->AddRef();
    return S_OK;
  }

 private:
  void* Find(REFIID iid) override {
    return IsEqualIID(iid, IID_ITestControls) || IsEqualIID(iid, IID_IDispatch)
               ? static_cast<ITestControls*>(this)
               : nullptr;
  }
};

class TestAddIn final : public win::DualObject<ITestAddIn> {
 public:
  TestAddIn() : DualObject(IID_ITestAddIn) {}
  Ref<IDispatch> object;
  STDMETHODIMP get_Object(IDispatch** value) override {
    *value = object.Get();
    if (*value) (*value)->AddRef();
    return S_OK;
  }
  STDMETHODIMP put_Object(IDispatch* value) override { return object = value, S_OK; }

 private:
  void* Find(REFIID iid) override {
    return IsEqualIID(iid, IID_ITestAddIn) || IsEqualIID(iid, IID_IDispatch) ? static_cast<ITestAddIn*>(this)
                                                                             : nullptr;
  }
};

class TestAddIns final : public win::DualObject<ITestAddIns> {
 public:
  TestAddIns() : DualObject(IID_ITestAddIns) {}
  Ref<TestAddIn> entry = win::New<TestAddIn>();
  VARTYPE lastKeyType = VT_EMPTY;
  // A host that does not coerce: anything but a VARIANT by reference is a
  // type mismatch.
  bool byReferenceOnly = false;
  int calls = 0;

  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* info, UINT* argError) override {
    ++calls;
    if (byReferenceOnly && params && params->cArgs == 1 && V_VT(&params->rgvarg[0]) != (VT_VARIANT | VT_BYREF))
      return DISP_E_TYPEMISMATCH;
    return DualObject::Invoke(id, riid, lcid, flags, params, result, info, argError);
  }

  STDMETHODIMP Item(VARIANT* index, IDispatch** addIn) override {
    *addIn = nullptr;
    if (!index) return E_POINTER;
    const VARIANT* key = index;
    while (V_VT(key) == (VT_VARIANT | VT_BYREF)) key = V_VARIANTREF(key);
    lastKeyType = V_VT(key);
    if (V_VT(key) != VT_BSTR || std::wstring(V_BSTR(key)) != L"Vellorian.Connect") return E_INVALIDARG;
    *addIn = static_cast<ITestAddIn*>(entry.Get());
    (*addIn)->AddRef();
    return S_OK;
  }

 private:
  void* Find(REFIID iid) override {
    return IsEqualIID(iid, IID_ITestAddIns) || IsEqualIID(iid, IID_IDispatch) ? static_cast<ITestAddIns*>(this)
                                                                              : nullptr;
  }
};

// An application (or a window collection: Count) with no windows.
class TestApplication final : public win::DualObject<ITestApplication> {
 public:
  TestApplication() : DualObject(IID_ITestApplication) {}
  long count = 0;
  int explorerReads = 0, inspectorReads = 0;
  STDMETHODIMP get_Explorers(IDispatch** value) override {
    ++explorerReads;
    return Collection(value);
  }
  STDMETHODIMP get_Inspectors(IDispatch** value) override {
    ++inspectorReads;
    return Collection(value);
  }
  STDMETHODIMP ActiveExplorer(IDispatch** value) override { return *value = nullptr, S_OK; }
  STDMETHODIMP get_Count(long* value) override { return *value = count, S_OK; }

 private:
  HRESULT Collection(IDispatch** value) {
    auto collection = win::New<TestApplication>();
    collection->count = count;
    *value = static_cast<ITestApplication*>(collection.Detach());
    return S_OK;
  }
  void* Find(REFIID iid) override {
    return IsEqualIID(iid, IID_ITestApplication) || IsEqualIID(iid, IID_IDispatch)
               ? static_cast<ITestApplication*>(this)
               : nullptr;
  }
};

#pragma GCC diagnostic pop

}  // namespace vx::test
