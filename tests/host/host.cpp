#include "tests/host/host.h"

#include <algorithm>

#include "tests/host/this_build.h"

namespace vx::host {

namespace {

constexpr wchar_t kAddinsKey[] = L"Software\\Microsoft\\Office\\Outlook\\Addins";
constexpr wchar_t kProgId[] = L"Outlook.Application";

// Creates "Outlook.Application" objects: the one application of this host.
class ApplicationFactory : public IClassFactory {
 public:
  explicit ApplicationFactory(ApplicationObj* app) : app_(app) {}
  virtual ~ApplicationFactory() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return static_cast<_Application*>(app_)->QueryInterface(riid, ppv);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  ApplicationObj* app_;
  ULONG refs_ = 1;
};

std::wstring GuidText(REFGUID g) {
  wchar_t text[40];
  StringFromGUID2(g, text, 40);
  return text;
}

std::wstring ComposeAddress(const ContactFields& f) {
  std::wstring out = f.MailingAddressStreet;
  std::wstring cityLine = f.MailingAddressPostalCode;
  if (!cityLine.empty() && !f.MailingAddressCity.empty()) cityLine += L" ";
  cityLine += f.MailingAddressCity;
  for (const std::wstring& part : {cityLine, f.MailingAddressCountry}) {
    if (part.empty()) continue;
    if (!out.empty()) out += L"\r\n";
    out += part;
  }
  return out;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(f.QuadPart);
}

// The add-in's object created from its ProgID and asked for
// IDTExtensibility2: the outcome in a.created, the interface in a.addin.
void CreateAddIn(AddIn& a) {
  CLSID clsid{};
  IUnknown* unknown = nullptr;
  a.created = CLSIDFromProgID(a.progId.c_str(), &clsid);
  if (SUCCEEDED(a.created)) {
    a.created = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                 reinterpret_cast<void**>(&unknown));
  }
  if (SUCCEEDED(a.created)) {
    a.created = unknown->QueryInterface(vx::win::IID_IDTExtensibility2,
                                        reinterpret_cast<void**>(&a.addin));
    unknown->Release();
  }
}

long ClassOf(IDispatch* item) {
  if (dynamic_cast<ContactObj*>(item)) return kClassContact;
  if (dynamic_cast<MailObj*>(item)) return kClassMail;
  if (dynamic_cast<DistListObj*>(item)) return kClassDistList;
  return -1;
}

// The ribbon ID of an inspector showing the item, and its first tab.
std::pair<std::wstring, std::wstring> InspectorRibbon(IDispatch* item) {
  switch (ClassOf(item)) {
    case kClassContact: return {L"Microsoft.Outlook.Contact", L"TabContact"};
    case kClassMail: return {L"Microsoft.Outlook.Mail.Read", L"TabReadMessage"};
    case kClassDistList: return {L"Microsoft.Outlook.DistributionList", L"TabDistributionList"};
    default: return {};
  }
}

// The Home tab of the module an explorer shows.
std::wstring HomeTab(const ExplorerObj* explorer) {
  if (!explorer->folder) return L"";
  switch (explorer->folder->itemType) {
    case kItemContact: return L"TabContacts";
    case kItemMail: return L"TabMail";
    default: return L"";
  }
}

// The context menu shown for right-clicked items.
std::wstring ContextMenuFor(const std::vector<IDispatch*>& items) {
  if (items.size() > 1) return L"ContextMenuMultipleItems";
  if (items.empty()) return L"";
  switch (ClassOf(items[0])) {
    case kClassContact: return L"ContextMenuContactItem";
    case kClassMail: return L"ContextMenuMailItem";
    case kClassDistList: return L"ContextMenuDistributionListItem";
    default: return L"";
  }
}

constexpr wchar_t kExplorerRibbon[] = L"Microsoft.Outlook.Explorer";

bool OpenClipboardRetrying() {
  for (int i = 0; i < 50; ++i) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(10);
  }
  return false;
}

}  // namespace

Host::Host() {
  comInitialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  world_ = std::make_unique<World>();
  World& w = *world_;
  Tracker& t = w.tracker;
  w.app = t.Make<ApplicationObj>(w);
  w.ns = t.Make<NameSpaceObj>(w);
  w.explorers = t.Make<ExplorersObj>(w);
  w.inspectors = t.Make<InspectorsObj>(w);
  w.addins = t.Make<AddInsObj>(w);
  w.defaultFolders[kFolderContacts] = t.Make<FolderObj>(w, L"Kontakte", kItemContact);
  w.defaultFolders[kFolderInbox] = t.Make<FolderObj>(w, L"Posteingang", kItemMail);
  Register();
  static const bool registered = [] {
    WNDCLASSEXW type{};
    type.cbSize = sizeof(type);
    type.lpfnWndProc = &Host::ActionProc;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"VelloxHostActions";
    return RegisterClassExW(&type) != 0;
  }();
  if (registered) {
    actions_ = CreateWindowExW(0, L"VelloxHostActions", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(actions_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
}

LRESULT CALLBACK Host::ActionProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kSplashUp) return DefWindowProcW(window, message, wParam, lParam);
  auto* host = reinterpret_cast<Host*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (host && host->whenSplashShows_) {
    std::function<void()> action = std::move(host->whenSplashShows_);
    host->whenSplashShows_ = nullptr;
    action();
  }
  return 0;
}

void Host::WhenSplashShows(std::function<void()> action) {
  whenSplashShows_ = std::move(action);
  SplashAnswer answer;
  answer.notify = actions_;
  watcher_.SetSplashAnswer(answer);
}

void Host::Idle() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

Host::~Host() {
  if (started_) Shutdown();
  Unregister();
  if (actions_) DestroyWindow(actions_);
  if (ExternalRefs() > 0) {
    world_->tracker.Abandon();
    (void)world_.release();  // someone still holds our objects: leave them valid
  } else {
    world_.reset();
  }
  if (comInitialised_) CoUninitialize();
}

void Host::Register() {
  // The stand-in type libraries, as Outlook's setup registers its own.
  for (const wchar_t* path : {OutlookTypeLibPath(), OfficeTypeLibPath()}) {
    ITypeLib* lib = nullptr;
    if (SUCCEEDED(LoadTypeLibEx(const_cast<wchar_t*>(path), REGKIND_NONE, &lib))) {
      RegisterTypeLib(lib, const_cast<wchar_t*>(path), nullptr);
      lib->Release();
    }
  }
  // "Outlook.Application": the ProgID machine-wide (Wine does not read
  // per-user classes), the class object for this process.
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, L"Outlook.Application\\CLSID", 0, nullptr, 0,
                      KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    std::wstring clsid = GuidText(kClsidOutlookApplication);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid.c_str()),
                   static_cast<DWORD>((clsid.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  factory_ = new ApplicationFactory(world_->app);
  CoRegisterClassObject(kClsidOutlookApplication, factory_, CLSCTX_LOCAL_SERVER,
                        REGCLS_MULTIPLEUSE, &classCookie_);
}

void Host::Unregister() {
  if (classCookie_) CoRevokeClassObject(classCookie_);
  classCookie_ = 0;
  if (factory_) factory_->Release();
  factory_ = nullptr;
  RegDeleteKeyW(HKEY_CLASSES_ROOT, L"Outlook.Application\\CLSID");
  RegDeleteKeyW(HKEY_CLASSES_ROOT, kProgId);
  ITypeLib* lib = nullptr;
  TLIBATTR* attr = nullptr;
  for (const wchar_t* path : {OutlookTypeLibPath(), OfficeTypeLibPath()}) {
    if (FAILED(LoadTypeLibEx(const_cast<wchar_t*>(path), REGKIND_NONE, &lib))) continue;
    if (SUCCEEDED(lib->GetLibAttr(&attr))) {
      UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid, kThisSysKind);
      lib->ReleaseTLibAttr(attr);
    }
    lib->Release();
  }
}

// ---- mailbox ----

FolderObj* Host::AddFolder(const std::wstring& name, long defaultItemType) {
  return world_->tracker.Make<FolderObj>(*world_, name, defaultItemType);
}

ContactObj* Host::AddContact(FolderObj* folder, ContactFields fields) {
  if (fields.MailingAddress.empty()) fields.MailingAddress = ComposeAddress(fields);
  auto* c = world_->tracker.Make<ContactObj>(*world_, folder, std::move(fields));
  folder->items.push_back(c->AsDispatch());
  return c;
}

MailObj* Host::AddMail(FolderObj* folder, const std::wstring& subject) {
  auto* m = world_->tracker.Make<MailObj>(*world_, folder, subject);
  folder->items.push_back(m->AsDispatch());
  return m;
}

DistListObj* Host::AddDistList(FolderObj* folder, const std::wstring& name) {
  auto* d = world_->tracker.Make<DistListObj>(*world_, folder, name);
  folder->items.push_back(d->AsDispatch());
  return d;
}

// ---- windows ----

ExplorerObj* Host::OpenExplorer(FolderObj* folder) {
  auto* e = world_->tracker.Make<ExplorerObj>(*world_, folder);
  world_->openExplorers.push_back(e);
  world_->activeExplorer = e;
  world_->explorers->events->Raise(0xF001, {VarDispatch(e->AsDispatch())});
  Idle();
  return e;
}

void Host::CloseExplorer(ExplorerObj* explorer) {
  if (explorer->open) vx::host::CloseExplorer(*world_, explorer);
}

bool Host::SwitchFolder(ExplorerObj* explorer, FolderObj* folder) {
  return vx::host::SwitchFolder(*world_, explorer, folder);
}

void Host::Select(ExplorerObj* explorer, const std::vector<IDispatch*>& items) {
  explorer->selection->items = items;
  explorer->events->Raise(0xF007, {});
}

InspectorObj* Host::OpenInspector(IDispatch* item) {
  auto* i = world_->tracker.Make<InspectorObj>(*world_, item);
  world_->openInspectors.push_back(i);
  world_->activeInspector = i;
  world_->inspectors->events->Raise(0xF001, {VarDispatch(i->AsDispatch())});
  // The window's ribbon is built as it is shown, after NewInspector.
  std::wstring ribbonId = InspectorRibbon(item).first;
  if (!ribbonId.empty()) {
    for (AddIn& a : addins_) AskRibbon(a, ribbonId);
  }
  Idle();
  return i;
}

void Host::CloseInspector(InspectorObj* inspector) {
  if (inspector->open) vx::host::CloseInspector(*world_, inspector);
}

// ---- command bars ----

ButtonObj* Host::FindButton(BarsObj* bars, const std::wstring& caption, const std::wstring& bar) {
  BarObj* b = bars->Find(bar);
  return b ? b->Find(caption) : nullptr;
}

bool Host::Click(BarsObj* bars, const std::wstring& caption) {
  BarObj* b = bars->Find(L"Standard");
  for (ButtonObj* button : b->buttons) {
    if (button->caption == caption && button->visible) {
      button->RaiseClick();
      return true;
    }
  }
  return false;
}

bool Host::RemoveControl(BarsObj* bars, const std::wstring& caption) {
  BarObj* b = bars->Find(L"Standard");
  ButtonObj* button = b->Find(caption);
  if (!button) return false;
  b->Remove(button);
  return true;
}

// ---- ribbon ----

void Host::SetVersion(const std::wstring& version) {
  world_->version = version;
  wchar_t* end = nullptr;
  long major = std::wcstol(version.c_str(), &end, 10);
  world_->major = end != version.c_str() && major > 0 ? static_cast<int>(major) : 9;
}

const RibbonDocument* AddIn::Ribbon(const std::wstring& ribbonId) const {
  for (const RibbonDocument& d : ribbons) {
    if (d.ribbonId == ribbonId) return &d;
  }
  return nullptr;
}

void Host::ConnectRibbon(AddIn& a) {
  a.ribbons.clear();
  a.ribbonQuery = S_FALSE;
  if (world_->major < 12 || !a.addin) return;
  a.ribbonQuery = a.addin->QueryInterface(vx::win::IID_IRibbonExtensibility,
                                          reinterpret_cast<void**>(&a.ribbon));
  if (FAILED(a.ribbonQuery)) a.ribbon = nullptr;
  if (world_->major >= 14) AskRibbon(a, kExplorerRibbon);
}

void Host::DisconnectRibbon(AddIn& a) {
  if (a.ribbon) a.ribbon->Release();
  a.ribbon = nullptr;
}

void Host::AskRibbon(AddIn& a, const std::wstring& ribbonId) {
  if (!a.ribbon || a.Ribbon(ribbonId)) return;
  RibbonDocument doc;
  doc.ribbonId = ribbonId;
  BSTR id = SysAllocStringLen(ribbonId.data(), static_cast<UINT>(ribbonId.size()));
  BSTR xml = nullptr;
  LARGE_INTEGER from, to;
  QueryPerformanceCounter(&from);
  doc.result = a.ribbon->GetCustomUI(id, &xml);
  QueryPerformanceCounter(&to);
  doc.ms = Milliseconds(from, to);
  if (SUCCEEDED(doc.result) && xml) doc.xml.assign(xml, SysStringLen(xml));
  SysFreeString(xml);
  SysFreeString(id);
  ReadRibbonDocument(world_->major, &doc);
  if (FAILED(doc.result)) {
    world_->faults.push_back(a.progId + L": GetCustomUI(" + ribbonId + L") failed");
  } else if (!doc.refused.empty()) {
    world_->faults.push_back(a.progId + L": the " + ribbonId + L" document is refused: " +
                             doc.refused);
  }
  a.ribbons.push_back(std::move(doc));
}

std::pair<const AddIn*, const RibbonControlDef*> Host::Shown(const std::wstring& ribbonId,
                                                             const std::wstring& place,
                                                             bool contextMenu,
                                                             const std::wstring& controlId) const {
  if (place.empty()) return {};
  for (const AddIn& a : addins_) {
    if (!a.ribbon) continue;
    const RibbonDocument* doc = a.Ribbon(ribbonId);
    if (!doc) continue;
    const RibbonControlDef* c = doc->Find(controlId);
    if (c && c->place == place && c->contextMenu == contextMenu) return {&a, c};
  }
  return {};
}

const RibbonControlDef* Host::RibbonControl(ExplorerObj* explorer,
                                            const std::wstring& controlId) const {
  if (!explorer->open) return nullptr;
  return Shown(kExplorerRibbon, HomeTab(explorer), false, controlId).second;
}

const RibbonControlDef* Host::RibbonControl(InspectorObj* inspector,
                                            const std::wstring& controlId) const {
  if (!inspector->open) return nullptr;
  auto [ribbonId, tab] = InspectorRibbon(inspector->item);
  return Shown(ribbonId, tab, false, controlId).second;
}

const RibbonControlDef* Host::ContextMenuControl(const std::vector<IDispatch*>& items,
                                                 const std::wstring& controlId) const {
  return Shown(kExplorerRibbon, ContextMenuFor(items), true, controlId).second;
}

HRESULT Host::RibbonClick(ExplorerObj* explorer, const std::wstring& controlId) {
  if (!explorer->open) return kNotShown;
  return Callback(Shown(kExplorerRibbon, HomeTab(explorer), false, controlId),
                  explorer->AsDispatch());
}

HRESULT Host::RibbonClick(InspectorObj* inspector, const std::wstring& controlId) {
  if (!inspector->open) return kNotShown;
  auto [ribbonId, tab] = InspectorRibbon(inspector->item);
  return Callback(Shown(ribbonId, tab, false, controlId), inspector->AsDispatch());
}

HRESULT Host::ContextMenuClick(ExplorerObj* explorer, const std::vector<IDispatch*>& items,
                               const std::wstring& controlId) {
  auto shown = Shown(kExplorerRibbon, ContextMenuFor(items), true, controlId);
  if (!explorer->open || !shown.second) return kNotShown;
  auto* selection = world_->tracker.Make<SelectionObj>(*world_, explorer->AsDispatch());
  selection->items = items;
  return Callback(shown, selection->AsDispatch());
}

HRESULT Host::Callback(std::pair<const AddIn*, const RibbonControlDef*> shown, IDispatch* context) {
  auto [a, def] = shown;
  if (!a || !def || def->onAction.empty()) return kNotShown;
  auto* control = world_->tracker.Make<RibbonControlObj>(def->id, def->tag, context);
  auto* held = dynamic_cast<ObjectBase*>(context);
  long heldBefore = held ? held->refs() : 0;
  std::wstring name = def->onAction;
  LPOLESTR names[] = {name.data()};
  DISPID dispid = DISPID_UNKNOWN;
  HRESULT hr = a->ribbon->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &dispid);
  if (FAILED(hr)) return hr;
  VARIANT arg;
  VariantInit(&arg);
  V_VT(&arg) = VT_DISPATCH;
  V_DISPATCH(&arg) = static_cast<vx::win::IRibbonControl*>(control);  // the host's own reference
  DISPPARAMS params{&arg, nullptr, 1, 0};
  VARIANT result;
  VariantInit(&result);
  EXCEPINFO excep{};
  UINT argErr = 0;
  hr = a->ribbon->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                         &excep, &argErr);
  VariantClear(&result);
  SysFreeString(excep.bstrSource);
  SysFreeString(excep.bstrDescription);
  SysFreeString(excep.bstrHelpFile);
  if (control->refs() != 0) {
    world_->faults.push_back(a->progId + L" kept the IRibbonControl of " + def->id +
                             L" after its callback");
  }
  if (held && held->refs() != heldBefore) {
    world_->faults.push_back(a->progId + L" kept the context (" + held->kind() + L") of " +
                             def->id + L" after its callback");
  }
  return hr;
}

// ---- properties dialog ----

PagesObj* Host::OpenFolderProperties(FolderObj* folder) {
  auto* pages = world_->tracker.Make<PagesObj>(*world_);
  world_->ns->events->Raise(0xF005, {VarDispatch(pages->AsDispatch()), VarDispatch(folder->AsDispatch())});
  return pages;
}

// ---- add-ins ----

void Host::Startup() {
  if (started_) return;
  started_ = true;
  // The user's add-ins, then the machine's (not listed again when the user
  // has an entry of the same name).
  for (HKEY hive : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    HKEY root = nullptr;
    if (RegOpenKeyExW(hive, kAddinsKey, 0, KEY_READ, &root) != ERROR_SUCCESS) continue;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = 256;
      if (RegEnumKeyExW(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS) {
        break;
      }
      AddIn a;
      a.progId.assign(name, length);
      a.machine = hive == HKEY_LOCAL_MACHINE;
      if (std::any_of(addins_.begin(), addins_.end(),
                      [&](const AddIn& listed) { return lstrcmpiW(listed.progId.c_str(), name) == 0; })) {
        continue;
      }
      wchar_t friendly[512] = L"";
      HKEY entry = nullptr;
      if (RegOpenKeyExW(root, name, 0, KEY_READ, &entry) == ERROR_SUCCESS) {
        DWORD type = 0, size = sizeof(DWORD);
        if (RegQueryValueExW(entry, L"LoadBehavior", nullptr, &type,
                             reinterpret_cast<BYTE*>(&a.loadBehavior), &size) != ERROR_SUCCESS ||
            type != REG_DWORD) {
          a.loadBehavior = 0;
        }
        size = sizeof(friendly) - sizeof(wchar_t);
        if (RegQueryValueExW(entry, L"FriendlyName", nullptr, &type,
                             reinterpret_cast<BYTE*>(friendly), &size) != ERROR_SUCCESS ||
            type != REG_SZ) {
          friendly[0] = 0;
        }
        RegCloseKey(entry);
      }
      CLSID clsid{};
      std::wstring guid;
      if (SUCCEEDED(CLSIDFromProgID(a.progId.c_str(), &clsid))) guid = GuidText(clsid);
      a.entry = world_->tracker.Make<AddInObj>(*world_, a.progId, guid, friendly);
      if (!(a.machine && hideMachineAddIns_)) world_->addins->entries.push_back(a.entry);
      addins_.push_back(a);
    }
    RegCloseKey(root);
  }

  SAFEARRAY* custom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
  for (AddIn& a : addins_) {
    if (a.loadBehavior != 3) continue;
    CreateAddIn(a);
    if (FAILED(a.created)) continue;
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    a.connected = a.addin->OnConnection(static_cast<_Application*>(world_->app),
                                        vx::win::ext_cm_Startup,
                                        static_cast<COMAddIn*>(a.entry), &custom);
    QueryPerformanceCounter(&to);
    a.connectMs = Milliseconds(from, to);
    a.connectedAt = ClockMs();
    if (a.connected != S_OK) {
      a.addin->Release();
      a.addin = nullptr;
      continue;
    }
    a.entry->connected = true;
    ConnectRibbon(a);
  }
  for (AddIn& a : addins_) {
    if (a.addin) a.addin->OnAddInsUpdate(&custom);
  }
  for (AddIn& a : addins_) {
    if (!a.addin) continue;
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    a.addin->OnStartupComplete(&custom);
    QueryPerformanceCounter(&to);
    a.startupCompleteMs = Milliseconds(from, to);
    a.startupCompletedAt = ClockMs();
  }
  SafeArrayDestroy(custom);
  world_->app->events->Raise(0xF006, {});  // ApplicationEvents.Startup
  Idle();
}

void Host::Shutdown() {
  if (!started_) return;
  started_ = false;
  world_->app->events->Raise(0xF007, {});  // ApplicationEvents.Quit
  SAFEARRAY* custom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
  for (AddIn& a : addins_) {
    if (a.addin) a.addin->OnBeginShutdown(&custom);
  }
  for (AddIn& a : addins_) {
    if (!a.addin) continue;
    a.addin->OnDisconnection(vx::win::ext_dm_HostShutdown, &custom);
    DisconnectRibbon(a);
    a.entry->connected = false;
    a.addin->Release();
    a.addin = nullptr;
  }
  SafeArrayDestroy(custom);
}

HRESULT Host::ConnectAddIn(const std::wstring& progId) {
  for (AddIn& a : addins_) {
    if (a.progId != progId || a.addin) continue;
    CreateAddIn(a);
    if (FAILED(a.created)) return a.created;
    SAFEARRAY* custom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
    a.connected = a.addin->OnConnection(static_cast<_Application*>(world_->app),
                                        vx::win::ext_cm_AfterStartup,
                                        static_cast<COMAddIn*>(a.entry), &custom);
    a.connectedAt = ClockMs();
    if (a.connected == S_OK) {
      a.entry->connected = true;
      ConnectRibbon(a);
      a.addin->OnAddInsUpdate(&custom);
    } else {
      a.addin->Release();
      a.addin = nullptr;
    }
    SafeArrayDestroy(custom);
    HRESULT connected = a.connected;
    Idle();
    return connected;
  }
  return S_FALSE;
}

void Host::DisconnectAddIn(const std::wstring& progId) {
  for (AddIn& a : addins_) {
    if (a.progId != progId || !a.addin) continue;
    SAFEARRAY* custom = SafeArrayCreateVector(VT_VARIANT, 0, 0);
    a.addin->OnDisconnection(vx::win::ext_dm_UserClosed, &custom);
    SafeArrayDestroy(custom);
    DisconnectRibbon(a);
    a.entry->connected = false;
    a.addin->Release();
    a.addin = nullptr;
  }
}

// ---- clipboard ----

std::string Host::ClipboardText() {
  std::string out;
  if (!OpenClipboardRetrying()) return out;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(h))) {
      out.assign(p, strnlen(p, GlobalSize(h)));
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return out;
}

std::wstring Host::ClipboardUnicode() {
  std::wstring out;
  if (!OpenClipboardRetrying()) return out;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(h))) {
      out.assign(p, wcsnlen(p, GlobalSize(h) / sizeof(wchar_t)));
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return out;
}

bool Host::ClipboardHasText() {
  return IsClipboardFormatAvailable(CF_TEXT) || IsClipboardFormatAvailable(CF_UNICODETEXT);
}

void Host::ClearClipboard() {
  if (!OpenClipboardRetrying()) return;
  EmptyClipboard();
  CloseClipboard();
}

bool Host::WaitForBoxes(size_t n, DWORD ms) {
  DWORD start = GetTickCount();
  while (watcher_.Count() < n) {
    if (GetTickCount() - start > ms) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(5);
  }
  return true;
}

}  // namespace vx::host
