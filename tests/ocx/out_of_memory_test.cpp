// The control library with no memory left, in its test copy whose operator
// new can be made to fail: every kind of entry point a container or the
// system calls (export, class factory, COM method, window procedure) answers
// with its failure value instead of throwing at its caller, and the page goes
// on working once memory is back.
#include <windows.h>
#include <commctrl.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include "ocx_test.h"
#include "tests/host/property_dialog.h"

namespace vx::test {
namespace {

using host::PageDialog;
using host::PageSite;

constexpr int kLstFields = 102, kLvConfig = 105, kBtnDelete = 106;
const std::vector<std::wstring> kThreeLines = {L"<FullName>", L"", L"<MailingAddress>"};

template <class Function>
Function* Export(const char* name) {
  HMODULE library = GetModuleHandleW(Opts().ocx.c_str());
  return library ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                 : nullptr;
}

// While it lives, the library's allocations on this thread fail from the
// nth on (the test program's own allocations are not affected).
class LibraryOutOfMemory {
 public:
  explicit LibraryOutOfMemory(long nth = 1) {
    if (auto* fail = Export<void(long)>("VxFailAllocationsFrom")) fail(nth);
  }
  ~LibraryOutOfMemory() {
    if (auto* allow = Export<void()>("VxAllowAllocations")) allow();
  }
  LibraryOutOfMemory(const LibraryOutOfMemory&) = delete;
  LibraryOutOfMemory& operator=(const LibraryOutOfMemory&) = delete;
};

template <class I>
I* As(IUnknown* object, REFIID iid) {
  I* out = nullptr;
  object->QueryInterface(iid, reinterpret_cast<void**>(&out));
  return out;
}

class PageOutOfMemory : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Factory(), nullptr) << "cannot load the control library";
    ASSERT_NE(Export<void(long)>("VxFailAllocationsFrom"), nullptr) << "not the test copy";
    StoreTemplate(kThreeLines);
  }
};

TEST_F(PageOutOfMemory, ExportsFactoryAndMethodsAnswerOutOfMemory) {
  auto* registerServer = Export<HRESULT STDAPICALLTYPE()>("DllRegisterServer");
  ASSERT_NE(registerServer, nullptr);
  IUnknown* control = nullptr;
  ASSERT_HRESULT_SUCCEEDED(Factory()->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&control)));
  IDispatch* dispatch = As<IDispatch>(control, IID_IDispatch);
  IProvideClassInfo* classInfo = As<IProvideClassInfo>(control, IID_IProvideClassInfo);
  IConnectionPointContainer* points = As<IConnectionPointContainer>(control, IID_IConnectionPointContainer);
  const IID events = {0x4BA24B0D, 0x34B7, 0x4C33, {0xA5, 0x43, 0xF7, 0x8D, 0x31, 0x3F, 0x96, 0xFF}};
  IConnectionPoint* point = nullptr;
  ASSERT_HRESULT_SUCCEEDED(points->FindConnectionPoint(events, &point));
  PageSite sink;
  LPOLESTR name = const_cast<LPOLESTR>(L"ReadAdressFormat");

  HRESULT registered = S_OK, created = S_OK, ids = S_OK, info = S_OK, advised = S_OK;
  IUnknown* another = nullptr;
  ITypeInfo* coclass = nullptr;
  DISPID id = 0;
  DWORD cookie = 0;
  {
    LibraryOutOfMemory none;
    registered = registerServer();
    created = Factory()->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&another));
    ids = dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id);
    info = classInfo->GetClassInfo(&coclass);
    advised = point->Advise(static_cast<IOleClientSite*>(&sink), &cookie);
  }
  EXPECT_EQ(registered, E_OUTOFMEMORY) << "before anything was written";
  EXPECT_HRESULT_FAILED(created);
  EXPECT_EQ(another, nullptr);
  EXPECT_EQ(ids, E_OUTOFMEMORY);
  EXPECT_EQ(info, E_OUTOFMEMORY);
  EXPECT_EQ(coclass, nullptr);
  EXPECT_EQ(advised, E_OUTOFMEMORY);
  EXPECT_EQ(sink.references(), 0) << "a sink not taken is not kept";

  // With memory back, the same calls succeed.
  EXPECT_HRESULT_SUCCEEDED(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
  EXPECT_EQ(id, 0x60030002);
  ASSERT_HRESULT_SUCCEEDED(classInfo->GetClassInfo(&coclass));
  coclass->Release();
  point->Release();
  points->Release();
  classInfo->Release();
  dispatch->Release();
  control->Release();
}

TEST_F(PageOutOfMemory, ThePageWindowAnswersAndThePageGoesOn) {
  PageSite site;
  PageDialog dialog(site);
  ASSERT_HRESULT_SUCCEEDED(dialog.Open(Factory(), L"Eigenschaften von Kontakte"));
  HWND page = dialog.pageWindow();
  HWND lines = GetDlgItem(page, kLvConfig);
  auto lineText = [&](int index) {
    wchar_t buffer[128] = {};
    ListView_GetItemText(lines, index, 0, buffer, 128);
    return std::wstring(buffer);
  };

  // An in-place edit whose new text cannot be taken: the line keeps its text.
  SetFocus(lines);
  HWND edit = ListView_EditLabel(lines, 1);
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, L"verloren");
  {
    LibraryOutOfMemory none;
    SetFocus(GetDlgItem(page, kLstFields));
    PageDialog::Pump();
  }
  EXPECT_EQ(lineText(1), L"");
  EXPECT_EQ(site.statusChanges(), 0);

  // A click whose failure cannot even be reported: no box, nothing changed.
  ListView_SetItemState(lines, -1, 0, LVIS_SELECTED);
  std::vector<SeenWindow> seen = WatchWindows([&] {
    LibraryOutOfMemory none;
    SendMessageW(GetDlgItem(page, kBtnDelete), BM_CLICK, 0, 0);
  });
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(ListView_GetItemCount(lines), 3);

  // Memory back: the page edits as before.
  edit = ListView_EditLabel(lines, 1);
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, L"z. Hd. <FullName>");
  SetFocus(GetDlgItem(page, kLstFields));
  PageDialog::Pump();
  EXPECT_EQ(lineText(1), L"z. Hd. <FullName>");
  EXPECT_EQ(site.statusChanges(), 1);
  dialog.Close();
  EXPECT_EQ(site.references(), 0);
}

}  // namespace
}  // namespace vx::test
