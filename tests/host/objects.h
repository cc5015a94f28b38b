// The objects of the substitute Outlook: Outlook's application, namespace,
// windows, folders, items and property pages, and Office's command bars and
// COM add-in collection. Each answers IDispatch by name from the stand-in type
// libraries (platform/win32/typelibs) and raises its events through
// connection points with Outlook's DISPIDs.
//
// The state lives in the objects; World ties them together and Host (host.h)
// drives them the way a user and Outlook would.
#pragma once

#include "tests/host/com_object.h"

// widl's headers for the stand-in libraries.
#include "office9.h"
#include "outlook9.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace vx::host {

class AddInsObj;
class ApplicationObj;
class BarsObj;
class ExplorerObj;
class ExplorersObj;
class FolderObj;
class InspectorObj;
class InspectorsObj;
class NameSpaceObj;

// OlObjectClass values the host hands out.
enum : long {
  kClassApplication = 0, kClassNamespace = 1, kClassFolder = 2, kClassExplorer = 34,
  kClassInspector = 35, kClassContact = 40, kClassMail = 43, kClassDistList = 69,
  kClassPropertyPages = 71, kClassSelection = 74, kClassExplorers = 60, kClassInspectors = 61,
};
// The Id of every custom control (one added without an Id), as in Office.
inline constexpr long kCustomControlId = 1;
// OlDefaultFolders and OlItemType values.
enum : long { kFolderInbox = 6, kFolderContacts = 10 };
enum : long { kItemMail = 0, kItemContact = 2, kItemDistList = 7 };

// Everything the objects share.
struct World {
  Tracker tracker;
  ApplicationObj* app = nullptr;
  NameSpaceObj* ns = nullptr;
  ExplorersObj* explorers = nullptr;
  InspectorsObj* inspectors = nullptr;
  AddInsObj* addins = nullptr;
  std::vector<ExplorerObj*> openExplorers;    // in opening order
  std::vector<InspectorObj*> openInspectors;  // in opening order
  ExplorerObj* activeExplorer = nullptr;
  InspectorObj* activeInspector = nullptr;
  std::map<long, FolderObj*> defaultFolders;  // by OlDefaultFolders
  // Exchange in online mode: at most this many items may be open at once
  // (0: no limit). An item taken by an add-in while that many are open is
  // refused by the server: every call on it fails until it is let go of.
  long openItemLimit = 0;
  long openItems = 0;      // items referenced outside the host now
  long mostOpenItems = 0;  // the most at any moment
  long refusedItems = 0;   // items handed out beyond the limit
  // Application.Version and its major number, chosen before the start.
  std::wstring version = L"9.0.0.2711";
  int major = 9;
  // What this Outlook would refuse, or what an add-in must not do at this
  // version (a command-bar control where the ribbon replaced the bars, a
  // reference kept from a ribbon callback): a test fails on any.
  std::vector<std::wstring> faults;
};

// ---- Office: command bars ----

class BarObj;

class ButtonObj : public Dispatch<_CommandBarButton> {
 public:
  ButtonObj(Tracker& t, World& world, BarObj* bar, int id, std::wstring caption, bool temporary);

  // What the user sees and the host decides.
  std::wstring caption, tag, tooltip;
  int id;
  bool visible = true;
  bool temporary;
  bool deleted = false;  // removed from its bar; the object answers with E_FAIL
  int faceId = 0;
  long style = 0;  // msoButtonAutomatic
  BarObj* bar;

  // Raises Click(Ctrl, CancelDefault) and returns CancelDefault as the sinks left it.
  bool RaiseClick();
  long clickSinks() const;

  HRESULT STDMETHODCALLTYPE get_Caption(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE put_Caption(BSTR v) override;
  HRESULT STDMETHODCALLTYPE Delete(VARIANT temporary) override;
  HRESULT STDMETHODCALLTYPE get_Id(int* v) override;
  HRESULT STDMETHODCALLTYPE get_Tag(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE put_Tag(BSTR v) override;
  HRESULT STDMETHODCALLTYPE get_TooltipText(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE put_TooltipText(BSTR v) override;
  HRESULT STDMETHODCALLTYPE get_Type(LONG* v) override;
  HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* v) override;
  HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL v) override;
  HRESULT STDMETHODCALLTYPE get_FaceId(int* v) override;
  HRESULT STDMETHODCALLTYPE put_FaceId(int v) override;
  HRESULT STDMETHODCALLTYPE get_Style(LONG* v) override;
  HRESULT STDMETHODCALLTYPE put_Style(LONG v) override;

 protected:
  bool AlsoAnswers(REFIID riid) override { return riid == __uuidof(CommandBarControl); }

 private:
  World& world_;
  ConnectionPoint* click_;
};

class ControlsObj : public Dispatch<CommandBarControls> {
 public:
  ControlsObj(Tracker& t, World& world, BarObj* bar);
  HRESULT STDMETHODCALLTYPE Add(VARIANT type, VARIANT id, VARIANT parameter, VARIANT before,
                                VARIANT temporary, CommandBarControl** out) override;
  HRESULT STDMETHODCALLTYPE get_Count(int* v) override;
  HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, CommandBarControl** out) override;

 private:
  World& world_;
  BarObj* bar_;
};

class BarObj : public Dispatch<CommandBar> {
 public:
  BarObj(Tracker& t, World& world, std::wstring name);
  std::wstring name;
  std::vector<ButtonObj*> buttons;  // in bar order; deleted ones removed
  ControlsObj* controls;
  bool inInspector = false;         // an inspector's bar, not an explorer's

  ButtonObj* Find(const std::wstring& caption) const;  // first with that caption
  void Remove(ButtonObj* button);                      // as the user (or the host) would
  void DiscardTemporary();                             // the window closes

  HRESULT STDMETHODCALLTYPE get_Controls(CommandBarControls** out) override;
  HRESULT STDMETHODCALLTYPE FindControl(VARIANT type, VARIANT id, VARIANT tag, VARIANT visible,
                                        VARIANT recursive, CommandBarControl** out) override;
  HRESULT STDMETHODCALLTYPE get_Name(BSTR* v) override;
};

// The bars of one window: "Menu Bar", "Standard" (with a few built-in
// buttons) and "Advanced".
class BarsObj : public Dispatch<_CommandBars> {
 public:
  BarsObj(Tracker& t, World& world, bool inInspector);
  std::vector<BarObj*> bars;
  BarObj* Find(const std::wstring& name) const;

  HRESULT STDMETHODCALLTYPE get_Count(int* v) override;
  HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, CommandBar** out) override;
};

// ---- Office: COM add-ins ----

class AddInObj : public Dispatch<COMAddIn> {
 public:
  AddInObj(Tracker& t, World& world, std::wstring progId, std::wstring guid,
           std::wstring description);
  ~AddInObj() override;
  std::wstring progId, guid, description;
  bool connected = false;
  IDispatch* object = nullptr;  // what the add-in published (held by the host)
  void SetObject(IDispatch* d);

  HRESULT STDMETHODCALLTYPE get_Description(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE put_Description(BSTR v) override;
  HRESULT STDMETHODCALLTYPE get_ProgId(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE get_Guid(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE get_Connect(VARIANT_BOOL* v) override;
  HRESULT STDMETHODCALLTYPE put_Connect(VARIANT_BOOL v) override;
  HRESULT STDMETHODCALLTYPE get_Object(IDispatch** v) override;
  HRESULT STDMETHODCALLTYPE put_Object(IDispatch* v) override;
  HRESULT STDMETHODCALLTYPE get_Parent(IDispatch** v) override;

 private:
  World& world_;
};

class AddInsObj : public Dispatch<COMAddIns> {
 public:
  AddInsObj(Tracker& t, World& world);
  std::vector<AddInObj*> entries;
  AddInObj* Find(const std::wstring& progId) const;

  HRESULT STDMETHODCALLTYPE Item(VARIANT* index, COMAddIn** out) override;
  HRESULT STDMETHODCALLTYPE get_Count(LONG* v) override;
  HRESULT STDMETHODCALLTYPE get_Parent(IDispatch** v) override;

 private:
  World& world_;
};

// ---- Outlook ----

// Application, Class, Session and Parent: the first four members of every
// Outlook interface.
template <class Iface, long kClass>
class OlObject : public Dispatch<Iface> {
 public:
  OlObject(Tracker& t, World& world, std::wstring kind, IDispatch* parent)
      : Dispatch<Iface>(t, std::move(kind)), world_(world), parent_(parent) {}
  HRESULT STDMETHODCALLTYPE get_Application(_Application** out) override;
  HRESULT STDMETHODCALLTYPE get_Class(LONG* out) override {
    if (!out) return E_POINTER;
    *out = kClass;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Session(_NameSpace** out) override;
  HRESULT STDMETHODCALLTYPE get_Parent(IDispatch** out) override { return Out(parent_, out); }

 protected:
  World& world_;
  IDispatch* parent_;
};

// An item of a folder: open while an add-in holds a reference to it, and
// refused beyond the session's limit of open items (World::openItemLimit).
template <class Iface, long kClass>
class ItemObject : public OlObject<Iface, kClass> {
 public:
  using OlObject<Iface, kClass>::OlObject;

 protected:
  void Held(bool held) override {
    World& w = this->world_;
    if (!held) {
      if (refused_) {
        refused_ = false;
      } else {
        --w.openItems;
      }
    } else if (w.openItemLimit > 0 && w.openItems >= w.openItemLimit) {
      refused_ = true;
      ++w.refusedItems;
    } else {
      w.mostOpenItems = std::max(w.mostOpenItems, ++w.openItems);
    }
  }
  bool Refused() override { return refused_; }

 private:
  bool refused_ = false;
};

class FolderObj : public OlObject<MAPIFolder, kClassFolder> {
 public:
  FolderObj(Tracker& t, World& world, std::wstring name, long itemType);
  std::wstring name;
  long itemType;
  std::vector<IDispatch*> items;  // owned by the host

  HRESULT STDMETHODCALLTYPE get_DefaultItemType(LONG* v) override;
  HRESULT STDMETHODCALLTYPE get_Name(BSTR* v) override;
};

// What a contact holds: the eight texts the tests set most, by name, then
// every other text property of the field table by its name, the two dates
// and the gender.
struct ContactFields {
  static constexpr DATE kNoDate = 949998.0;  // Outlook's "no date", 1 January 4501
  std::wstring FullName{}, CompanyName{}, MailingAddress{}, MailingAddressCity{},
      MailingAddressStreet{}, MailingAddressPostalCode{}, MailingAddressCountry{},
      BusinessFaxNumber{};
  std::map<std::wstring, std::wstring> more{};
  DATE Birthday = kNoDate, Anniversary = kNoDate;
  long Gender = 0;  // OlGender: 1 female, 2 male

  // The text property of that name (one of the eight or one of more).
  std::wstring& Text(const wchar_t* name);
};

// A contact: every property of the field table, at Outlook's DISPIDs. As an
// Outlook older than a property, it does not know that property's name.
class ContactObj : public ItemObject<_ContactItem, kClassContact> {
 public:
  ContactObj(Tracker& t, World& world, FolderObj* folder, ContactFields fields);
  ContactFields fields;
  long invokes = 0;  // IDispatch::Invoke calls on this contact

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                   UINT* argErr) override;

#define VX_TEXT(name, dispid, group, entry, since, guarded, label)                             \
  HRESULT STDMETHODCALLTYPE get_##name(BSTR* v) override {                                     \
    return OutText(fields.Text(L"" #name), v);                                                 \
  }                                                                                            \
  HRESULT STDMETHODCALLTYPE put_##name(BSTR v) override {                                      \
    fields.Text(L"" #name).assign(v ? v : L"", v ? SysStringLen(v) : 0);                       \
    return S_OK;                                                                               \
  }
#define VX_DATE(name, dispid, group, entry, since, guarded, label)                             \
  HRESULT STDMETHODCALLTYPE get_##name(DATE* v) override {                                     \
    if (!v) return E_POINTER;                                                                  \
    *v = fields.name;                                                                          \
    return S_OK;                                                                               \
  }                                                                                            \
  HRESULT STDMETHODCALLTYPE put_##name(DATE v) override {                                      \
    fields.name = v;                                                                           \
    return S_OK;                                                                               \
  }
#define VX_OWN(name, read, group, entry, label)
#include "platform/contact_fields.inc"
#undef VX_TEXT
#undef VX_DATE
#undef VX_OWN
  HRESULT STDMETHODCALLTYPE get_Gender(LONG* v) override {
    if (!v) return E_POINTER;
    *v = fields.Gender;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Gender(LONG v) override {
    fields.Gender = v;
    return S_OK;
  }

 private:
  // Whether the Outlook this host plays has the member.
  bool Knows(DISPID id) const;
};

class MailObj : public ItemObject<_MailItem, kClassMail> {
 public:
  MailObj(Tracker& t, World& world, FolderObj* folder, std::wstring subject);
  std::wstring subject;
};

class DistListObj : public ItemObject<_DistListItem, kClassDistList> {
 public:
  DistListObj(Tracker& t, World& world, FolderObj* folder, std::wstring name);
  std::wstring name;
};

class SelectionObj : public OlObject<Selection, kClassSelection> {
 public:
  SelectionObj(Tracker& t, World& world, IDispatch* explorer);
  std::vector<IDispatch*> items;  // in selection order

  HRESULT STDMETHODCALLTYPE get_Count(LONG* v) override;
  HRESULT STDMETHODCALLTYPE Item(VARIANT index, IDispatch** out) override;
};

// A folder window, with a real top-level window of its own (handed out
// through IOleWindow, as Outlook's explorer does) that goes when it closes.
class ExplorerObj : public OlObject<_Explorer, kClassExplorer>, public IOleWindow {
 public:
  ExplorerObj(Tracker& t, World& world, FolderObj* folder);
  ~ExplorerObj() override;
  FolderObj* folder;
  SelectionObj* selection;
  BarsObj* bars;
  bool open = true;
  ConnectionPoint* events;
  HWND window = nullptr;  // null once closed
  void DestroyOwnWindow();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return CountAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CountRelease(); }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE get_CommandBars(IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_CurrentFolder(MAPIFolder** out) override;
  HRESULT STDMETHODCALLTYPE putref_CurrentFolder(MAPIFolder* folder) override;
  HRESULT STDMETHODCALLTYPE Close() override;
  HRESULT STDMETHODCALLTYPE Display() override;
  HRESULT STDMETHODCALLTYPE get_Caption(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE get_Selection(Selection** out) override;
};

class ExplorersObj : public OlObject<_Explorers, kClassExplorers> {
 public:
  ExplorersObj(Tracker& t, World& world);
  ConnectionPoint* events;  // ExplorersEvents
  HRESULT STDMETHODCALLTYPE get_Count(LONG* v) override;
  HRESULT STDMETHODCALLTYPE Item(VARIANT index, _Explorer** out) override;
};

class InspectorObj : public OlObject<_Inspector, kClassInspector> {
 public:
  InspectorObj(Tracker& t, World& world, IDispatch* item);
  IDispatch* item;
  BarsObj* bars;
  bool open = true;
  ConnectionPoint* events;

  HRESULT STDMETHODCALLTYPE get_CommandBars(IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_CurrentItem(IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE Close(LONG saveMode) override;
  HRESULT STDMETHODCALLTYPE Display(VARIANT modal) override;
};

class InspectorsObj : public OlObject<_Inspectors, kClassInspectors> {
 public:
  InspectorsObj(Tracker& t, World& world);
  ConnectionPoint* events;
  HRESULT STDMETHODCALLTYPE get_Count(LONG* v) override;
  HRESULT STDMETHODCALLTYPE Item(VARIANT index, _Inspector** out) override;
};

// One page added to a properties dialog: a ProgID or a page object.
struct PageRecord {
  std::wstring progId;
  IDispatch* object = nullptr;  // held by the host while the dialog lives
  std::wstring title;
};

class PagesObj : public OlObject<PropertyPages, kClassPropertyPages> {
 public:
  PagesObj(Tracker& t, World& world);
  ~PagesObj() override;
  std::vector<PageRecord> pages;

  HRESULT STDMETHODCALLTYPE get_Count(LONG* v) override;
  HRESULT STDMETHODCALLTYPE Item(VARIANT index, IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE Add(VARIANT page, BSTR title) override;
  HRESULT STDMETHODCALLTYPE Remove(VARIANT index) override;
};

class NameSpaceObj : public OlObject<_NameSpace, kClassNamespace> {
 public:
  NameSpaceObj(Tracker& t, World& world);
  ConnectionPoint* events;
  HRESULT STDMETHODCALLTYPE get_Type(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE GetDefaultFolder(LONG type, MAPIFolder** out) override;
};

class ApplicationObj : public OlObject<_Application, kClassApplication> {
 public:
  ApplicationObj(Tracker& t, World& world);
  ConnectionPoint* events;
  HRESULT STDMETHODCALLTYPE get_Name(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE get_Version(BSTR* v) override;
  HRESULT STDMETHODCALLTYPE ActiveExplorer(_Explorer** out) override;
  HRESULT STDMETHODCALLTYPE ActiveInspector(_Inspector** out) override;
  HRESULT STDMETHODCALLTYPE GetNamespace(BSTR type, _NameSpace** out) override;
  HRESULT STDMETHODCALLTYPE get_COMAddIns(IDispatch** out) override;
  HRESULT STDMETHODCALLTYPE get_Explorers(_Explorers** out) override;
  HRESULT STDMETHODCALLTYPE get_Inspectors(_Inspectors** out) override;
};

template <class Iface, long kClass>
HRESULT OlObject<Iface, kClass>::get_Application(_Application** out) {
  return Out(static_cast<_Application*>(world_.app), out);
}

template <class Iface, long kClass>
HRESULT OlObject<Iface, kClass>::get_Session(_NameSpace** out) {
  return Out(static_cast<_NameSpace*>(world_.ns), out);
}

// ---- the window operations, as Outlook performs them for a user ----

// Switches the explorer's folder: BeforeFolderSwitch (may cancel), then the
// new folder with an empty selection, then FolderSwitch. False when cancelled.
bool SwitchFolder(World& world, ExplorerObj* explorer, FolderObj* folder);
// Closes the window: it leaves the open list (and stops being active) before
// its Close event, and its temporary buttons go after it.
void CloseExplorer(World& world, ExplorerObj* explorer);
void CloseInspector(World& world, InspectorObj* inspector);

}  // namespace vx::host
