#include "tests/host/objects.h"

#include "platform/contact_fields.h"

#include <algorithm>

namespace vx::host {

namespace {

// Office's collections fail with E_INVALIDARG for a name or index they do not
// hold; Outlook's with DISP_E_BADINDEX for an index out of range.
constexpr HRESULT kNoSuchName = E_INVALIDARG;

bool SameTextNoCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                        b.c_str(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::wstring FromBstr(BSTR b) { return std::wstring(b ? b : L"", b ? SysStringLen(b) : 0); }

// Index into a 1-based collection given as a VARIANT number.
template <class T>
HRESULT ByIndex(const std::vector<T*>& list, const VARIANT& index, T** found) {
  long i = 0;
  if (!AsLong(index, &i)) return DISP_E_TYPEMISMATCH;
  if (i < 1 || i > static_cast<long>(list.size())) return DISP_E_BADINDEX;
  *found = list[static_cast<size_t>(i - 1)];
  return S_OK;
}

}  // namespace

// ---- command bar buttons ----

ButtonObj::ButtonObj(Tracker& t, World& world, BarObj* owner, int controlId,
                     std::wstring text, bool isTemporary)
    : Dispatch(t, L"CommandBarButton '" + text + L"'"),
      caption(std::move(text)),
      id(controlId),
      temporary(isTemporary),
      bar(owner),
      world_(world),
      click_(AddSource(DIID__CommandBarButtonEvents)) {}

bool ButtonObj::RaiseClick() {
  VARIANT_BOOL cancel = VARIANT_FALSE;
  click_->Raise(0x1, {VarDispatch(AsDispatch()), VarBoolRef(&cancel)});
  return cancel != VARIANT_FALSE;
}

long ButtonObj::clickSinks() const { return click_->subscriptions(); }

#define VX_ALIVE() \
  if (deleted) return E_FAIL
HRESULT ButtonObj::get_Caption(BSTR* v) { VX_ALIVE(); return OutText(caption, v); }
HRESULT ButtonObj::put_Caption(BSTR v) { VX_ALIVE(); caption = FromBstr(v); return S_OK; }
HRESULT ButtonObj::Delete(VARIANT) {
  VX_ALIVE();
  bar->Remove(this);
  return S_OK;
}
HRESULT ButtonObj::get_Id(int* v) { VX_ALIVE(); if (!v) return E_POINTER; *v = id; return S_OK; }
HRESULT ButtonObj::get_Tag(BSTR* v) { VX_ALIVE(); return OutText(tag, v); }
HRESULT ButtonObj::put_Tag(BSTR v) { VX_ALIVE(); tag = FromBstr(v); return S_OK; }
HRESULT ButtonObj::get_TooltipText(BSTR* v) { VX_ALIVE(); return OutText(tooltip, v); }
HRESULT ButtonObj::put_TooltipText(BSTR v) { VX_ALIVE(); tooltip = FromBstr(v); return S_OK; }
HRESULT ButtonObj::get_Type(LONG* v) { VX_ALIVE(); if (!v) return E_POINTER; *v = 1; return S_OK; }
HRESULT ButtonObj::get_Visible(VARIANT_BOOL* v) {
  VX_ALIVE();
  if (!v) return E_POINTER;
  *v = visible ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}
HRESULT ButtonObj::put_Visible(VARIANT_BOOL v) { VX_ALIVE(); visible = v != VARIANT_FALSE; return S_OK; }
HRESULT ButtonObj::get_FaceId(int* v) { VX_ALIVE(); if (!v) return E_POINTER; *v = faceId; return S_OK; }
HRESULT ButtonObj::put_FaceId(int v) { VX_ALIVE(); faceId = v; return S_OK; }
HRESULT ButtonObj::get_Style(LONG* v) { VX_ALIVE(); if (!v) return E_POINTER; *v = style; return S_OK; }
HRESULT ButtonObj::put_Style(LONG v) { VX_ALIVE(); style = v; return S_OK; }
#undef VX_ALIVE

// ---- controls, bars ----

ControlsObj::ControlsObj(Tracker& t, World& world, BarObj* bar)
    : Dispatch(t, L"CommandBarControls"), world_(world), bar_(bar) {}

HRESULT ControlsObj::Add(VARIANT type, VARIANT id, VARIANT, VARIANT before, VARIANT temporary,
                         CommandBarControl** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  long kind = 1;  // msoControlButton
  if (!Missing(type) && !AsLong(type, &kind)) return DISP_E_TYPEMISMATCH;
  if (kind != 1) return E_INVALIDARG;  // only buttons are modelled
  // Outlook would show it on a generic "Add-Ins" tab: the add-in should
  // have used its ribbon there.
  if (world_.major >= 14 || (world_.major == 12 && bar_->inInspector)) {
    world_.faults.push_back(L"a command-bar control added to the " +
                            std::wstring(bar_->inInspector ? L"inspector" : L"explorer") +
                            L" bar '" + bar_->name + L"' at version " + world_.version);
  }
  // Without an Id the control is a custom one, and every custom control has
  // the Id 1, as in Office (whichever add-in added it).
  long newId = 0;
  if (!Missing(id) && !AsLong(id, &newId)) return DISP_E_TYPEMISMATCH;
  if (newId == 0) newId = kCustomControlId;
  long temp = 0;
  if (!Missing(temporary) && !AsLong(temporary, &temp)) return DISP_E_TYPEMISMATCH;
  size_t at = bar_->buttons.size();
  long beforeIndex = 0;
  if (!Missing(before)) {
    if (!AsLong(before, &beforeIndex)) return DISP_E_TYPEMISMATCH;
    if (beforeIndex < 1 || beforeIndex > static_cast<long>(at) + 1) return kNoSuchName;
    at = static_cast<size_t>(beforeIndex - 1);
  }
  ButtonObj* button =
      tracker_.Make<ButtonObj>(world_, bar_, static_cast<int>(newId), L"", temp != 0);
  bar_->buttons.insert(bar_->buttons.begin() + static_cast<long>(at), button);
  return Out(static_cast<CommandBarControl*>(button), out);
}

HRESULT ControlsObj::get_Count(int* v) {
  if (!v) return E_POINTER;
  *v = static_cast<int>(bar_->buttons.size());
  return S_OK;
}

HRESULT ControlsObj::get_Item(VARIANT index, CommandBarControl** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  std::wstring caption;
  ButtonObj* found = nullptr;
  if (AsText(index, &caption)) {
    found = bar_->Find(caption);
  } else {
    HRESULT hr = ByIndex(bar_->buttons, index, &found);
    if (FAILED(hr)) found = nullptr;
  }
  if (!found) return kNoSuchName;
  return Out(static_cast<CommandBarControl*>(found), out);
}

BarObj::BarObj(Tracker& t, World& world, std::wstring barName)
    : Dispatch(t, L"CommandBar '" + barName + L"'"),
      name(std::move(barName)),
      controls(t.Make<ControlsObj>(world, this)) {}

ButtonObj* BarObj::Find(const std::wstring& caption) const {
  for (ButtonObj* b : buttons) {
    if (b->caption == caption) return b;
  }
  return nullptr;
}

void BarObj::Remove(ButtonObj* button) {
  buttons.erase(std::remove(buttons.begin(), buttons.end(), button), buttons.end());
  button->deleted = true;
}

void BarObj::DiscardTemporary() {
  for (ButtonObj* b : std::vector<ButtonObj*>(buttons)) {
    if (b->temporary) Remove(b);
  }
}

HRESULT BarObj::get_Controls(CommandBarControls** out) { return Out(controls, out); }

HRESULT BarObj::FindControl(VARIANT type, VARIANT id, VARIANT tag, VARIANT visible, VARIANT,
                            CommandBarControl** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  long wantType = 0, wantId = 0, onlyVisible = 0;
  std::wstring wantTag;
  bool byType = !Missing(type), byId = !Missing(id), byTag = !Missing(tag);
  if (byType && !AsLong(type, &wantType)) return DISP_E_TYPEMISMATCH;
  if (byId && !AsLong(id, &wantId)) return DISP_E_TYPEMISMATCH;
  if (byTag && !AsText(tag, &wantTag)) return DISP_E_TYPEMISMATCH;
  if (!Missing(visible) && !AsLong(visible, &onlyVisible)) return DISP_E_TYPEMISMATCH;
  for (ButtonObj* b : buttons) {
    if (byType && wantType != 1) continue;
    if (byId && b->id != wantId) continue;
    if (byTag && b->tag != wantTag) continue;
    if (onlyVisible && !b->visible) continue;
    return Out(static_cast<CommandBarControl*>(b), out);
  }
  return S_OK;  // Nothing
}

HRESULT BarObj::get_Name(BSTR* v) { return OutText(name, v); }

BarsObj::BarsObj(Tracker& t, World& world, bool inInspector) : Dispatch(t, L"CommandBars") {
  for (const wchar_t* name : {L"Menu Bar", L"Standard", L"Advanced"}) {
    bars.push_back(t.Make<BarObj>(world, name));
    bars.back()->inInspector = inInspector;
  }
  // A few built-in buttons, so that added ones are not alone on the bar;
  // built-in controls have Ids of their own, never the custom controls' 1.
  BarObj* standard = bars[1];
  const std::pair<int, const wchar_t*> builtIn[] = {
      {1837, L"&Neu"}, {4, L"&Drucken"}, {478, L"&Löschen"}, {354, L"&Antworten"}};
  for (auto [id, caption] : builtIn) {
    standard->buttons.push_back(t.Make<ButtonObj>(world, standard, id, caption, false));
  }
}

BarObj* BarsObj::Find(const std::wstring& name) const {
  for (BarObj* b : bars) {
    if (SameTextNoCase(b->name, name)) return b;
  }
  return nullptr;
}

HRESULT BarsObj::get_Count(int* v) {
  if (!v) return E_POINTER;
  *v = static_cast<int>(bars.size());
  return S_OK;
}

HRESULT BarsObj::get_Item(VARIANT index, CommandBar** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  std::wstring name;
  BarObj* found = nullptr;
  if (AsText(index, &name)) {
    found = Find(name);
  } else if (FAILED(ByIndex(bars, index, &found))) {
    found = nullptr;
  }
  if (!found) return kNoSuchName;
  return Out(static_cast<CommandBar*>(found), out);
}

// ---- COM add-ins ----

AddInObj::AddInObj(Tracker& t, World& world, std::wstring id, std::wstring clsid,
                   std::wstring text)
    : Dispatch(t, L"COMAddIn '" + id + L"'"),
      progId(std::move(id)),
      guid(std::move(clsid)),
      description(std::move(text)),
      world_(world) {}

AddInObj::~AddInObj() { SetObject(nullptr); }

void AddInObj::SetObject(IDispatch* d) {
  if (d) d->AddRef();
  if (object) object->Release();
  object = d;
}

HRESULT AddInObj::get_Description(BSTR* v) { return OutText(description, v); }
HRESULT AddInObj::put_Description(BSTR v) { description = FromBstr(v); return S_OK; }
HRESULT AddInObj::get_ProgId(BSTR* v) { return OutText(progId, v); }
HRESULT AddInObj::get_Guid(BSTR* v) { return OutText(guid, v); }
HRESULT AddInObj::get_Connect(VARIANT_BOOL* v) {
  if (!v) return E_POINTER;
  *v = connected ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}
// Connecting or disconnecting from the COM Add-ins dialog is not modelled.
HRESULT AddInObj::put_Connect(VARIANT_BOOL) { return E_NOTIMPL; }
HRESULT AddInObj::get_Object(IDispatch** v) { return Out(object, v); }
HRESULT AddInObj::put_Object(IDispatch* v) {
  SetObject(v);
  return S_OK;
}
HRESULT AddInObj::get_Parent(IDispatch** v) {
  return Out(static_cast<COMAddIns*>(world_.addins), v);
}

AddInsObj::AddInsObj(Tracker& t, World& world) : Dispatch(t, L"COMAddIns"), world_(world) {}

AddInObj* AddInsObj::Find(const std::wstring& progId) const {
  for (AddInObj* e : entries) {
    if (SameTextNoCase(e->progId, progId)) return e;
  }
  return nullptr;
}

HRESULT AddInsObj::Item(VARIANT* index, COMAddIn** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!index) return E_INVALIDARG;
  std::wstring progId;
  AddInObj* found = nullptr;
  if (AsText(*index, &progId)) {
    found = Find(progId);
  } else if (FAILED(ByIndex(entries, *index, &found))) {
    found = nullptr;
  }
  if (!found) return kNoSuchName;
  return Out(static_cast<COMAddIn*>(found), out);
}

HRESULT AddInsObj::get_Count(LONG* v) {
  if (!v) return E_POINTER;
  *v = static_cast<LONG>(entries.size());
  return S_OK;
}

HRESULT AddInsObj::get_Parent(IDispatch** v) {
  return Out(static_cast<_Application*>(world_.app), v);
}

// ---- folders and items ----

FolderObj::FolderObj(Tracker& t, World& world, std::wstring folderName, long type)
    : OlObject(t, world, L"MAPIFolder '" + folderName + L"'",
               static_cast<_NameSpace*>(world.ns)),
      name(std::move(folderName)),
      itemType(type) {}

HRESULT FolderObj::get_DefaultItemType(LONG* v) {
  if (!v) return E_POINTER;
  *v = itemType;
  return S_OK;
}
HRESULT FolderObj::get_Name(BSTR* v) { return OutText(name, v); }

std::wstring& ContactFields::Text(const wchar_t* name) {
  const std::wstring_view n(name);
  std::wstring* eight[] = {&FullName, &CompanyName, &MailingAddress, &MailingAddressCity,
                           &MailingAddressStreet, &MailingAddressPostalCode,
                           &MailingAddressCountry, &BusinessFaxNumber};
  const wchar_t* names[] = {L"FullName", L"CompanyName", L"MailingAddress", L"MailingAddressCity",
                            L"MailingAddressStreet", L"MailingAddressPostalCode",
                            L"MailingAddressCountry", L"BusinessFaxNumber"};
  for (size_t i = 0; i < std::size(names); ++i) {
    if (n == names[i]) return *eight[i];
  }
  return more[std::wstring(n)];
}

ContactObj::ContactObj(Tracker& t, World& world, FolderObj* folder, ContactFields f)
    : ItemObject(t, world, L"ContactItem '" + f.FullName + L"'", folder->AsDispatch()),
      fields(std::move(f)) {}

bool ContactObj::Knows(DISPID id) const {
  // The few fields newer than Outlook 2000, found once: this runs on every call.
  static const std::vector<std::pair<DISPID, int>> newer = [] {
    std::vector<std::pair<DISPID, int>> list;
    for (const vx::fields::Field& f : vx::fields::All()) {
      if (f.dispid != 0 && f.since > vx::fields::kOutlook2000) list.emplace_back(f.dispid, f.since);
    }
    return list;
  }();
  for (const auto& [dispid, since] : newer) {
    if (dispid == id) return since <= world_.major;
  }
  return true;
}

HRESULT ContactObj::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                  DISPID* ids) {
  HRESULT hr = ItemObject::GetIDsOfNames(riid, names, count, lcid, ids);
  if (SUCCEEDED(hr) && count > 0 && !Knows(ids[0])) {
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT ContactObj::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* excep, UINT* argErr) {
  ++invokes;
  if (!Knows(id)) return DISP_E_MEMBERNOTFOUND;
  return ItemObject::Invoke(id, riid, lcid, flags, params, result, excep, argErr);
}

MailObj::MailObj(Tracker& t, World& world, FolderObj* folder, std::wstring s)
    : ItemObject(t, world, L"MailItem '" + s + L"'", folder->AsDispatch()), subject(std::move(s)) {}

DistListObj::DistListObj(Tracker& t, World& world, FolderObj* folder, std::wstring n)
    : ItemObject(t, world, L"DistListItem '" + n + L"'", folder->AsDispatch()), name(std::move(n)) {}

// ---- selection, explorers, inspectors ----

SelectionObj::SelectionObj(Tracker& t, World& world, IDispatch* explorer)
    : OlObject(t, world, L"Selection", explorer) {}

HRESULT SelectionObj::get_Count(LONG* v) {
  if (!v) return E_POINTER;
  *v = static_cast<LONG>(items.size());
  return S_OK;
}

HRESULT SelectionObj::Item(VARIANT index, IDispatch** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  IDispatch* found = nullptr;
  HRESULT hr = ByIndex(items, index, &found);
  return FAILED(hr) ? hr : Out(found, out);
}

namespace {

// Outlook's own class name for its folder windows.
constexpr wchar_t kExplorerClass[] = L"rctrl_renwnd32";

HWND MakeExplorerWindow(const std::wstring& caption) {
  static const bool registered = [] {
    WNDCLASSEXW type{};
    type.cbSize = sizeof(type);
    type.lpfnWndProc = DefWindowProcW;
    type.hInstance = GetModuleHandleW(nullptr);
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    type.lpszClassName = kExplorerClass;
    return RegisterClassExW(&type) != 0;
  }();
  if (!registered) return nullptr;
  return CreateWindowExW(0, kExplorerClass, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120,
                         80, 900, 640, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

ExplorerObj::ExplorerObj(Tracker& t, World& world, FolderObj* shown)
    : OlObject(t, world, L"Explorer", static_cast<_Application*>(world.app)),
      folder(shown),
      selection(t.Make<SelectionObj>(world, AsDispatch())),
      bars(t.Make<BarsObj>(world, false)),
      events(AddSource(DIID_ExplorerEvents)),
      window(MakeExplorerWindow((shown ? shown->name : L"") + L" - Microsoft Outlook")) {}

ExplorerObj::~ExplorerObj() { DestroyOwnWindow(); }

void ExplorerObj::DestroyOwnWindow() {
  if (window) DestroyWindow(window);
  window = nullptr;
}

HRESULT ExplorerObj::QueryInterface(REFIID riid, void** ppv) {
  if (ppv && riid == IID_IOleWindow) {
    *ppv = static_cast<IOleWindow*>(this);
    CountAddRef();
    return S_OK;
  }
  return OlObject::QueryInterface(riid, ppv);
}

HRESULT ExplorerObj::GetWindow(HWND* out) {
  if (!out) return E_POINTER;
  *out = window;
  return window ? S_OK : E_FAIL;
}

HRESULT ExplorerObj::get_CommandBars(IDispatch** out) {
  return Out(static_cast<_CommandBars*>(bars), out);
}
HRESULT ExplorerObj::get_CurrentFolder(MAPIFolder** out) {
  return Out(static_cast<MAPIFolder*>(folder), out);
}
HRESULT ExplorerObj::putref_CurrentFolder(MAPIFolder* f) {
  if (!f) return E_INVALIDARG;
  for (const auto& [type, known] : world_.defaultFolders) {
    if (static_cast<MAPIFolder*>(known) == f) {
      SwitchFolder(world_, this, known);
      return S_OK;
    }
  }
  return E_INVALIDARG;
}
HRESULT ExplorerObj::Close() {
  if (open) CloseExplorer(world_, this);
  return S_OK;
}
HRESULT ExplorerObj::Display() {
  if (!open) return E_FAIL;
  world_.activeExplorer = this;
  return S_OK;
}
HRESULT ExplorerObj::get_Caption(BSTR* v) { return OutText(folder ? folder->name : L"", v); }
HRESULT ExplorerObj::get_Selection(Selection** out) {
  return Out(static_cast<Selection*>(selection), out);
}

ExplorersObj::ExplorersObj(Tracker& t, World& world)
    : OlObject(t, world, L"Explorers", static_cast<_Application*>(world.app)),
      events(AddSource(DIID_ExplorersEvents)) {}

HRESULT ExplorersObj::get_Count(LONG* v) {
  if (!v) return E_POINTER;
  *v = static_cast<LONG>(world_.openExplorers.size());
  return S_OK;
}

HRESULT ExplorersObj::Item(VARIANT index, _Explorer** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ExplorerObj* found = nullptr;
  HRESULT hr = ByIndex(world_.openExplorers, index, &found);
  return FAILED(hr) ? hr : Out(static_cast<_Explorer*>(found), out);
}

InspectorObj::InspectorObj(Tracker& t, World& world, IDispatch* shown)
    : OlObject(t, world, L"Inspector", static_cast<_Application*>(world.app)),
      item(shown),
      bars(t.Make<BarsObj>(world, true)),
      events(AddSource(DIID_InspectorEvents)) {}

HRESULT InspectorObj::get_CommandBars(IDispatch** out) {
  return Out(static_cast<_CommandBars*>(bars), out);
}
HRESULT InspectorObj::get_CurrentItem(IDispatch** out) { return Out(item, out); }
HRESULT InspectorObj::Close(LONG) {
  if (open) CloseInspector(world_, this);
  return S_OK;
}
HRESULT InspectorObj::Display(VARIANT) {
  if (!open) return E_FAIL;
  world_.activeInspector = this;
  return S_OK;
}

InspectorsObj::InspectorsObj(Tracker& t, World& world)
    : OlObject(t, world, L"Inspectors", static_cast<_Application*>(world.app)),
      events(AddSource(DIID_InspectorsEvents)) {}

HRESULT InspectorsObj::get_Count(LONG* v) {
  if (!v) return E_POINTER;
  *v = static_cast<LONG>(world_.openInspectors.size());
  return S_OK;
}

HRESULT InspectorsObj::Item(VARIANT index, _Inspector** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  InspectorObj* found = nullptr;
  HRESULT hr = ByIndex(world_.openInspectors, index, &found);
  return FAILED(hr) ? hr : Out(static_cast<_Inspector*>(found), out);
}

// ---- property pages ----

PagesObj::PagesObj(Tracker& t, World& world)
    : OlObject(t, world, L"PropertyPages", static_cast<_Application*>(world.app)) {}

PagesObj::~PagesObj() {
  for (PageRecord& p : pages) {
    if (p.object) p.object->Release();
  }
}

HRESULT PagesObj::get_Count(LONG* v) {
  if (!v) return E_POINTER;
  *v = static_cast<LONG>(pages.size());
  return S_OK;
}

HRESULT PagesObj::Item(VARIANT index, IDispatch** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  long i = 0;
  if (!AsLong(index, &i)) return DISP_E_TYPEMISMATCH;
  if (i < 1 || i > static_cast<long>(pages.size())) return DISP_E_BADINDEX;
  return Out(pages[static_cast<size_t>(i - 1)].object, out);
}

HRESULT PagesObj::Add(VARIANT page, BSTR title) {
  PageRecord record;
  record.title = FromBstr(title);
  if (AsText(page, &record.progId)) {
    if (record.progId.empty()) return E_INVALIDARG;
  } else if ((V_VT(&page) & ~VT_BYREF) == VT_DISPATCH) {
    IDispatch* d = (V_VT(&page) & VT_BYREF) ? *V_DISPATCHREF(&page) : V_DISPATCH(&page);
    if (!d) return E_INVALIDARG;
    d->AddRef();
    record.object = d;
  } else {
    return DISP_E_TYPEMISMATCH;
  }
  pages.push_back(std::move(record));
  return S_OK;
}

HRESULT PagesObj::Remove(VARIANT index) {
  long i = 0;
  if (!AsLong(index, &i)) return DISP_E_TYPEMISMATCH;
  if (i < 1 || i > static_cast<long>(pages.size())) return DISP_E_BADINDEX;
  auto it = pages.begin() + (i - 1);
  if (it->object) it->object->Release();
  pages.erase(it);
  return S_OK;
}

// ---- namespace, application ----

NameSpaceObj::NameSpaceObj(Tracker& t, World& world)
    : OlObject(t, world, L"NameSpace", static_cast<_Application*>(world.app)),
      events(AddSource(DIID_NameSpaceEvents)) {}

HRESULT NameSpaceObj::get_Type(BSTR* v) { return OutText(L"MAPI", v); }

HRESULT NameSpaceObj::GetDefaultFolder(LONG type, MAPIFolder** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  auto it = world_.defaultFolders.find(type);
  if (it == world_.defaultFolders.end()) return E_INVALIDARG;
  return Out(static_cast<MAPIFolder*>(it->second), out);
}

ApplicationObj::ApplicationObj(Tracker& t, World& world)
    : OlObject(t, world, L"Application", nullptr), events(AddSource(DIID_ApplicationEvents)) {}

HRESULT ApplicationObj::get_Name(BSTR* v) { return OutText(L"Outlook", v); }
HRESULT ApplicationObj::get_Version(BSTR* v) { return OutText(world_.version, v); }
HRESULT ApplicationObj::ActiveExplorer(_Explorer** out) {
  return Out(static_cast<_Explorer*>(world_.activeExplorer), out);
}
HRESULT ApplicationObj::ActiveInspector(_Inspector** out) {
  return Out(static_cast<_Inspector*>(world_.activeInspector), out);
}
HRESULT ApplicationObj::GetNamespace(BSTR type, _NameSpace** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!SameTextNoCase(FromBstr(type), L"MAPI")) return E_INVALIDARG;
  return Out(static_cast<_NameSpace*>(world_.ns), out);
}
HRESULT ApplicationObj::get_COMAddIns(IDispatch** out) {
  return Out(static_cast<COMAddIns*>(world_.addins), out);
}
HRESULT ApplicationObj::get_Explorers(_Explorers** out) {
  return Out(static_cast<_Explorers*>(world_.explorers), out);
}
HRESULT ApplicationObj::get_Inspectors(_Inspectors** out) {
  return Out(static_cast<_Inspectors*>(world_.inspectors), out);
}

// ---- window operations ----

bool SwitchFolder(World& world, ExplorerObj* explorer, FolderObj* folder) {
  (void)world;
  VARIANT_BOOL cancel = VARIANT_FALSE;
  explorer->events->Raise(0xF003, {VarDispatch(folder->AsDispatch()), VarBoolRef(&cancel)});
  if (cancel != VARIANT_FALSE) return false;
  explorer->folder = folder;
  explorer->selection->items.clear();
  explorer->events->Raise(0xF002, {});
  return true;
}

void CloseExplorer(World& world, ExplorerObj* explorer) {
  auto& open = world.openExplorers;
  open.erase(std::remove(open.begin(), open.end(), explorer), open.end());
  explorer->open = false;
  if (world.activeExplorer == explorer) world.activeExplorer = open.empty() ? nullptr : open.back();
  explorer->events->Raise(0xF008, {});
  for (BarObj* bar : explorer->bars->bars) bar->DiscardTemporary();
  // The window goes last, and every window it owns with it.
  explorer->DestroyOwnWindow();
}

void CloseInspector(World& world, InspectorObj* inspector) {
  auto& open = world.openInspectors;
  open.erase(std::remove(open.begin(), open.end(), inspector), open.end());
  inspector->open = false;
  if (world.activeInspector == inspector) {
    world.activeInspector = open.empty() ? nullptr : open.back();
  }
  inspector->events->Raise(0xF008, {});
  for (BarObj* bar : inspector->bars->bars) bar->DiscardTemporary();
}

}  // namespace vx::host
