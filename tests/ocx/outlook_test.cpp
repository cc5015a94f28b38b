// Apply reaching the running add-in through "Outlook.Application": a
// registered class object stands for Outlook's application. It answers
// COMAddIns, Item("Vellorian.Connect"), Object and ReReadSettings by name,
// and counts the references held on it. The page keeps one application
// object per thread until the library is unloaded: these tests measure that.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "ocx_test.h"
#include "page_dialog.h"

namespace vx::test {
namespace {

const CLSID kClsidOutlook = {0x0006F03A, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
enum : DISPID { kCOMAddIns = 1, kItem, kObject, kReReadSettings };

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// Application, COMAddIns, the COMAddIn entry and the published Connect in
// one object: each member by name gives the next, the last one counts.
class FakeOutlook final : public IDispatch, public IClassFactory {
 public:
  long references() const { return refs_; }
  int reReads() const { return reReads_; }
  std::wstring lastItem;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
    } else if (IsEqualIID(iid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
  STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs_); }

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    return QueryInterface(iid, out);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override {
    const std::wstring name = names[0];
    if (name == L"COMAddIns") *id = kCOMAddIns;
    else if (name == L"Item") *id = kItem;
    else if (name == L"Object") *id = kObject;
    else if (name == L"ReReadSettings") *id = kReReadSettings;
    else return DISP_E_UNKNOWNNAME;
    return S_OK;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    if (id == kReReadSettings) {
      ++reReads_;
      return S_OK;
    }
    if (id == kItem && params && params->cArgs == 1) {
      VARIANT* arg = &params->rgvarg[0];
      if (arg->vt == (VT_VARIANT | VT_BYREF)) arg = arg->pvarVal;
      if (arg->vt == VT_BSTR) lastItem = arg->bstrVal;
    }
    if (result) {
      VariantInit(result);
      result->vt = VT_DISPATCH;
      result->pdispVal = this;
      AddRef();
    }
    return S_OK;
  }

 private:
  long refs_ = 0;
  int reReads_ = 0;
};

#pragma GCC diagnostic pop

// Runs the dialog with a line inserted and Apply pressed.
void ApplyOnce() {
  StoreTemplate({L"<FullName>", L"<CompanyName>"});
  PageSite site;
  PageDialog dialog(site);
  ASSERT_HRESULT_SUCCEEDED(dialog.Open(Factory(), L"Eigenschaften von Kontakte"));
  SendMessageW(GetDlgItem(dialog.pageWindow(), 107), BM_CLICK, 0, 0);
  std::vector<SeenWindow> seen = WatchWindows([&] { dialog.Press(kIdApply); });
  EXPECT_TRUE(seen.empty()) << "no error box when the add-in is reached: "
                            << (seen.empty() ? std::string() : std::string(seen[0].text.begin(), seen[0].text.end()));
  dialog.Close();
  EXPECT_EQ(site.references(), 0);
}

// The library is unloaded by the last test: it runs on its own (its CTest
// entry filters for it).
TEST(Outlook, ApplyCallsReReadSettingsAndTheApplicationIsKeptUntilTheLibraryUnloads) {
  ASSERT_NE(Factory(), nullptr);
  FakeOutlook outlook;
  DWORD cookie = 0;
  ASSERT_HRESULT_SUCCEEDED(CoRegisterClassObject(kClsidOutlook, static_cast<IClassFactory*>(&outlook),
                                                 CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie));
  const long registered = outlook.references();

  ApplyOnce();
  EXPECT_EQ(outlook.reReads(), 1);
  EXPECT_EQ(outlook.lastItem, L"Vellorian.Connect");
  EXPECT_EQ(outlook.references(), registered + 1)
      << "after the dialog closed, the page's library still holds the application";

  ApplyOnce();
  EXPECT_EQ(outlook.reReads(), 2);
  EXPECT_EQ(outlook.references(), registered + 1) << "one application object per thread, created once";

  // Unloading the library gives it back.
  Factory()->Release();
  HMODULE library = GetModuleHandleW(Opts().ocx.c_str());
  ASSERT_NE(library, nullptr);
  FreeLibrary(library);
  EXPECT_EQ(GetModuleHandleW(Opts().ocx.c_str()), nullptr);
  EXPECT_EQ(outlook.references(), registered);
  CoRevokeClassObject(cookie);
  EXPECT_EQ(outlook.references(), 0);
}

}  // namespace
}  // namespace vx::test
