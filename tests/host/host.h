// The substitute Outlook: a stand-in for Outlook 2000 to 365 that loads COM
// add-ins the way Outlook does and lets a test act as the user. It is
// Outlook 2000 ("9.0.0.2711") unless SetVersion chose another; from version
// 12 on it also loads the add-ins' ribbon documents and clicks their controls.
//
//   Host host;                                  // COM, type libraries, "Outlook.Application"
//   auto* c = host.AddContact(host.Contacts(), {.FullName = L"Anna Bauer", ...});
//   auto* e = host.OpenExplorer(host.Contacts());
//   host.Startup();                             // every add-in with LoadBehavior 3
//   host.Select(e, {c});
//   host.Click(e->bars, L"&Zwischenablage");
//   host.ClipboardText();                       // the CF_TEXT bytes
//   host.Shutdown();
//   EXPECT_EQ(host.ExternalRefs(), 0);
//
// Everything runs on the calling thread, which must be the thread that created
// the host (an apartment-threaded COM thread); modal boxes and the splash
// window are read and closed by a watcher thread (box_watcher.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/extensibility.h"
#include "platform/win32/ribbon.h"
#include "tests/host/box_watcher.h"
#include "tests/host/objects.h"
#include "tests/host/ribbon.h"

namespace vx::host {

// {0006F03A-0000-0000-C000-000000000046}: the class of "Outlook.Application".
inline constexpr CLSID kClsidOutlookApplication = {
    0x0006F03A, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// One entry of HKCU\Software\Microsoft\Office\Outlook\Addins and what became
// of it at start-up.
struct AddIn {
  std::wstring progId;
  DWORD loadBehavior = 0;
  bool machine = false;       // listed under HKEY_LOCAL_MACHINE only
  AddInObj* entry = nullptr;  // its COMAddIns entry
  HRESULT created = S_FALSE;  // CoCreateInstance + QueryInterface(IDTExtensibility2)
  HRESULT connected = S_FALSE;  // OnConnection
  double connectMs = 0;         // how long OnConnection took
  double startupCompleteMs = 0; // how long OnStartupComplete took
  // ClockMs() when OnConnection and OnStartupComplete returned.
  double connectedAt = 0, startupCompletedAt = 0;
  vx::win::IDTExtensibility2* addin = nullptr;  // held while connected
  // From version 12 on: QueryInterface(IRibbonExtensibility) after
  // OnConnection, the interface held while connected, and every
  // GetCustomUI answer in asking order (each ribbon ID asked once).
  HRESULT ribbonQuery = S_FALSE;
  vx::win::IRibbonExtensibility* ribbon = nullptr;
  std::vector<RibbonDocument> ribbons;
  const RibbonDocument* Ribbon(const std::wstring& ribbonId) const;
};

// What a ribbon click answers when no such control is shown there.
inline constexpr HRESULT kNotShown = S_FALSE;

class Host {
 public:
  // Initialises COM on this thread, builds the object model (a namespace with
  // the Contacts (10) and Inbox (6) folders, no windows), registers the
  // stand-in type libraries as an installed Outlook would and this host as
  // "Outlook.Application", and starts watching for boxes.
  Host();
  // Shuts down (if Startup ran), undoes the registrations and frees the
  // objects, unless references are still held outside: then they are leaked.
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  World& world() { return *world_; }

  // ---- which Outlook ----
  // Application.Version from now on, e.g. "16.0.0.4266"; chosen before
  // Startup. Its major number (before the first ".") decides how the host
  // behaves: below 12 command bars only; from 12 on each connected add-in is
  // asked for IRibbonExtensibility, and GetCustomUI (through the vtable) for
  // "Microsoft.Outlook.Explorer" at connection (from 14 on) and for an
  // inspector's ribbon ID when the first window of that kind opens.
  void SetVersion(const std::wstring& version);
  int Major() const { return world_->major; }
  // What the host found wrong (see World::faults); a test expects none.
  const std::vector<std::wstring>& Faults() const { return world_->faults; }
  ApplicationObj* app() { return world_->app; }
  NameSpaceObj* ns() { return world_->ns; }

  // ---- the mailbox ----
  FolderObj* Contacts() { return world_->defaultFolders[kFolderContacts]; }
  FolderObj* Inbox() { return world_->defaultFolders[kFolderInbox]; }
  FolderObj* AddFolder(const std::wstring& name, long defaultItemType);
  // A contact; when fields.MailingAddress is empty it is composed from street,
  // postal code, city and country, as Outlook does.
  ContactObj* AddContact(FolderObj* folder, ContactFields fields);
  MailObj* AddMail(FolderObj* folder, const std::wstring& subject);
  DistListObj* AddDistList(FolderObj* folder, const std::wstring& name);

  // ---- windows, as the user opens and uses them ----
  // Becomes the active explorer; ExplorersEvents.NewExplorer(Explorer).
  ExplorerObj* OpenExplorer(FolderObj* folder);
  void CloseExplorer(ExplorerObj* explorer);     // Close event; temporary buttons go
  bool SwitchFolder(ExplorerObj* explorer, FolderObj* folder);  // Before..., FolderSwitch
  void Select(ExplorerObj* explorer, const std::vector<IDispatch*>& items);  // SelectionChange
  // Opens an item's window (becomes the active inspector) and raises NewInspector.
  InspectorObj* OpenInspector(IDispatch* item);
  void CloseInspector(InspectorObj* inspector);

  // ---- command bars ----
  // The first control with that caption on a window's bar, or null.
  static ButtonObj* FindButton(BarsObj* bars, const std::wstring& caption,
                               const std::wstring& bar = L"Standard");
  // Clicks the first visible control with that caption on the window's
  // "Standard" bar: Click(Ctrl, CancelDefault) to its sinks. False when there
  // is no such visible control.
  bool Click(BarsObj* bars, const std::wstring& caption);
  // Removes the control from the window's "Standard" bar, as a user
  // customising the toolbar would. False when there is none.
  bool RemoveControl(BarsObj* bars, const std::wstring& caption);

  // ---- ribbon ----
  // Clicks a control the way Office does: the first connected add-in whose
  // loaded document shows a control of that id there is called back on its
  // IRibbonExtensibility pointer, GetIDsOfNames(IID_NULL, {onAction}, 1) and
  // Invoke(DISPATCH_METHOD) with the host's IRibbonControl as the only
  // argument. Its Context: the explorer (the Home tab of the module the
  // explorer shows: "TabContacts", "TabMail"), the inspector (the item's
  // first tab: "TabContact" ...), or a new Selection of the right-clicked
  // items (the menu for them: "ContextMenuContactItem",
  // "ContextMenuMultipleItems" ...; the explorer's own selection is left as
  // it is). The result is Invoke's (or GetIDsOfNames' failure), or
  // kNotShown. A control or context still referenced after the callback is
  // a fault.
  HRESULT RibbonClick(ExplorerObj* explorer, const std::wstring& controlId);
  HRESULT RibbonClick(InspectorObj* inspector, const std::wstring& controlId);
  HRESULT ContextMenuClick(ExplorerObj* explorer, const std::vector<IDispatch*>& items,
                           const std::wstring& controlId);
  // The control of that id shown there, or null.
  const RibbonControlDef* RibbonControl(ExplorerObj* explorer, const std::wstring& controlId) const;
  const RibbonControlDef* RibbonControl(InspectorObj* inspector, const std::wstring& controlId) const;
  const RibbonControlDef* ContextMenuControl(const std::vector<IDispatch*>& items,
                                             const std::wstring& controlId) const;

  // ---- folder properties dialog ----
  // Opens a folder's properties dialog: a new PropertyPages collection is
  // handed to NameSpaceEvents.OptionsPagesAdd(Pages, Folder); what the sinks
  // added is in the result's pages (ProgID or object, and title). The
  // collection stays with the host; only the add-in's records are kept.
  PagesObj* OpenFolderProperties(FolderObj* folder);

  // ---- add-ins ----
  // Outlook's start: every HKCU ...\Outlook\Addins\<ProgID>, then every
  // HKLM one whose ProgID the user has not listed (an add-in for every user
  // of the machine, loaded once), gets a COMAddIns entry; those with
  // LoadBehavior 3 are created in-process from their ProgID, asked for
  // IDTExtensibility2 and connected: OnConnection(app, ext_cm_Startup, entry,
  // custom) for each, then OnAddInsUpdate, then OnStartupComplete; then
  // ApplicationEvents.Startup. An add-in whose OnConnection fails is released
  // at once.
  void Startup();
  // Outlook's end: ApplicationEvents.Quit (its place before the add-ins'
  // notifications is assumed), OnBeginShutdown for each connected add-in, then
  // OnDisconnection(ext_dm_HostShutdown) and the add-in released. The entry's
  // Object stays as the add-in left it (Outlook does not empty it). Windows
  // stay as they are.
  void Shutdown();
  const std::vector<AddIn>& AddIns() const { return addins_; }
  // The user ticks / unticks an add-in in the COM add-ins dialog of the
  // running host: a disconnected add-in entry found at Startup is created
  // and connected (OnConnection(app, ext_cm_AfterStartup, entry, custom),
  // then OnAddInsUpdate), or a connected one disconnected
  // (OnDisconnection(ext_dm_UserClosed), released; the entry's Object as the
  // add-in left it).
  // The result is OnConnection's, or S_FALSE when there was nothing to do.
  HRESULT ConnectAddIn(const std::wstring& progId);
  void DisconnectAddIn(const std::wstring& progId);

  // ---- a broken Outlook ----
  // While on, every call an add-in makes through IDispatch on the host's
  // objects fails (Tracker::failing). The host's own actions and its events
  // go on as before.
  void FailEveryCall(bool on) { world_->tracker.failing = on; }
  // Set before Startup: add-ins entered for the machine (HKLM) get no entry
  // in COMAddIns (Item fails with E_INVALIDARG), as some Outlook versions
  // treat them; each is still handed its own COMAddIn object in OnConnection.
  void HideMachineAddIns(bool on) { hideMachineAddIns_ = on; }

  // ---- clipboard (any thread of the process) ----
  static std::string ClipboardText();      // CF_TEXT bytes without the final NUL; "" if none
  static std::wstring ClipboardUnicode();  // CF_UNICODETEXT; L"" if none
  static bool ClipboardHasText();
  static void ClearClipboard();

  // ---- Outlook's message loop ----
  // Dispatches what is queued for this thread, as Outlook's message loop
  // would between two things the user does; Startup, ConnectAddIn,
  // OpenExplorer and OpenInspector end with it.
  void Idle();

  // ---- boxes the add-in showed (and the watcher closed) ----
  std::vector<Box> TakeBoxes() { return watcher_.Take(); }
  // How the watcher answers the splash from now on.
  void SetSplashAnswer(const SplashAnswer& answer) { watcher_.SetSplashAnswer(answer); }
  // The splash is not answered; once it is up, action runs on this thread
  // from whatever message loop runs then (the splash's own, say): the user
  // closes a window, Outlook disconnects the add-in, ...
  void WhenSplashShows(std::function<void()> action);
  // Waits until n boxes have been recorded since the last TakeBoxes, or the
  // time is up (for boxes shown from another thread).
  bool WaitForBoxes(size_t n, DWORD ms = 5000);

  // ---- counting ----
  long ExternalRefs() const { return world_->tracker.ExternalRefs(); }
  long Subscriptions() const { return world_->tracker.Subscriptions(); }
  std::wstring Holders() const { return world_->tracker.Holders(); }
  const Tracker& tracker() const { return world_->tracker; }

 private:
  void Register();
  void Unregister();
  void ConnectRibbon(AddIn& a);
  void DisconnectRibbon(AddIn& a);
  void AskRibbon(AddIn& a, const std::wstring& ribbonId);
  // The add-in and control shown with that id in a ribbon and place.
  std::pair<const AddIn*, const RibbonControlDef*> Shown(const std::wstring& ribbonId,
                                                   const std::wstring& place, bool contextMenu,
                                                   const std::wstring& controlId) const;
  HRESULT Callback(std::pair<const AddIn*, const RibbonControlDef*> shown, IDispatch* context);

  static LRESULT CALLBACK ActionProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  bool comInitialised_ = false;
  HWND actions_ = nullptr;  // a message-only window for WhenSplashShows
  std::function<void()> whenSplashShows_;
  std::unique_ptr<World> world_;
  std::vector<AddIn> addins_;
  bool started_ = false;
  bool hideMachineAddIns_ = false;
  DWORD classCookie_ = 0;
  IClassFactory* factory_ = nullptr;
  BoxWatcher watcher_;
};

}  // namespace vx::host
