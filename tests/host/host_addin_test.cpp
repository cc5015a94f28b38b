// Loading add-ins as Outlook does, with a small add-in served from this test
// program: registry entry, creation from the ProgID, the five calls of
// IDTExtensibility2 in Outlook's order, the COMAddIns entry, and the
// counting that shows whether an add-in let go of everything.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/host/client.h"
#include "tests/host/host.h"

namespace vx::host {
namespace {

constexpr wchar_t kProgId[] = L"VxHostTest.Connect";
constexpr wchar_t kAddinKey[] = L"Software\\Microsoft\\Office\\Outlook\\Addins\\VxHostTest.Connect";
constexpr CLSID kClsid = {0x6A1B2C3D, 0x1111, 0x4222, {0x93, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99}};

// What the test add-in does at connection.
struct Behaviour {
  HRESULT connectResult = S_OK;
  bool publish = true;       // COMAddIns.Item(ProgID).Object = itself
  bool subscribe = true;     // ExplorerEvents of the active explorer
  bool leakExplorer = false; // keeps one reference after disconnection
};

class TestAddIn : public vx::win::IDTExtensibility2 {
 public:
  explicit TestAddIn(Behaviour b) : behaviour_(b) {}
  std::vector<std::wstring> calls;
  int connectMode = -1, disconnectMode = -1;
  IDispatch* addInInst = nullptr;
  bool customIsArray = false;
  long refs = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
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
  EXPECT_EQ(a->entry->object, nullptr);  // the entry's Object emptied
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

}  // namespace
}  // namespace vx::host
