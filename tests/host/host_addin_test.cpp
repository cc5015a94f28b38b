// Loading add-ins as Outlook does, with a small add-in served from this test
// program: registry entry, creation from the ProgID, the five calls of
// IDTExtensibility2 in Outlook's order, the COMAddIns entry, and the
// counting that shows whether an add-in let go of everything.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "tests/host/client.h"
#include "tests/host/host.h"

namespace vx::host {
namespace {

constexpr wchar_t kProgId[] = L"VxHostTest.Connect";
constexpr wchar_t kAddinKey[] = L"Software\\Microsoft\\Office\\Outlook\\Addins\\VxHostTest.Connect";
constexpr CLSID kClsid = {0x6A1B2C3D, 0x1111, 0x4222, {0x93, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99}};

// The ribbon face a test add-in may hand out from its QueryInterface: a COM
// object of its own, as some add-ins do. It answers GetCustomUI from xml and
// one callback, "OnCopy", recording what it was given.
class TestRibbon : public vx::win::IRibbonExtensibility {
 public:
  std::map<std::wstring, std::wstring> xml;  // by ribbon ID; others get NULL
  std::vector<std::wstring>* calls = nullptr;  // "GetCustomUI <id>" is added there
  bool keepControl = false;                    // AddRefs the control and never lets go
  std::vector<std::wstring> names;             // asked of GetIDsOfNames
  // Of the last callback:
  UINT args = 0;
  VARTYPE type = VT_EMPTY;
  WORD flags = 0;
  std::wstring id;
  long contextClass = -1, contextCount = -1;
  long refs = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != vx::win::IID_IRibbonExtensibility) {
      return E_NOINTERFACE;
    }
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
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* n, UINT count, LCID,
                                          DISPID* ids) override {
    names.emplace_back(n[0]);
    *ids = 7;
    if (count != 1 || names.back() != L"OnCopy") return DISP_E_UNKNOWNNAME;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD how, DISPPARAMS* params,
                                   VARIANT*, EXCEPINFO*, UINT*) override {
    if (dispid != 7) return DISP_E_MEMBERNOTFOUND;
    flags = how;
    args = params->cArgs;
    type = args ? V_VT(&params->rgvarg[0]) : static_cast<VARTYPE>(VT_EMPTY);
    if (args != 1 || type != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
    IDispatch* control = V_DISPATCH(&params->rgvarg[0]);
    id = Get(control, L"Id").value.text();
    Call context = Get(control, L"Context");
    contextClass = Get(context.value.object(), L"Class").value.number();
    contextCount = contextClass == 74 ? Get(context.value.object(), L"Count").value.number() : -1;
    if (keepControl) control->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR ribbonId, BSTR* out) override {
    if (calls) calls->push_back(L"GetCustomUI " + std::wstring(ribbonId));
    auto it = xml.find(ribbonId);
    *out = it == xml.end() ? nullptr : SysAllocString(it->second.c_str());
    return S_OK;
  }
};

// What the test add-in does at connection.
struct Behaviour {
  HRESULT connectResult = S_OK;
  bool publish = true;       // COMAddIns.Item(ProgID).Object = itself (emptied again at disconnection)
  bool subscribe = true;     // ExplorerEvents of the active explorer
  bool leakExplorer = false; // keeps one reference after disconnection
};

class TestAddIn : public vx::win::IDTExtensibility2 {
 public:
  explicit TestAddIn(Behaviour b) : behaviour_(b) {}
  std::vector<std::wstring> calls;
  TestRibbon* ribbon = nullptr;  // handed out for IRibbonExtensibility when set
  int connectMode = -1, disconnectMode = -1;
  IDispatch* addInInst = nullptr;
  bool customIsArray = false;
  long refs = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (riid == vx::win::IID_IRibbonExtensibility && ribbon) return ribbon->QueryInterface(riid, ppv);
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != vx::win::IID_IDTExtensibility2) {
      return E_NOINTERFACE;
    }
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
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return DISP_E_MEMBERNOTFOUND;
  }

  HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* app, vx::win::ext_ConnectMode mode,
                                         IDispatch* inst, SAFEARRAY** custom) override {
    calls.push_back(L"OnConnection");
    connectMode = mode;
    addInInst = inst;
    customIsArray = custom && *custom;
    if (FAILED(behaviour_.connectResult)) return behaviour_.connectResult;
    if (behaviour_.publish) {
      Call entry = Method(Get(app, L"COMAddIns").value.object(), L"Item", {Var::Text(kProgId)});
      Put(entry.value.object(), L"Object", Var::Object(this));
    }
    if (behaviour_.subscribe) {
      IConnectionPointContainer* appPoints = nullptr;
      app->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&appPoints));
      appPoints->FindConnectionPoint(DIID_ApplicationEvents, &appPoint_);
      appPoints->Release();
      appSink_.calls = &calls;
      appPoint_->Advise(&appSink_, &appCookie_);
      Call explorer = Method(app, L"ActiveExplorer");
      explorer_ = explorer.value.object();
      explorer_->AddRef();
      IConnectionPointContainer* container = nullptr;
      explorer_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
      container->FindConnectionPoint(DIID_ExplorerEvents, &point_);
      container->Release();
      point_->Advise(&sink_, &cookie_);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDisconnection(vx::win::ext_DisconnectMode mode,
                                            SAFEARRAY**) override {
    calls.push_back(L"OnDisconnection");
    disconnectMode = mode;
    // Outlook leaves the entry's Object as the add-in left it.
    if (behaviour_.publish && addInInst) Put(addInInst, L"Object", Var::Object(nullptr));
    if (point_) {
      point_->Unadvise(cookie_);
      point_->Release();
      point_ = nullptr;
    }
    if (appPoint_) {
      appPoint_->Unadvise(appCookie_);
      appPoint_->Release();
      appPoint_ = nullptr;
    }
    if (explorer_ && !behaviour_.leakExplorer) {
      explorer_->Release();
      explorer_ = nullptr;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY**) override {
    calls.push_back(L"OnAddInsUpdate");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY**) override {
    calls.push_back(L"OnStartupComplete");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY**) override {
    calls.push_back(L"OnBeginShutdown");
    return S_OK;
  }

 private:
  // Answers ExplorerEvents and ignores them.
  struct Sink : IDispatch {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
      *ppv = (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_ExplorerEvents) ? this
                                                                                             : nullptr;
      return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
      *n = 0;
      return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
      return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
      return S_OK;
    }
  } sink_;
  // Records ApplicationEvents Startup and Quit among the calls.
  struct AppSink : Sink {
    std::vector<std::wstring>* calls = nullptr;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
      *ppv = (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID_ApplicationEvents)
                 ? this
                 : nullptr;
      return *ppv ? S_OK : E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
      if (id == 0xF006) calls->push_back(L"Startup");
      if (id == 0xF007) calls->push_back(L"Quit");
      return S_OK;
    }
  } appSink_;
  IConnectionPoint* appPoint_ = nullptr;
  DWORD appCookie_ = 0;
  Behaviour behaviour_;
  IDispatch* explorer_ = nullptr;
  IConnectionPoint* point_ = nullptr;
  DWORD cookie_ = 0;
};

// Serves one TestAddIn from this process under kProgId and registers it as
// an Outlook add-in with the given LoadBehavior, for the user or the machine
// or both, for the life of the object. Made after the Host, which initialises
// COM on the thread.
class Served : public IClassFactory {
 public:
  Served(TestAddIn* addin, DWORD loadBehavior, std::vector<HKEY> hives = {HKEY_CURRENT_USER})
      : addin_(addin), hives_(std::move(hives)) {
    CoRegisterClassObject(kClsid, this, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
    wchar_t clsid[40];
    StringFromGUID2(kClsid, clsid, 40);
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CLASSES_ROOT, L"VxHostTest.Connect\\CLSID", 0, nullptr, 0, KEY_WRITE,
                    nullptr, &key, nullptr);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid),
                   static_cast<DWORD>((wcslen(clsid) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    for (HKEY hive : hives_) {
      RegCreateKeyExW(hive, kAddinKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
      RegSetValueExW(key, L"LoadBehavior", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&loadBehavior),
                     sizeof(DWORD));
      RegSetValueExW(key, L"FriendlyName", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"Test"),
                     5 * sizeof(wchar_t));
      RegCloseKey(key);
    }
  }
  ~Served() {
    CoRevokeClassObject(cookie_);
    RegDeleteKeyW(HKEY_CLASSES_ROOT, L"VxHostTest.Connect\\CLSID");
    RegDeleteKeyW(HKEY_CLASSES_ROOT, L"VxHostTest.Connect");
    for (HKEY hive : hives_) RegDeleteKeyW(hive, kAddinKey);
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = (riid == IID_IUnknown || riid == IID_IClassFactory) ? this : nullptr;
    return *ppv ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID riid, void** ppv) override {
    ++created;
    return addin_->QueryInterface(riid, ppv);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
  int created = 0;

 private:
  TestAddIn* addin_;
  std::vector<HKEY> hives_;
  DWORD cookie_ = 0;
};

AddIn* Find(Host& host) {
  for (const AddIn& a : host.AddIns()) {
    if (a.progId == kProgId) return const_cast<AddIn*>(&a);
  }
  return nullptr;
}

TEST(HostLoadsAddIns, InOutlooksOrderAndLetsGoAtShutdown) {
  TestAddIn addin({});
  Host host;
  Served served(&addin, 3);
  ExplorerObj* e = host.OpenExplorer(host.Contacts());
  host.Startup();
  AddIn* a = Find(host);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(served.created, 1);
  ASSERT_EQ(a->connected, S_OK) << a->loadBehavior << " " << std::hex << a->created;
  EXPECT_EQ(addin.calls, (std::vector<std::wstring>{L"OnConnection", L"OnAddInsUpdate",
                                                     L"OnStartupComplete", L"Startup"}));
  EXPECT_EQ(addin.connectMode, vx::win::ext_cm_Startup);
  EXPECT_TRUE(addin.customIsArray);
  // AddInInst is this add-in's COMAddIns entry, where it published itself.
  EXPECT_EQ(addin.addInInst, static_cast<IDispatch*>(a->entry));
  EXPECT_EQ(Get(addin.addInInst, L"ProgId").value.text(), kProgId);
  EXPECT_EQ(a->entry->object, static_cast<IDispatch*>(&addin));
  EXPECT_TRUE(a->entry->connected);
  EXPECT_EQ(host.Subscriptions(), 2);
  EXPECT_EQ(e->refs(), 1);

  host.Shutdown();
  ASSERT_EQ(addin.calls.size(), 7u);
  EXPECT_EQ(addin.calls[4], L"Quit");
  EXPECT_EQ(addin.calls[5], L"OnBeginShutdown");
  EXPECT_EQ(addin.calls[6], L"OnDisconnection");
  EXPECT_EQ(addin.disconnectMode, vx::win::ext_dm_HostShutdown);
  EXPECT_EQ(a->entry->object, nullptr);  // the entry's Object emptied by the add-in
  EXPECT_EQ(addin.refs, 0);              // the host let go of the add-in
  EXPECT_EQ(host.ExternalRefs(), 0) << host.Holders();
  EXPECT_EQ(host.Subscriptions(), 0);
}

TEST(HostLoadsAddIns, SeesAReferenceKeptAfterDisconnection) {
  TestAddIn addin({.leakExplorer = true});
  Host host;
  Served served(&addin, 3);
  host.OpenExplorer(host.Contacts());
  host.Startup();
  host.Shutdown();
  EXPECT_EQ(host.ExternalRefs(), 1);
  EXPECT_EQ(host.Holders(), L"Explorer: 1 refs");
  EXPECT_EQ(host.Subscriptions(), 0);
  Method(host.app()->AsDispatch(), L"ActiveExplorer").value.object()->Release();  // give it back
  EXPECT_EQ(host.ExternalRefs(), 0);
}

TEST(HostLoadsAddIns, ReleasesAnAddInWhoseConnectionFails) {
  TestAddIn addin({.connectResult = E_FAIL, .publish = false, .subscribe = false});
  Host host;
  Served served(&addin, 3);
  host.OpenExplorer(host.Contacts());
  host.Startup();
  AddIn* a = Find(host);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->connected, E_FAIL);
  EXPECT_EQ(addin.calls, std::vector<std::wstring>{L"OnConnection"});
  EXPECT_EQ(addin.refs, 0);
  EXPECT_FALSE(a->entry->connected);
  host.Shutdown();
  EXPECT_EQ(addin.calls.size(), 1u);
}

TEST(HostLoadsAddIns, ListsButDoesNotLoadOtherLoadBehaviours) {
  TestAddIn addin({});
  Host host;
  Served served(&addin, 2);
  host.Startup();
  AddIn* a = Find(host);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(served.created, 0);
  EXPECT_TRUE(addin.calls.empty());
  Call entry = Method(Get(host.app()->AsDispatch(), L"COMAddIns").value.object(), L"Item",
                      {Var::Text(kProgId)});
  ASSERT_TRUE(entry.ok());
  EXPECT_EQ(Get(entry.value.object(), L"Connect").value.number(), 0);
  EXPECT_EQ(Get(entry.value.object(), L"Object").value.object(), nullptr);
}

// Outlook also loads the add-ins registered for every user of the machine.
TEST(HostLoadsAddIns, ListedForTheMachine) {
  TestAddIn addin({});
  Host host;
  Served served(&addin, 3, {HKEY_LOCAL_MACHINE});
  host.OpenExplorer(host.Contacts());
  host.Startup();
  AddIn* a = Find(host);
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(a->machine);
  EXPECT_EQ(served.created, 1);
  EXPECT_EQ(a->connected, S_OK);
  EXPECT_EQ(a->entry->object, static_cast<IDispatch*>(&addin));
  host.Shutdown();
  EXPECT_EQ(addin.refs, 0);
}

// Listed for the user and for the machine: one entry, one add-in, connected
// once.
TEST(HostLoadsAddIns, ListedTwiceLoadsOnce) {
  TestAddIn addin({});
  Host host;
  Served served(&addin, 3, {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE});
  host.OpenExplorer(host.Contacts());
  host.Startup();
  EXPECT_EQ(std::count_if(host.AddIns().begin(), host.AddIns().end(),
                          [](const AddIn& a) { return a.progId == kProgId; }),
            1);
  ASSERT_NE(Find(host), nullptr);
  EXPECT_FALSE(Find(host)->machine);
  EXPECT_EQ(served.created, 1);
  EXPECT_EQ(std::count(addin.calls.begin(), addin.calls.end(), L"OnConnection"), 1);
  EXPECT_EQ(Get(Get(host.app()->AsDispatch(), L"COMAddIns").value.object(), L"Count").value.number(),
            static_cast<long>(host.AddIns().size()));
  host.Shutdown();
}

// ---- later Outlooks: the ribbon ----

constexpr wchar_t kExplorerXml[] =
    L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    L"<!-- a test document -->\n"
    L"<ui:customUI xmlns:ui=\"http://schemas.microsoft.com/office/2009/07/customui\">"
    L"<ui:ribbon><ui:tabs><ui:tab idMso=\"TabContacts\"><ui:group id=\"G\" label=\"Test\">"
    L"<ui:button id=\"B1\" label=\"Kopieren &amp; mehr\" onAction=\"OnCopy\"/>"
    L"<ui:button id=\"B2\" label=\"Falsch\" onAction=\"NoSuchCallback\"/>"
    L"</ui:group></ui:tab></ui:tabs></ui:ribbon>"
    L"<ui:contextMenus><ui:contextMenu idMso=\"ContextMenuContactItem\">"
    L"<ui:button id=\"C1\" label=\"&#x4B;opieren\" onAction=\"OnCopy\"/>"
    L"</ui:contextMenu></ui:contextMenus></ui:customUI>";
constexpr wchar_t kContactXml[] =
    L"<customUI xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\"><ribbon><tabs>"
    L"<tab idMso=\"TabContact\"><group id=\"G\" label=\"Test\">"
    L"<button id=\"I1\" label=\"Kopieren\" onAction=\"OnCopy\"/></group></tab></tabs></ribbon>"
    L"</customUI>";

TEST(HostRibbon, VersionDecidesWhatIsAskedAndWhen) {
  for (const wchar_t* version : {L"11.0.0.5510", L"12.0.0.4518", L"16.0.0.4266"}) {
    SCOPED_TRACE(testing::Message() << std::string(version, version + wcslen(version)));
    TestRibbon ribbon;
    TestAddIn addin({});
    addin.ribbon = &ribbon;
    ribbon.calls = &addin.calls;
    Host host;
    host.SetVersion(version);
    Served served(&addin, 3);
    host.OpenExplorer(host.Contacts());
    ContactObj* anna = host.AddContact(host.Contacts(), {.FullName = L"Anna"});
    host.Startup();
    EXPECT_EQ(Get(host.app()->AsDispatch(), L"Version").value.text(), version);
    AddIn* a = Find(host);
    ASSERT_NE(a, nullptr);
    int major = host.Major();
    EXPECT_EQ(a->ribbonQuery, major >= 12 ? S_OK : S_FALSE);
    std::vector<std::wstring> start{L"OnConnection"};
    if (major >= 14) start.push_back(L"GetCustomUI Microsoft.Outlook.Explorer");
    start.insert(start.end(), {L"OnAddInsUpdate", L"OnStartupComplete", L"Startup"});
    EXPECT_EQ(addin.calls, start);

    // Each inspector ribbon ID once, when its first window opens.
    addin.calls.clear();
    host.OpenInspector(anna->AsDispatch());
    host.OpenInspector(anna->AsDispatch());
    host.OpenInspector(host.AddMail(host.Inbox(), L"Hallo")->AsDispatch());
    std::vector<std::wstring> asked;
    if (major >= 12) {
      asked = {L"GetCustomUI Microsoft.Outlook.Contact", L"GetCustomUI Microsoft.Outlook.Mail.Read"};
    }
    EXPECT_EQ(addin.calls, asked);
    EXPECT_EQ(a->ribbons.size(), major >= 14 ? 3u : major >= 12 ? 2u : 0u);
    for (const RibbonDocument& d : a->ribbons) EXPECT_TRUE(d.null);
    host.Shutdown();
    EXPECT_EQ(ribbon.refs, 0);
    EXPECT_EQ(addin.refs, 0);
    EXPECT_TRUE(host.Faults().empty());
  }
}

TEST(HostRibbon, ClicksCallBackByNameWithTheHostsControlAndItsContext) {
  TestRibbon ribbon;
  ribbon.xml = {{L"Microsoft.Outlook.Explorer", kExplorerXml},
                {L"Microsoft.Outlook.Contact", kContactXml}};
  TestAddIn addin({});
  addin.ribbon = &ribbon;
  Host host;
  host.SetVersion(L"14.0.0.4760");
  Served served(&addin, 3);
  ExplorerObj* explorer = host.OpenExplorer(host.Contacts());
  ContactObj* anna = host.AddContact(host.Contacts(), {.FullName = L"Anna"});
  MailObj* mail = host.AddMail(host.Contacts(), L"Angebot");
  host.Startup();
  ASSERT_TRUE(host.Faults().empty()) << host.Faults()[0];
  const RibbonControlDef* b1 = host.RibbonControl(explorer, L"B1");
  ASSERT_NE(b1, nullptr);
  EXPECT_EQ(b1->label, L"Kopieren & mehr");
  EXPECT_EQ(b1->group, L"G");
  ASSERT_NE(host.ContextMenuControl({anna->AsDispatch()}, L"C1"), nullptr);
  EXPECT_EQ(host.ContextMenuControl({anna->AsDispatch()}, L"C1")->label, L"Kopieren");
  long refs = host.ExternalRefs();

  EXPECT_EQ(host.RibbonClick(explorer, L"B1"), S_OK);
  EXPECT_EQ(ribbon.names, std::vector<std::wstring>{L"OnCopy"});
  EXPECT_EQ(ribbon.flags, DISPATCH_METHOD);
  EXPECT_EQ(ribbon.args, 1u);
  EXPECT_EQ(ribbon.type, VT_DISPATCH);
  EXPECT_EQ(ribbon.id, L"B1");
  EXPECT_EQ(ribbon.contextClass, kClassExplorer);
  EXPECT_EQ(host.RibbonClick(explorer, L"B2"), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(host.RibbonClick(explorer, L"C1"), kNotShown);  // a menu entry, not on the tab

  EXPECT_EQ(host.ContextMenuClick(explorer, {anna->AsDispatch()}, L"C1"), S_OK);
  EXPECT_EQ(ribbon.contextClass, kClassSelection);
  EXPECT_EQ(ribbon.contextCount, 1);
  EXPECT_EQ(host.ContextMenuClick(explorer, {anna->AsDispatch(), mail->AsDispatch()}, L"C1"),
            kNotShown);  // another menu

  InspectorObj* window = host.OpenInspector(anna->AsDispatch());
  EXPECT_EQ(host.RibbonClick(window, L"I1"), S_OK);
  EXPECT_EQ(ribbon.id, L"I1");
  EXPECT_EQ(ribbon.contextClass, kClassInspector);
  EXPECT_EQ(host.ExternalRefs(), refs) << host.Holders();

  // Only in the Contacts module; not in a window that is closed.
  host.SwitchFolder(explorer, host.Inbox());
  EXPECT_EQ(host.RibbonClick(explorer, L"B1"), kNotShown);
  host.CloseInspector(window);
  EXPECT_EQ(host.RibbonClick(window, L"I1"), kNotShown);
  EXPECT_TRUE(host.Faults().empty());

  // A control kept beyond its callback is a fault.
  host.SwitchFolder(explorer, host.Contacts());
  ribbon.keepControl = true;
  EXPECT_EQ(host.RibbonClick(explorer, L"B1"), S_OK);
  ASSERT_EQ(host.Faults().size(), 1u);
  EXPECT_NE(host.Faults()[0].find(L"kept the IRibbonControl of B1"), std::wstring::npos);
  host.Shutdown();
  EXPECT_EQ(ribbon.refs, 0);
}

TEST(HostRibbon, DocumentsAndBarsAsEachVersionTakesThem) {
  // Well-formed or not.
  struct Case {
    const wchar_t* xml;
    bool wellFormed;
  };
  const Case cases[] = {
      {L"<a><b x='1' y=\"&lt;&#38;&#x3E;\"/><!-- c --><?pi x?><![CDATA[<]]></a>", true},
      {L"\xFEFF<?xml version=\"1.0\"?><p:a xmlns:p=\"u\"><p:b/></p:a>", true},
      {L"<a><b></a></b>", false},
      {L"<a x=1/>", false},
      {L"<a x='1' x='2'/>", false},
      {L"<a p:x='1' q:x='2' xmlns:p='u' xmlns:q='u'/>", false},
      {L"<a x='&nbsp;'/>", false},
      {L"<a x='a & b'/>", false},
      {L"<a x='<'/>", false},
      {L"<a/><b/>", false},
      {L"<p:a/>", false},
      {L"<a><!-- x -- y --></a>", false},
      {L"<a>", false},
      {L"<!DOCTYPE a><a/>", false},
  };
  for (const Case& c : cases) {
    XmlElement root;
    std::wstring error;
    EXPECT_EQ(ReadXml(c.xml, &root, &error), c.wellFormed)
        << std::string(c.xml, c.xml + wcslen(c.xml)) << " " << error.size();
  }
  XmlElement root;
  ASSERT_TRUE(ReadXml(L"<a><b x='1' y=\"&lt;&#38;&#x3E;\"/></a>", &root, nullptr));
  ASSERT_EQ(root.children.size(), 1u);
  EXPECT_EQ(*root.children[0].Attribute(L"y"), L"<&>");

  // The namespace each version loads; context menus only in 2009/07.
  auto refused = [](int major, std::wstring xml) {
    RibbonDocument d;
    d.xml = std::move(xml);
    ReadRibbonDocument(major, &d);
    return !d.refused.empty();
  };
  std::wstring in2009 = kExplorerXml;
  std::wstring in2006 = kContactXml;
  EXPECT_FALSE(refused(12, in2006));
  EXPECT_TRUE(refused(12, in2009));
  EXPECT_FALSE(refused(14, in2006));
  EXPECT_FALSE(refused(16, in2009));
  EXPECT_TRUE(refused(16, L"<customUI xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\">"
                          L"<contextMenus/></customUI>"));
  EXPECT_TRUE(refused(16, L"<customUI><ribbon/></customUI>"));
  std::wstring twice = in2006;
  twice.replace(twice.find(L"id=\"I1\""), 7, L"id=\"G\" ");
  EXPECT_TRUE(refused(14, twice));

  // Command-bar controls: the explorer's still at 12, none at 14.
  for (const wchar_t* version : {L"12.0.0.4518", L"14.0.0.4760"}) {
    Host host;
    host.SetVersion(version);
    ExplorerObj* explorer = host.OpenExplorer(host.Contacts());
    InspectorObj* window = host.OpenInspector(host.AddContact(host.Contacts(), {})->AsDispatch());
    for (BarsObj* bars : {explorer->bars, window->bars}) {
      Call bar = Get(bars->AsDispatch(), L"Item", {Var::Text(L"Standard")});
      Call controls = Get(bar.value.object(), L"Controls");
      EXPECT_TRUE(Method(controls.value.object(), L"Add", {Var::Long(1)}).ok());
    }
    EXPECT_EQ(host.Faults().size(), host.Major() >= 14 ? 2u : 1u);
    EXPECT_NE(host.Faults().back().find(L"inspector bar 'Standard'"), std::wstring::npos);
  }
}

}  // namespace
}  // namespace vx::host
