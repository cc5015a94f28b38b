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

// An object that is its own connection point for one source interface,
// raising events the way Outlook and Office do.
template <class Dual>
class TestSource : public win::DualObject<Dual, IConnectionPointContainer, IConnectionPoint> {
 public:
  TestSource(const IID& dual, const IID& events) : win::DualObject<Dual, IConnectionPointContainer, IConnectionPoint>(dual), dual_(dual), events_(events) {}

  std::vector<Ref<IDispatch>> sinks;  // index + 1 = cookie; null once unadvised
  int advises = 0, unadvises = 0;

  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
    *point = nullptr;
    if (!IsEqualIID(iid, events_)) return CONNECT_E_NOCONNECTION;
    *point = this;
    this->AddRef();
    return S_OK;
  }
  STDMETHODIMP GetConnectionInterface(IID* iid) override { return *iid = events_, S_OK; }
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override {
    *container = this;
    this->AddRef();
    return S_OK;
  }
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
    Ref<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(events_, reinterpret_cast<void**>(dispatch.GetAddressOf()))))
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

  // Calls every connected sink with these arguments (already in reverse
  // order: the last parameter first).
  void Fire(DISPID id, std::vector<VARIANTARG> reversed) {
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    std::vector<Ref<IDispatch>> current = sinks;  // a sink may unadvise meanwhile
    for (auto& sink : current) {
      if (sink) sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
  }
  int connected() const {
    int n = 0;
    for (auto& s : sinks) n += s ? 1 : 0;
    return n;
  }

 private:
  void* Find(REFIID iid) override {
    if (IsEqualIID(iid, dual_) || IsEqualIID(iid, IID_IDispatch)) return static_cast<Dual*>(this);
    if (IsEqualIID(iid, IID_IConnectionPointContainer)) return static_cast<IConnectionPointContainer*>(this);
    if (IsEqualIID(iid, IID_IConnectionPoint)) return static_cast<IConnectionPoint*>(this);
    return nullptr;
  }

  IID dual_;
  IID events_;
};

// An argument for Fire: an object (not owned: the test holds it).
inline VARIANTARG ObjectArg(IDispatch* object) {
  VARIANTARG arg;
  VariantInit(&arg);
  V_VT(&arg) = VT_DISPATCH;
  V_DISPATCH(&arg) = object;
  return arg;
}

// A button with Office's Click event.
class TestButton final : public TestSource<ITestButton> {
 public:
  static constexpr IID kEvents = {0x000C0351, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
  TestButton() : TestSource(IID_ITestButton, kEvents) {}

  int id = 0;
  std::wstring caption;
  VARIANT_BOOL visible = VARIANT_FALSE;

  STDMETHODIMP get_Id(int* value) override { return *value = id, S_OK; }
  STDMETHODIMP get_Caption(BSTR* value) override { return *value = SysAllocString(caption.c_str()), S_OK; }
  STDMETHODIMP put_Caption(BSTR value) override { return caption = value ? value : L"", S_OK; }
  STDMETHODIMP get_Visible(VARIANT_BOOL* value) override { return *value = visible, S_OK; }
  STDMETHODIMP put_Visible(VARIANT_BOOL value) override { return visible = value, S_OK; }

  // Raises Click(Ctrl, CancelDefault): Ctrl in rgvarg[1], CancelDefault by
  // reference in rgvarg[0]. Returns the value the sinks left in it.
  bool Click(bool cancel) {
    VARIANT_BOOL cancelDefault = cancel ? VARIANT_TRUE : VARIANT_FALSE;
    VARIANTARG byRef;
    VariantInit(&byRef);
    V_VT(&byRef) = VT_BOOL | VT_BYREF;
    V_BOOLREF(&byRef) = &cancelDefault;
    Fire(1, {byRef, ObjectArg(static_cast<ITestButton*>(this))});
    return cancelDefault != VARIANT_FALSE;
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

// The Outlook side: application, window collection, namespace, explorer,
// folder or page collection, as a test needs; a source for `events`.
class TestApplication final : public TestSource<ITestApplication> {
 public:
  explicit TestApplication(const IID& events = IID_NULL) : TestSource(IID_ITestApplication, events) {}
  long count = 0;  // Count and DefaultItemType
  int explorerReads = 0, inspectorReads = 0;
  Ref<TestApplication> inspectors, nameSpace, explorer;  // handed out when set
  std::wstring lastTitle, lastPage;

  STDMETHODIMP get_Explorers(IDispatch** value) override {
    ++explorerReads;
    return Collection(nullptr, value);
  }
  STDMETHODIMP get_Inspectors(IDispatch** value) override {
    ++inspectorReads;
    return Collection(inspectors.Get(), value);
  }
  STDMETHODIMP ActiveExplorer(IDispatch** value) override { return Hand(explorer.Get(), value); }
  STDMETHODIMP GetNamespace(BSTR type, IDispatch** value) override {
    if (!type || std::wstring(type) != L"MAPI") return E_INVALIDARG;
    return Hand(nameSpace.Get(), value);
  }
  STDMETHODIMP get_Count(long* value) override { return *value = count, S_OK; }
  STDMETHODIMP get_DefaultItemType(long* value) override { return *value = count, S_OK; }
  STDMETHODIMP Add(VARIANT page, BSTR title) override {
    lastPage = V_VT(&page) == VT_BSTR ? V_BSTR(&page) : L"?";
    lastTitle = title ? title : L"";
    return S_OK;
  }

 private:
  static HRESULT Hand(TestApplication* object, IDispatch** value) {
    *value = object ? static_cast<ITestApplication*>(object) : nullptr;
    if (*value) (*value)->AddRef();
    return S_OK;
  }
  HRESULT Collection(TestApplication* given, IDispatch** value) {
    if (given) return Hand(given, value);
    auto collection = win::New<TestApplication>();
    collection->count = count;
    *value = static_cast<ITestApplication*>(collection.Detach());
    return S_OK;
  }
};

#pragma GCC diagnostic pop

}  // namespace vx::test
