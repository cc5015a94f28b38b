// Vellox.DLL as a COM server, loaded from its file: its type library, the
// class factory, Connect answering by name and through its vtable, and the
// module count behind DllCanUnloadNow.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

#include "Vellox_h.h"
#include "comdll_test.h"
#include "platform/win32/com_registration.h"
#include "platform/win32/dispatch.h"
#include "platform/win32/extensibility.h"
#include "platform/win32/lock.h"
#include "platform/win32/ribbon.h"
#include "test_objects.h"
#include "testobjects_h.h"
#include "tests/host/thread.h"

namespace vx::test {
namespace {

using win::Ref;

class VelloxDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_FALSE(g_dllPath.empty()) << "--dll=<path> missing";
    library_ = LoadLibraryW(g_dllPath.c_str());
    ASSERT_NE(library_, nullptr) << "cannot load the DLL";
    getClassObject_ = reinterpret_cast<decltype(getClassObject_)>(
        reinterpret_cast<void*>(GetProcAddress(library_, "DllGetClassObject")));
    canUnloadNow_ = reinterpret_cast<decltype(canUnloadNow_)>(
        reinterpret_cast<void*>(GetProcAddress(library_, "DllCanUnloadNow")));
  }
  void SetUp() override {
    ASSERT_NE(getClassObject_, nullptr);
    ASSERT_NE(canUnloadNow_, nullptr);
  }

  Ref<IClassFactory> Factory(REFCLSID clsid) {
    Ref<IClassFactory> factory;
    EXPECT_EQ(getClassObject_(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())), S_OK);
    return factory;
  }
  template <class I>
  Ref<I> Create(REFCLSID clsid, REFIID iid) {
    Ref<I> object;
    auto factory = Factory(clsid);
    if (factory) {
      EXPECT_EQ(factory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(object.GetAddressOf())), S_OK);
    }
    return object;
  }

  static inline HMODULE library_ = nullptr;
  static inline HRESULT(STDAPICALLTYPE* getClassObject_)(REFCLSID, REFIID, void**) = nullptr;
  static inline HRESULT(STDAPICALLTYPE* canUnloadNow_)() = nullptr;
};

// The vtable side of a dual interface's type information.
Ref<ITypeInfo> VtableSide(ITypeInfo* info) {
  HREFTYPE ref = 0;
  Ref<ITypeInfo> side;
  EXPECT_EQ(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref), S_OK);
  EXPECT_EQ(info->GetRefTypeInfo(ref, &side), S_OK);
  return side;
}

TEST_F(VelloxDll, CarriesItsTypeLibraryAsDescribed) {
  Ref<ITypeLib> lib;
  ASSERT_EQ(LoadTypeLibEx(g_dllPath.c_str(), REGKIND_NONE, &lib), S_OK);
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_Vellorian)) << "widl stored a wrong LIBID";
  EXPECT_EQ(attr->wMajorVerNum, 27);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->lcid, 0u);
  // No library flags (the loader's "has a disk image" aside).
  EXPECT_EQ(attr->wLibFlags & ~LIBFLAG_FHASDISKIMAGE, 0);
  lib->ReleaseTLibAttr(attr);

  win::Bstr name, help;
  ASSERT_EQ(lib->GetDocumentation(-1, name.out(), help.out(), nullptr, nullptr), S_OK);
  EXPECT_EQ(name.text(), u"Vellorian");
  EXPECT_EQ(help.text(), u"kopiert ausgewählte Adresse ins Clipboard");

  struct Expected {
    const char16_t* name;
    const GUID* guid;
    TYPEKIND kind;
    WORD flags;
  };
  const WORD dualFlags = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                         TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
  const Expected expected[] = {
      {u"_clsVellox", &IID__clsVellox, TKIND_DISPATCH, dualFlags},
      {u"clsVellox", &CLSID_clsVellox, TKIND_COCLASS, TYPEFLAG_FCANCREATE},
      {u"_Connect", &IID__Connect, TKIND_DISPATCH, dualFlags},
      {u"Connect", &CLSID_Connect, TKIND_COCLASS, TYPEFLAG_FCANCREATE},
  };
  ASSERT_EQ(lib->GetTypeInfoCount(), 4u);
  for (UINT i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    Ref<ITypeInfo> info;
    ASSERT_EQ(lib->GetTypeInfo(i, &info), S_OK);
    win::Bstr typeName;
    lib->GetDocumentation(static_cast<INT>(i), typeName.out(), nullptr, nullptr, nullptr);
    EXPECT_EQ(typeName.text(), expected[i].name);
    TYPEATTR* type = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&type), S_OK);
    EXPECT_TRUE(IsEqualGUID(type->guid, *expected[i].guid));
    EXPECT_EQ(type->typekind, expected[i].kind);
    // Wine's loader drops "oleautomation" from a dual interface's dispatch
    // side; the stored flags are checked below.
    EXPECT_EQ(type->wTypeFlags | (type->typekind == TKIND_DISPATCH ? TYPEFLAG_FOLEAUTOMATION : 0),
              expected[i].flags);
    if (type->typekind == TKIND_DISPATCH) {
      Ref<ITypeInfo> vtable = VtableSide(info.Get());
      TYPEATTR* side = nullptr;
      ASSERT_EQ(vtable->GetTypeAttr(&side), S_OK);
      EXPECT_EQ(side->typekind, TKIND_INTERFACE);
      EXPECT_EQ(side->wTypeFlags, dualFlags);
      vtable->ReleaseTypeAttr(side);
    }
    info->ReleaseTypeAttr(type);
  }

  // Connect's default interface is _Connect; ReReadSettings is the first slot
  // after IDispatch's seven, with its fixed DISPID.
  Ref<ITypeInfo> connect, connectDefault, dispatchSide;
  ASSERT_EQ(lib->GetTypeInfoOfGuid(CLSID_Connect, &connect), S_OK);
  HREFTYPE ref = 0;
  INT implFlags = 0;
  ASSERT_EQ(connect->GetRefTypeOfImplType(0, &ref), S_OK);
  ASSERT_EQ(connect->GetImplTypeFlags(0, &implFlags), S_OK);
  EXPECT_EQ(implFlags, IMPLTYPEFLAG_FDEFAULT);
  ASSERT_EQ(connect->GetRefTypeInfo(ref, &connectDefault), S_OK);
  Ref<ITypeInfo> vtable = VtableSide(connectDefault.Get());
  ASSERT_TRUE(vtable);
  FUNCDESC* func = nullptr;
  ASSERT_EQ(vtable->GetFuncDesc(0, &func), S_OK);
  EXPECT_EQ(func->memid, 0x60030004);
  EXPECT_EQ(func->invkind, INVOKE_FUNC);
  EXPECT_EQ(func->cParams, 0);
  EXPECT_EQ(func->oVft, static_cast<SHORT>(7 * sizeof(void*)));
  vtable->ReleaseFuncDesc(func);

  // Only our own types: IDTExtensibility2 belongs to the add-in designer.
  Ref<ITypeInfo> foreign;
  EXPECT_NE(lib->GetTypeInfoOfGuid(win::IID_IDTExtensibility2, &foreign), S_OK);
}

// The type records as stored in resource TYPELIB 1 (MSFT format): kind and
// flags of each, in order, whatever a loader makes of them.
TEST_F(VelloxDll, StoresTheTypesInOrderWithTheirFlags) {
  HRSRC found = FindResourceW(library_, MAKEINTRESOURCEW(1), L"TYPELIB");
  ASSERT_NE(found, nullptr);
  const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(library_, found)));
  const DWORD size = SizeofResource(library_, found);
  auto u32 = [&](DWORD at) {
    EXPECT_LE(at + 4, size);
    DWORD v = 0;
    if (at + 4 <= size) memcpy(&v, data + at, 4);
    return v;
  };
  ASSERT_EQ(u32(0), 0x5446534Du);  // "MSFT"
  const DWORD count = u32(0x20);
  ASSERT_EQ(count, 4u);
  const DWORD offsets = 0x54 + ((u32(0x14) & 0x100) ? 4 : 0);
  const DWORD records = u32(offsets + 4 * count);  // first segment: the type records
  const DWORD kinds[] = {TKIND_DISPATCH, TKIND_COCLASS, TKIND_DISPATCH, TKIND_COCLASS};
  const DWORD flags[] = {0x11D0, TYPEFLAG_FCANCREATE, 0x11D0, TYPEFLAG_FCANCREATE};
  for (DWORD i = 0; i < count; ++i) {
    SCOPED_TRACE(i);
    const DWORD record = records + u32(offsets + 4 * i);
    EXPECT_EQ(u32(record) & 0xF, kinds[i]);
    EXPECT_EQ(u32(record + 0x30), flags[i]);
  }
}

TEST_F(VelloxDll, ServesItsTwoClassesOnly) {
  Ref<IUnknown> none;
  EXPECT_EQ(getClassObject_(IID_ITestContact, IID_IClassFactory, reinterpret_cast<void**>(none.GetAddressOf())),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(none, nullptr);

  auto factory = Factory(CLSID_Connect);
  ASSERT_TRUE(factory);
  Ref<IUnknown> aggregated;
  Ref<IUnknown> outer(static_cast<IUnknown*>(static_cast<IClassFactory*>(factory.Get())));
  EXPECT_EQ(factory->CreateInstance(outer.Get(), IID_IUnknown, reinterpret_cast<void**>(aggregated.GetAddressOf())),
            CLASS_E_NOAGGREGATION);

  auto cls = Create<IDispatch>(CLSID_clsVellox, IID__clsVellox);
  ASSERT_TRUE(cls);
  Ref<ITypeInfo> info;
  ASSERT_EQ(cls->GetTypeInfo(0, 0, &info), S_OK);
  TYPEATTR* type = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&type), S_OK);
  EXPECT_TRUE(IsEqualGUID(type->guid, IID__clsVellox));
  info->ReleaseTypeAttr(type);
  Ref<IUnknown> notConnect;
  EXPECT_EQ(cls->QueryInterface(IID__Connect, reinterpret_cast<void**>(notConnect.GetAddressOf())), E_NOINTERFACE);
}

TEST_F(VelloxDll, ConnectAnswersByNameAndThroughItsInterfaces) {
  auto connect = Create<IDispatch>(CLSID_Connect, IID_IDispatch);
  ASSERT_TRUE(connect);
  Ref<win::IDTExtensibility2> extensibility;
  Ref<_Connect> dual;
  ASSERT_EQ(connect->QueryInterface(win::IID_IDTExtensibility2, reinterpret_cast<void**>(extensibility.GetAddressOf())),
            S_OK);
  ASSERT_EQ(connect->QueryInterface(IID__Connect, reinterpret_cast<void**>(dual.GetAddressOf())), S_OK);

  win::DispatchObject byName(connect);
  EXPECT_EQ(byName.IdOf(u"ReReadSettings"), 0x60030004);
  EXPECT_EQ(byName.IdOf(u"rereadsettings"), 0x60030004);
  // IDTExtensibility2 is Outlook's, through its vtable: not by name, and a
  // missing name is just unknown.
  std::wstring unknown = L"Unbekannt", connection = L"OnConnection", shutdown = L"onbeginshutdown";
  for (LPOLESTR name : {unknown.data(), connection.data(), shutdown.data(), static_cast<LPOLESTR>(nullptr)}) {
    LPOLESTR names[] = {name};
    DISPID id = 0;
    EXPECT_EQ(connect->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
  }

  // Outlook started without any window: both counts are read, nothing else
  // happens, and every reference to the host is given back.
  auto app = win::New<TestApplication>();
  IDispatch* host = static_cast<ITestApplication*>(app.Get());
  EXPECT_EQ(extensibility->OnConnection(host, win::ext_cm_Startup, nullptr, nullptr), S_OK);
  EXPECT_EQ(app->explorerReads, 1);
  EXPECT_EQ(app->inspectorReads, 1);
  EXPECT_EQ(RefCount(host), 1u);
  // Not through IDispatch: DISPID 1 is no member, arguments in reverse order.
  win::Variant args[4];
  V_VT(&args[3]) = VT_DISPATCH;
  V_DISPATCH(&args[3]) = host;
  host->AddRef();
  V_VT(&args[2]) = VT_I4;
  V_I4(&args[2]) = win::ext_cm_AfterStartup;
  V_VT(&args[1]) = VT_DISPATCH;
  V_DISPATCH(&args[1]) = nullptr;
  V_VT(&args[0]) = VT_ERROR;
  V_ERROR(&args[0]) = DISP_E_PARAMNOTFOUND;
  DISPPARAMS params{args, nullptr, 4, 0};
  EXPECT_EQ(connect->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(app->explorerReads, 1);
  V_VT(&args[3]) = VT_EMPTY;  // VariantClear would release it twice otherwise
  host->Release();

  EXPECT_EQ(extensibility->OnAddInsUpdate(nullptr), S_OK);
  EXPECT_EQ(extensibility->OnStartupComplete(nullptr), S_OK);
  EXPECT_EQ(extensibility->OnBeginShutdown(nullptr), S_OK);
  EXPECT_EQ(extensibility->OnDisconnection(win::ext_dm_HostShutdown, nullptr), S_OK);
  EXPECT_EQ(RefCount(host), 1u);
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// A ribbon control as Office hands it to a callback: Context is `context`.
class TestRibbonControl final : public win::ComObject<win::IRibbonControl> {
 public:
  Ref<IDispatch> context;
  int contextReads = 0;
  STDMETHODIMP GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP get_Id(BSTR* id) override { return *id = SysAllocString(L"VelloxCopyExplorer"), S_OK; }
  STDMETHODIMP get_Context(IDispatch** value) override {
    ++contextReads;
    *value = context.Get();
    if (*value) (*value)->AddRef();
    return S_OK;
  }
  STDMETHODIMP get_Tag(BSTR* tag) override { return *tag = nullptr, S_OK; }

 private:
  void* Find(REFIID iid) override {
    return IsEqualIID(iid, win::IID_IRibbonControl) || IsEqualIID(iid, IID_IDispatch)
               ? static_cast<win::IRibbonControl*>(this)
               : nullptr;
  }
};
#pragma GCC diagnostic pop

// IRibbonExtensibility is a part of Connect (one identity), answers
// GetCustomUI through its vtable and DISPID 1 (nothing before a connection
// with a window), and the callback by name on it and on Connect's IDispatch
// alike; bad calls get the IDispatch error and let go of what they were given.
TEST_F(VelloxDll, TheRibbonPartKeepsConnectsIdentityAndChecksItsCallbacksArguments) {
  auto connect = Create<IDispatch>(CLSID_Connect, IID_IDispatch);
  ASSERT_TRUE(connect);
  Ref<win::IRibbonExtensibility> ribbon;
  ASSERT_EQ(connect->QueryInterface(win::IID_IRibbonExtensibility, reinterpret_cast<void**>(ribbon.GetAddressOf())),
            S_OK);
  Ref<IUnknown> identity, again;
  ASSERT_EQ(connect->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.GetAddressOf())), S_OK);
  ASSERT_EQ(ribbon->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(again.GetAddressOf())), S_OK);
  EXPECT_EQ(identity.Get(), again.Get());
  Ref<win::IDTExtensibility2> extensibility;
  EXPECT_EQ(ribbon->QueryInterface(win::IID_IDTExtensibility2, reinterpret_cast<void**>(extensibility.GetAddressOf())),
            S_OK);
  const ULONG held = RefCount(identity.Get());
  again.Reset();
  EXPECT_EQ(RefCount(identity.Get()), held - 1) << "one count for the whole object";

  win::Bstr explorerId(u"Microsoft.Outlook.Explorer");
  BSTR xml = reinterpret_cast<BSTR>(1);
  EXPECT_EQ(ribbon->GetCustomUI(explorerId.get(), &xml), S_OK);
  EXPECT_EQ(xml, nullptr) << "not connected";
  win::Variant id = win::Variant::Of(u"Microsoft.Outlook.Contact");
  DISPPARAMS one{&id, nullptr, 1, 0};
  win::Variant result;
  EXPECT_EQ(ribbon->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &one, result.out(), nullptr, nullptr), S_OK);
  EXPECT_EQ(result.type(), VT_BSTR);
  EXPECT_EQ(V_BSTR(&result), nullptr);

  // The callback by name, on both IDispatches, under a DISPID of its own.
  std::wstring name = L"VelloxCopy", lower = L"velloxcopy", unknown = L"Unbekannt";
  LPOLESTR names[] = {name.data()};
  DISPID viaRibbon = 0, viaConnect = 0, viaLower = 0;
  ASSERT_EQ(ribbon->GetIDsOfNames(IID_NULL, names, 1, 0, &viaRibbon), S_OK);
  ASSERT_EQ(connect->GetIDsOfNames(IID_NULL, names, 1, 0, &viaConnect), S_OK);
  names[0] = lower.data();
  EXPECT_EQ(ribbon->GetIDsOfNames(IID_NULL, names, 1, 0, &viaLower), S_OK);
  EXPECT_EQ(viaRibbon, viaConnect);
  EXPECT_EQ(viaLower, viaRibbon);
  for (DISPID taken : {0, 1, 2, 3, 4, 5, 0x60030004}) EXPECT_NE(viaRibbon, taken);
  names[0] = unknown.data();
  DISPID none = 0;
  EXPECT_EQ(ribbon->GetIDsOfNames(IID_NULL, names, 1, 0, &none), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(win::DispatchObject(connect).IdOf(u"ReReadSettings"), 0x60030004);

  auto control = win::New<TestRibbonControl>();
  auto context = win::New<TestContact>();
  control->context = static_cast<ITestContact*>(context.Get());
  IDispatch* controlDispatch = static_cast<win::IRibbonControl*>(control.Get());
  IDispatch* notAControl = static_cast<ITestContact*>(context.Get());
  for (IDispatch* target : {static_cast<IDispatch*>(ribbon.Get()), connect.Get()}) {
    SCOPED_TRACE(target == connect.Get() ? "Connect's IDispatch" : "the ribbon part");
    win::Variant args[2] = {win::Variant::Of(controlDispatch), win::Variant::Of(controlDispatch)};
    DISPPARAMS noArgs{nullptr, nullptr, 0, 0}, twoArgs{args, nullptr, 2, 0}, oneArg{args, nullptr, 1, 0};
    EXPECT_EQ(target->Invoke(viaRibbon, IID_NULL, 0, DISPATCH_METHOD, &noArgs, nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(target->Invoke(viaRibbon, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(target->Invoke(viaRibbon, IID_NULL, 0, DISPATCH_METHOD, &twoArgs, nullptr, nullptr, nullptr),
              DISP_E_BADPARAMCOUNT);
    win::Variant text = win::Variant::Of(u"Microsoft.Outlook.Explorer");
    DISPPARAMS wrong{&text, nullptr, 1, 0};
    UINT argError = 99;
    EXPECT_EQ(target->Invoke(viaRibbon, IID_NULL, 0, DISPATCH_METHOD, &wrong, nullptr, nullptr, &argError),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(argError, 0u);
    win::Variant other = win::Variant::Of(notAControl);
    DISPPARAMS otherObject{&other, nullptr, 1, 0};
    EXPECT_EQ(target->Invoke(viaRibbon, IID_NULL, 0, DISPATCH_METHOD, &otherObject, nullptr, nullptr, nullptr),
              DISP_E_TYPEMISMATCH);
    EXPECT_EQ(control->contextReads, 0);
    // A good call while not connected: S_OK, the Context read and let go of.
    const int reads = control->contextReads;
    EXPECT_EQ(target->Invoke(viaRibbon, IID_NULL, 0, DISPATCH_METHOD, &oneArg, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(control->contextReads, reads + 1);
    control->contextReads = 0;
  }
  control->context.Reset();
  EXPECT_EQ(RefCount(controlDispatch), 1u);
  EXPECT_EQ(RefCount(notAControl), 1u);
}

TEST_F(VelloxDll, CanUnloadOnlyWithNoObjectAndNoLock) {
  EXPECT_EQ(canUnloadNow_(), S_OK);
  {
    auto factory = Factory(CLSID_Connect);
    EXPECT_EQ(canUnloadNow_(), S_FALSE);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    factory.Reset();
    EXPECT_EQ(canUnloadNow_(), S_FALSE);
    factory = Factory(CLSID_Connect);
    Ref<IDispatch> connect;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(connect.GetAddressOf())), S_OK);
    ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    factory.Reset();
    EXPECT_EQ(canUnloadNow_(), S_FALSE);  // Connect is still alive
  }
  EXPECT_EQ(canUnloadNow_(), S_OK);
}

// Closes this process's message boxes as a person would, keeping their texts.
class BoxWatcher {
 public:
  BoxWatcher() : thread_([this] { Run(); }) {}
  ~BoxWatcher() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::wstring> texts() {
    std::lock_guard<win::CriticalSection> lock(mutex_);
    return texts_;
  }

 private:
  void Run() {
    while (!stop_) {
      EnumWindows(&Visit, reinterpret_cast<LPARAM>(this));
      Sleep(20);
    }
  }
  static BOOL CALLBACK Visit(HWND window, LPARAM self) {
    DWORD process = 0;
    wchar_t cls[16] = {};
    GetWindowThreadProcessId(window, &process);
    GetClassNameW(window, cls, 16);
    if (process == GetCurrentProcessId() && std::wstring(cls) == L"#32770" && IsWindowVisible(window)) {
      wchar_t text[1024] = {};
      GetDlgItemTextW(window, 0xFFFF, text, 1024);
      auto watcher = reinterpret_cast<BoxWatcher*>(self);
      {
        std::lock_guard<win::CriticalSection> lock(watcher->mutex_);
        watcher->texts_.push_back(text);
      }
      SendMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
  }

  std::atomic<bool> stop_{false};
  win::CriticalSection mutex_;
  std::vector<std::wstring> texts_;
  host::Thread thread_;
};

// ReReadSettings, called by name the way the options page calls it, reaches
// the template load: with no template stored it shows the missing-template
// message and writes the defaults; called again (through the vtable) it
// finds them and shows nothing. Needs a display for the box.
TEST_F(VelloxDll, ReReadSettingsByNameLoadsTheTemplate) {
  wchar_t display[64];
  if (!GetEnvironmentVariableW(L"DISPLAY", display, 64)) GTEST_SKIP() << "no display for the box";
  const Text settings = u"Software\\VB and VBA Program Settings\\Brisanto";
  ASSERT_EQ(win::reg::DeleteTree(HKEY_CURRENT_USER, settings), S_OK);

  auto connect = Create<IDispatch>(CLSID_Connect, IID_IDispatch);
  ASSERT_TRUE(connect);
  std::vector<std::wstring> boxes;
  {
    BoxWatcher watcher;
    win::DispatchObject(connect).Call(u"ReReadSettings");
    boxes = watcher.texts();
  }
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_FALSE(boxes[0].empty());
  wchar_t line[64] = {};
  DWORD size = sizeof line;
  EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Brisanto\\AdressFormat",
                         L"Line1", RRF_RT_REG_SZ, nullptr, line, &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(line, L"<FullName>");

  Ref<_Connect> dual;
  ASSERT_EQ(connect->QueryInterface(IID__Connect, reinterpret_cast<void**>(dual.GetAddressOf())), S_OK);
  {
    BoxWatcher watcher;
    EXPECT_EQ(dual->ReReadSettings(), S_OK);
    EXPECT_TRUE(watcher.texts().empty());
  }
  EXPECT_EQ(win::reg::DeleteTree(HKEY_CURRENT_USER, settings), S_OK);
}

}  // namespace
}  // namespace vx::test
