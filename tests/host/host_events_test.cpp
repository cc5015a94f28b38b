// Events of the substitute Outlook as a sink sees them: connection points,
// Outlook's DISPIDs, arguments in reverse order, CancelDefault by reference,
// unsubscribing while an event is raised; and the boxes it reads and closes.
#include <gtest/gtest.h>

#include <functional>

#include "tests/host/client.h"
#include "tests/host/host.h"

namespace vx::host {
namespace {

// Records every event: its DISPID and the VARTYPEs of rgvarg (as raised,
// last parameter first).
class RecordingSink : public IDispatch {
 public:
  explicit RecordingSink(IID diid) : diid_(diid) {}
  struct Event {
    DISPID id;
    std::vector<VARTYPE> rgvarg;
    std::vector<IDispatch*> objects;
  };
  std::vector<Event> events;
  std::function<void(DISPID, DISPPARAMS*)> onEvent;
  long refs = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != diid_) return E_NOINTERFACE;
    *ppv = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT*, EXCEPINFO*, UINT*) override {
    EXPECT_EQ(flags, DISPATCH_METHOD);
    Event e{id, {}, {}};
    for (UINT i = 0; i < params->cArgs; ++i) {
      e.rgvarg.push_back(V_VT(&params->rgvarg[i]));
      e.objects.push_back(V_VT(&params->rgvarg[i]) == VT_DISPATCH ? V_DISPATCH(&params->rgvarg[i])
                                                                  : nullptr);
    }
    events.push_back(e);
    if (onEvent) onEvent(id, params);
    return S_OK;
  }

 private:
  IID diid_;
};

// A subscription made through IConnectionPointContainer, as a client makes it.
struct Subscription {
  IConnectionPoint* point = nullptr;
  DWORD cookie = 0;
  HRESULT hr = E_FAIL;
  Subscription(IDispatch* source, REFIID diid, IUnknown* sink) {
    IConnectionPointContainer* container = nullptr;
    hr = source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    if (FAILED(hr)) return;
    hr = container->FindConnectionPoint(diid, &point);
    container->Release();
    if (SUCCEEDED(hr)) hr = point->Advise(sink, &cookie);
  }
  HRESULT End() {
    HRESULT r = point ? point->Unadvise(cookie) : E_FAIL;
    cookie = 0;
    return r;
  }
  ~Subscription() {
    if (cookie) point->Unadvise(cookie);
    if (point) point->Release();
  }
};

TEST(HostEvents, ExplorerAndInspectorsEventsWithOutlooksDispids) {
  Host host;
  ExplorerObj* e = host.OpenExplorer(host.Inbox());
  RecordingSink explorerSink(DIID_ExplorerEvents), inspectorsSink(DIID_InspectorsEvents);
  {
    Subscription s1(e->AsDispatch(), DIID_ExplorerEvents, &explorerSink);
    Subscription s2(host.world().inspectors->AsDispatch(), DIID_InspectorsEvents, &inspectorsSink);
    ASSERT_HRESULT_SUCCEEDED(s1.hr);
    ASSERT_HRESULT_SUCCEEDED(s2.hr);
    EXPECT_EQ(host.Subscriptions(), 2);

    // BeforeFolderSwitch(NewFolder, Cancel): rgvarg[1] the folder, rgvarg[0] Cancel by reference.
    EXPECT_TRUE(host.SwitchFolder(e, host.Contacts()));
    ASSERT_EQ(explorerSink.events.size(), 2u);
    EXPECT_EQ(explorerSink.events[0].id, 0xF003);
    EXPECT_EQ(explorerSink.events[0].rgvarg, (std::vector<VARTYPE>{VT_BOOL | VT_BYREF, VT_DISPATCH}));
    EXPECT_EQ(explorerSink.events[0].objects[1], host.Contacts()->AsDispatch());
    EXPECT_EQ(explorerSink.events[1].id, 0xF002);  // FolderSwitch, after the folder changed
    EXPECT_TRUE(explorerSink.events[1].rgvarg.empty());

    // A sink that cancels keeps the folder.
    explorerSink.onEvent = [](DISPID id, DISPPARAMS* p) {
      if (id == 0xF003) *V_BOOLREF(&p->rgvarg[0]) = VARIANT_TRUE;
    };
    EXPECT_FALSE(host.SwitchFolder(e, host.Inbox()));
    EXPECT_EQ(e->folder, host.Contacts());
    explorerSink.onEvent = nullptr;

    ContactObj* c = host.AddContact(host.Contacts(), {.FullName = L"X"});
    host.Select(e, {c->AsDispatch()});
    EXPECT_EQ(explorerSink.events.back().id, 0xF007);  // SelectionChange

    InspectorObj* i = host.OpenInspector(c->AsDispatch());
    ASSERT_EQ(inspectorsSink.events.size(), 1u);
    EXPECT_EQ(inspectorsSink.events[0].id, 0xF001);
    EXPECT_EQ(inspectorsSink.events[0].rgvarg, std::vector<VARTYPE>{VT_DISPATCH});
    EXPECT_EQ(inspectorsSink.events[0].objects[0], i->AsDispatch());

    // Close: the explorer has already left the application's windows.
    long countDuringClose = -1;
    IDispatch* activeDuringClose = e->AsDispatch();
    explorerSink.onEvent = [&](DISPID id, DISPPARAMS*) {
      if (id != 0xF008) return;
      countDuringClose = Get(Get(host.app()->AsDispatch(), L"Explorers").value.object(), L"Count")
                             .value.number();
      activeDuringClose = Method(host.app()->AsDispatch(), L"ActiveExplorer").value.object();
    };
    host.CloseExplorer(e);
    EXPECT_EQ(explorerSink.events.back().id, 0xF008);
    EXPECT_EQ(countDuringClose, 0);
    EXPECT_EQ(activeDuringClose, nullptr);
  }
  EXPECT_EQ(host.Subscriptions(), 0);
  EXPECT_EQ(explorerSink.refs, 1);  // the host let go of the sinks
  EXPECT_EQ(inspectorsSink.refs, 1);
  EXPECT_EQ(host.ExternalRefs(), 0);
}

TEST(HostEvents, NamespaceOptionsPagesAddHandsPagesAndFolder) {
  Host host;
  RecordingSink sink(DIID_NameSpaceEvents);
  Subscription s(host.ns()->AsDispatch(), DIID_NameSpaceEvents, &sink);
  ASSERT_HRESULT_SUCCEEDED(s.hr);
  sink.onEvent = [](DISPID, DISPPARAMS* p) {
    // A handler adds a page by name through the collection it was handed.
    Method(V_DISPATCH(&p->rgvarg[1]), L"Add", {Var::Text(L"Some.Page"), Var::Text(L"Seite")});
  };
  PagesObj* pages = host.OpenFolderProperties(host.Contacts());
  ASSERT_EQ(sink.events.size(), 1u);
  EXPECT_EQ(sink.events[0].id, 0xF005);
  EXPECT_EQ(sink.events[0].objects[1], pages->AsDispatch());         // rgvarg[1] = Pages
  EXPECT_EQ(sink.events[0].objects[0], host.Contacts()->AsDispatch());  // rgvarg[0] = Folder
  ASSERT_EQ(pages->pages.size(), 1u);
  EXPECT_EQ(pages->pages[0].progId, L"Some.Page");
  EXPECT_EQ(pages->pages[0].title, L"Seite");
}

TEST(HostEvents, ButtonClickPassesCtrlAndCancelDefaultByReference) {
  Host host;
  ExplorerObj* e = host.OpenExplorer(host.Contacts());
  BarObj* bar = e->bars->Find(L"Standard");
  Call added = Method(bar->controls->AsDispatch(), L"Add");
  Put(added.value.object(), L"Caption", Var::Text(L"&Knopf"));
  RecordingSink sink(DIID__CommandBarButtonEvents);
  Subscription s(added.value.object(), DIID__CommandBarButtonEvents, &sink);
  ASSERT_HRESULT_SUCCEEDED(s.hr);
  sink.onEvent = [](DISPID, DISPPARAMS* p) {
    EXPECT_EQ(*V_BOOLREF(&p->rgvarg[0]), VARIANT_FALSE);
    *V_BOOLREF(&p->rgvarg[0]) = VARIANT_TRUE;
  };
  EXPECT_TRUE(host.Click(e->bars, L"&Knopf"));
  ASSERT_EQ(sink.events.size(), 1u);
  EXPECT_EQ(sink.events[0].id, 0x1);
  EXPECT_EQ(sink.events[0].rgvarg, (std::vector<VARTYPE>{VT_BOOL | VT_BYREF, VT_DISPATCH}));
  EXPECT_EQ(sink.events[0].objects[1], added.value.object());
  EXPECT_TRUE(host.FindButton(e->bars, L"&Knopf")->RaiseClick());  // CancelDefault came back
  // Hidden or missing controls cannot be clicked.
  Put(added.value.object(), L"Visible", Var::Bool(false));
  EXPECT_FALSE(host.Click(e->bars, L"&Knopf"));
  EXPECT_FALSE(host.Click(e->bars, L"&Gibtsnicht"));
  EXPECT_EQ(sink.events.size(), 2u);
}

TEST(HostEvents, SinksMayUnsubscribeWhileAnEventIsRaised) {
  Host host;
  ExplorerObj* e = host.OpenExplorer(host.Contacts());
  RecordingSink first(DIID_ExplorerEvents), second(DIID_ExplorerEvents), third(DIID_ExplorerEvents);
  auto s1 = std::make_unique<Subscription>(e->AsDispatch(), DIID_ExplorerEvents, &first);
  auto s2 = std::make_unique<Subscription>(e->AsDispatch(), DIID_ExplorerEvents, &second);
  auto s3 = std::make_unique<Subscription>(e->AsDispatch(), DIID_ExplorerEvents, &third);
  // The first sink ends its own subscription and the second one's.
  first.onEvent = [&](DISPID, DISPPARAMS*) {
    EXPECT_HRESULT_SUCCEEDED(s1->End());
    EXPECT_HRESULT_SUCCEEDED(s2->End());
    EXPECT_GE(first.refs, 2);  // kept alive by the raise
  };
  host.SwitchFolder(e, host.Inbox());
  EXPECT_EQ(first.events.size(), 1u);  // BeforeFolderSwitch only: gone before FolderSwitch
  EXPECT_TRUE(second.events.empty());  // disconnected before its turn
  EXPECT_EQ(third.events.size(), 2u);
  EXPECT_EQ(first.refs, 1);
  EXPECT_EQ(second.refs, 1);
  EXPECT_EQ(host.Subscriptions(), 1);
  EXPECT_EQ(s1->End(), CONNECT_E_NOCONNECTION);
  s3.reset();
  EXPECT_EQ(host.Subscriptions(), 0);
  EXPECT_EQ(host.tracker().advises, 3);
  EXPECT_EQ(host.tracker().unadvises, 3);
}

TEST(HostEvents, ASinkMustAnswerTheEventInterface) {
  Host host;
  RecordingSink wrong(DIID_InspectorEvents);
  Subscription s(host.world().inspectors->AsDispatch(), DIID_InspectorsEvents, &wrong);
  EXPECT_EQ(s.hr, CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(host.Subscriptions(), 0);
  EXPECT_EQ(wrong.refs, 1);
}

// ---- boxes ----

TEST(HostBoxes, MessageBoxesAreReadAndClosed) {
  Host host;
  int pressed = MessageBoxW(nullptr, L"9: Index außerhalb des gültigen Bereichs\r\n\r\nSuffix",
                            L"myTitle", MB_ICONSTOP);
  EXPECT_EQ(pressed, IDOK);
  MessageBoxW(nullptr, L"Ohne Symbol", L"Vellox", MB_OK);
  std::vector<Box> boxes = host.TakeBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_FALSE(boxes[0].splash);
  EXPECT_EQ(boxes[0].title, L"myTitle");
  EXPECT_EQ(boxes[0].prompt, L"9: Index außerhalb des gültigen Bereichs\r\n\r\nSuffix");
  EXPECT_TRUE(boxes[0].icon);
  EXPECT_EQ(boxes[0].buttons, std::vector<int>{IDOK});
  EXPECT_EQ(boxes[1].prompt, L"Ohne Symbol");
  EXPECT_FALSE(boxes[1].icon);
  EXPECT_TRUE(host.TakeBoxes().empty());
}

// A modal dialog with a "&OK" button, the shape of a splash window.
INT_PTR CALLBACK SplashProc(HWND h, UINT msg, WPARAM w, LPARAM) {
  if (msg == WM_COMMAND && LOWORD(w) == IDOK) {
    EndDialog(h, 42);
    return TRUE;
  }
  return msg == WM_INITDIALOG;
}

TEST(HostBoxes, ASplashWindowIsClosedWithItsOkButton) {
  Host host;
  // DLGTEMPLATE in memory: a dialog with a label and a "&OK" push button.
  alignas(4) WORD buffer[512] = {};
  auto* t = reinterpret_cast<DLGTEMPLATE*>(buffer);
  t->style = WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME;
  t->cdit = 2;
  t->cx = 200;
  t->cy = 100;
  WORD* p = reinterpret_cast<WORD*>(t + 1);
  *p++ = 0;  // menu
  *p++ = 0;  // class
  for (const wchar_t* c = L"Splash"; (*p++ = *c); ++c) {
  }
  auto item = [&p](DWORD style, short y, WORD id, WORD cls, const wchar_t* text) {
    p = reinterpret_cast<WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~ULONG_PTR(3));
    auto* it = reinterpret_cast<DLGITEMTEMPLATE*>(p);
    it->style = style | WS_CHILD | WS_VISIBLE;
    it->x = 10;
    it->y = y;
    it->cx = 100;
    it->cy = 14;
    it->id = id;
    p = reinterpret_cast<WORD*>(it + 1);
    *p++ = 0xFFFF;
    *p++ = cls;
    for (const wchar_t* c = text; (*p++ = *c); ++c) {
    }
    *p++ = 0;  // creation data
  };
  item(SS_LEFT, 10, 100, 0x0082, L"Version 1.0");
  item(BS_DEFPUSHBUTTON, 60, IDOK, 0x0080, L"&OK");
  INT_PTR result = DialogBoxIndirectW(GetModuleHandleW(nullptr), t, nullptr, SplashProc);
  EXPECT_EQ(result, 42);
  std::vector<Box> boxes = host.TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].splash);
  EXPECT_EQ(boxes[0].title, L"Splash");
  EXPECT_NE(std::find(boxes[0].texts.begin(), boxes[0].texts.end(), L"Version 1.0"),
            boxes[0].texts.end());
}

}  // namespace
}  // namespace vx::host
