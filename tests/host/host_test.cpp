// The substitute Outlook driven by name through IDispatch, as an add-in
// drives Outlook: its stand-in type libraries, gets, puts, methods, optional
// arguments, collection failures and exact reference counting.
#include <gtest/gtest.h>

#include "tests/host/client.h"
#include "tests/host/host.h"
#include "tests/host/this_build.h"

namespace vx::host {
namespace {

// ---- the stand-in type libraries ----

struct Library {
  ITypeLib* lib = nullptr;
  explicit Library(const wchar_t* path) { LoadTypeLibEx(path, REGKIND_NONE, &lib); }
  ~Library() {
    if (lib) lib->Release();
  }
  // The type information for iid as the library stores it (for a dual
  // interface: its dispatch view).
  ITypeInfo* Info(REFIID iid) {
    ITypeInfo* info = nullptr;
    lib->GetTypeInfoOfGuid(iid, &info);
    return info;
  }
};

struct MemberFacts {
  MEMBERID id;
  INVOKEKIND kind;
  short vtableSlot;
  std::vector<VARTYPE> params;  // VT_PTR params as VT_BYREF | target
};

// The member memid/kind of info, with its parameter types.
bool FindMember(ITypeInfo* info, MEMBERID id, INVOKEKIND kind, MemberFacts* facts) {
  TYPEATTR* attr = nullptr;
  info->GetTypeAttr(&attr);
  bool found = false;
  for (UINT i = 0; i < attr->cFuncs && !found; ++i) {
    FUNCDESC* f = nullptr;
    info->GetFuncDesc(i, &f);
    if (f->memid == id && f->invkind == kind) {
      found = true;
      facts->id = f->memid;
      facts->kind = f->invkind;
      facts->vtableSlot = static_cast<short>(f->oVft / static_cast<short>(sizeof(void*)));
      for (SHORT p = 0; p < f->cParams; ++p) {
        TYPEDESC& t = f->lprgelemdescParam[p].tdesc;
        facts->params.push_back(t.vt == VT_PTR ? static_cast<VARTYPE>(VT_BYREF | t.lptdesc->vt)
                                               : t.vt);
      }
    }
    info->ReleaseFuncDesc(f);
  }
  info->ReleaseTypeAttr(attr);
  return found;
}

TEST(StandInTypeLibraries, CarryTheOwnersLibraryIdsAndVersions) {
  struct Expect {
    const wchar_t* path;
    GUID libid;
    WORD major, minor;
  } expected[] = {
      {OutlookTypeLibPath(),
       {0x00062FFF, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}, 9, 0},
      {OfficeTypeLibPath(),
       {0x2DF8D04C, 0x5BFA, 0x101B, {0xBD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0xDE, 0x52}}, 2, 1},
  };
  for (const Expect& e : expected) {
    Library l(e.path);
    ASSERT_NE(l.lib, nullptr);
    TLIBATTR* attr = nullptr;
    ASSERT_HRESULT_SUCCEEDED(l.lib->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(attr->guid, e.libid));
    EXPECT_EQ(attr->wMajorVerNum, e.major);
    EXPECT_EQ(attr->wMinorVerNum, e.minor);
    EXPECT_EQ(attr->syskind, kThisSysKind);
    l.lib->ReleaseTLibAttr(attr);
  }
}

TEST(StandInTypeLibraries, DescribeInterfacesWithOutlooksFlagsAndMembers) {
  Library outlook(OutlookTypeLibPath());
  // Dual interfaces: dual and dispatchable, with a vtable view for callers
  // that bind early.
  for (const IID& iid : {__uuidof(_Application), __uuidof(_Explorer), __uuidof(_ContactItem),
                         __uuidof(PropertyPageSite), __uuidof(PropertyPages)}) {
    ITypeInfo* info = outlook.Info(iid);
    ASSERT_NE(info, nullptr);
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_EQ(attr->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE),
              TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE);
    info->ReleaseTypeAttr(attr);
    HREFTYPE ref = 0;
    ITypeInfo* vtable = nullptr;
    ASSERT_HRESULT_SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref));
    ASSERT_HRESULT_SUCCEEDED(info->GetRefTypeInfo(ref, &vtable));
    vtable->GetTypeAttr(&attr);
    EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION) << std::hex << attr->wTypeFlags;
    vtable->ReleaseTypeAttr(attr);
    vtable->Release();
    info->Release();
  }

  // PropertyPage: an IDispatch-derived vtable interface, dispatchable only,
  // its three methods at slots 7-9, Dirty read through a VARIANT_BOOL*.
  ITypeInfo* page = outlook.Info(__uuidof(PropertyPage));
  ASSERT_NE(page, nullptr);
  TYPEATTR* attr = nullptr;
  page->GetTypeAttr(&attr);
  EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
  EXPECT_EQ(attr->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION), 0);
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDISPATCHABLE);
  page->ReleaseTypeAttr(attr);
  MemberFacts info{}, dirty{}, apply{};
  ASSERT_TRUE(FindMember(page, 0x2100, INVOKE_FUNC, &info));
  ASSERT_TRUE(FindMember(page, 0x2101, INVOKE_PROPERTYGET, &dirty));
  ASSERT_TRUE(FindMember(page, 0x2102, INVOKE_FUNC, &apply));
  EXPECT_EQ(info.vtableSlot, 7);
  EXPECT_EQ(info.params, (std::vector<VARTYPE>{VT_BYREF | VT_BSTR, VT_BYREF | VT_I4}));
  EXPECT_EQ(dirty.vtableSlot, 8);
  EXPECT_EQ(dirty.params, std::vector<VARTYPE>{VT_BYREF | VT_BOOL});
  EXPECT_EQ(apply.vtableSlot, 9);
  page->Release();

  // The event interfaces: pure dispinterfaces with Outlook's DISPIDs.
  struct Event {
    IID diid;
    MEMBERID id;
    std::vector<VARTYPE> params;
  } events[] = {
      {__uuidof(NameSpaceEvents), 0xF005, {VT_BYREF | VT_USERDEFINED, VT_BYREF | VT_USERDEFINED}},
      {__uuidof(InspectorsEvents), 0xF001, {VT_BYREF | VT_USERDEFINED}},
      {__uuidof(ExplorerEvents), 0xF002, {}},
      {__uuidof(ExplorerEvents), 0xF003, {VT_DISPATCH, VT_BYREF | VT_BOOL}},
      {__uuidof(ExplorerEvents), 0xF008, {}},
      {__uuidof(ApplicationEvents), 0xF006, {}},
      {__uuidof(InspectorEvents), 0xF008, {}},
  };
  for (const Event& e : events) {
    ITypeInfo* source = outlook.Info(e.diid);
    ASSERT_NE(source, nullptr);
    source->GetTypeAttr(&attr);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    EXPECT_FALSE(attr->wTypeFlags & TYPEFLAG_FDUAL);
    source->ReleaseTypeAttr(attr);
    MemberFacts m{};
    EXPECT_TRUE(FindMember(source, e.id, INVOKE_FUNC, &m)) << std::hex << e.id;
    EXPECT_EQ(m.params, e.params) << std::hex << e.id;
    source->Release();
  }

  Library office(OfficeTypeLibPath());
  ITypeInfo* click = office.Info(DIID__CommandBarButtonEvents);
  ASSERT_NE(click, nullptr);
  MemberFacts c{};
  EXPECT_TRUE(FindMember(click, 0x1, INVOKE_FUNC, &c));
  EXPECT_EQ(c.params, (std::vector<VARTYPE>{VT_BYREF | VT_USERDEFINED, VT_BYREF | VT_BOOL}));
  click->Release();
  // Office members a caller reaches by name, with their DISPIDs and kinds.
  ITypeInfo* controls = office.Info(__uuidof(CommandBarControls));
  MemberFacts add{}, item{};
  EXPECT_TRUE(FindMember(controls, 0x60030000, INVOKE_FUNC, &add));
  EXPECT_EQ(add.params.size(), 5u);
  EXPECT_TRUE(FindMember(controls, 0, INVOKE_PROPERTYGET, &item));
  controls->Release();
  ITypeInfo* addins = office.Info(__uuidof(COMAddIns));
  MemberFacts addinItem{};
  EXPECT_TRUE(FindMember(addins, 0, INVOKE_FUNC, &addinItem));
  EXPECT_EQ(addinItem.params, std::vector<VARTYPE>{VT_BYREF | VT_VARIANT});
  addins->Release();
  ITypeInfo* addin = office.Info(__uuidof(COMAddIn));
  MemberFacts object{};
  EXPECT_TRUE(FindMember(addin, 7, INVOKE_PROPERTYPUT, &object));
  EXPECT_FALSE(FindMember(addin, 7, INVOKE_PROPERTYPUTREF, &object));
  addin->Release();
}

// ---- the object model by name ----

class HostByName : public ::testing::Test {
 protected:
  Host host;
  IDispatch* app() { return host.app()->AsDispatch(); }
};

TEST_F(HostByName, ApplicationNamespaceAndFolders) {
  EXPECT_EQ(Get(app(), L"Name").value.text(), L"Outlook");
  EXPECT_EQ(Get(app(), L"Class").value.number(), 0);
  Call ns = Method(app(), L"GetNamespace", {Var::Text(L"MAPI")});
  ASSERT_TRUE(ns.ok());
  EXPECT_EQ(Get(ns.value.object(), L"Class").value.number(), 1);
  Call contacts = Method(ns.value.object(), L"GetDefaultFolder", {Var::Long(10)});
  Call inbox = Method(ns.value.object(), L"GetDefaultFolder", {Var::Long(6)});
  Call defaultType = Get(contacts.value.object(), L"DefaultItemType");
  EXPECT_EQ(defaultType.value.vt(), VT_I4);
  EXPECT_EQ(defaultType.value.number(), 2);
  EXPECT_EQ(Get(inbox.value.object(), L"DefaultItemType").value.number(), 0);
  // Every Outlook object leads back to the application and the session.
  Call back = Get(contacts.value.object(), L"Application");
  EXPECT_EQ(back.value.object(), app());
  EXPECT_EQ(Get(contacts.value.object(), L"Session").value.object(), ns.value.object());

  // No windows yet: counts 0 and no active window.
  EXPECT_EQ(Get(Get(app(), L"Explorers").value.object(), L"Count").value.number(), 0);
  EXPECT_EQ(Get(Get(app(), L"Inspectors").value.object(), L"Count").value.number(), 0);
  Call active = Method(app(), L"ActiveExplorer");
  EXPECT_TRUE(active.ok());
  EXPECT_EQ(active.value.vt(), VT_DISPATCH);
  EXPECT_EQ(active.value.object(), nullptr);

  // Gets stay gets, names stay names.
  EXPECT_FALSE(Put(app(), L"Name", Var::Text(L"x")).ok());
  EXPECT_EQ(Get(app(), L"NoSuchMember").hr, DISP_E_UNKNOWNNAME);
  EXPECT_FALSE(Method(app(), L"GetNamespace", {Var::Text(L"OTHER")}).ok());
}

TEST_F(HostByName, ItemsAnswerTheirClassAndContactTexts) {
  ContactObj* contact = host.AddContact(host.Contacts(), {.FullName = L"Anna Müller",
                                                          .MailingAddressCity = L"München",
                                                          .MailingAddressStreet = L"Hauptstraße 1",
                                                          .MailingAddressPostalCode = L"80331"});
  MailObj* mail = host.AddMail(host.Inbox(), L"Hallo");
  DistListObj* list = host.AddDistList(host.Contacts(), L"Team");
  EXPECT_EQ(Get(contact->AsDispatch(), L"Class").value.number(), 40);
  EXPECT_EQ(Get(mail->AsDispatch(), L"Class").value.number(), 43);
  EXPECT_EQ(Get(list->AsDispatch(), L"Class").value.number(), 69);
  EXPECT_EQ(Get(contact->AsDispatch(), L"FullName").value.text(), L"Anna Müller");
  EXPECT_EQ(Get(contact->AsDispatch(), L"MailingAddress").value.text(),
            L"Hauptstraße 1\r\n80331 München");
  EXPECT_EQ(Get(contact->AsDispatch(), L"BusinessFaxNumber").value.text(), L"");
  EXPECT_TRUE(Put(contact->AsDispatch(), L"CompanyName", Var::Text(L"Bauer & Söhne")).ok());
  EXPECT_EQ(Get(contact->AsDispatch(), L"CompanyName").value.text(), L"Bauer & Söhne");
  // A mail item has no contact fields.
  EXPECT_EQ(Get(mail->AsDispatch(), L"FullName").hr, DISP_E_UNKNOWNNAME);
  EXPECT_EQ(Get(contact->AsDispatch(), L"Parent").value.object(), host.Contacts()->AsDispatch());
}

TEST_F(HostByName, ExplorerSelectionInspector) {
  ContactObj* a = host.AddContact(host.Contacts(), {.FullName = L"A"});
  MailObj* m = host.AddMail(host.Contacts(), L"M");
  ExplorerObj* e = host.OpenExplorer(host.Contacts());
  host.Select(e, {a->AsDispatch(), m->AsDispatch()});
  Call explorer = Method(app(), L"ActiveExplorer");
  ASSERT_EQ(explorer.value.object(), e->AsDispatch());
  EXPECT_EQ(Get(Get(explorer.value.object(), L"CurrentFolder").value.object(), L"DefaultItemType")
                .value.number(),
            2);
  Call selection = Get(explorer.value.object(), L"Selection");
  EXPECT_EQ(Get(selection.value.object(), L"Count").value.number(), 2);
  EXPECT_EQ(Method(selection.value.object(), L"Item", {Var::Long(1)}).value.object(),
            a->AsDispatch());
  EXPECT_EQ(Method(selection.value.object(), L"Item", {Var::Long(2)}).value.object(),
            m->AsDispatch());
  EXPECT_EQ(Method(selection.value.object(), L"Item", {Var::Long(3)}).failure(), DISP_E_BADINDEX);
  EXPECT_EQ(Get(Get(app(), L"Explorers").value.object(), L"Count").value.number(), 1);

  InspectorObj* i = host.OpenInspector(a->AsDispatch());
  Call inspector = Method(app(), L"ActiveInspector");
  ASSERT_EQ(inspector.value.object(), i->AsDispatch());
  EXPECT_EQ(Get(inspector.value.object(), L"CurrentItem").value.object(), a->AsDispatch());
  EXPECT_EQ(Get(Get(app(), L"Inspectors").value.object(), L"Count").value.number(), 1);
  host.CloseInspector(i);
  EXPECT_EQ(Method(app(), L"ActiveInspector").value.object(), nullptr);
  EXPECT_EQ(Get(Get(app(), L"Inspectors").value.object(), L"Count").value.number(), 0);
}

TEST_F(HostByName, CommandBarsControlsAndButtons) {
  ExplorerObj* e = host.OpenExplorer(host.Contacts());
  Call bars = Get(e->AsDispatch(), L"CommandBars");
  // Item is a property get with the bar's name.
  Call standard = Invoke(bars.value.object(), L"Item", DISPATCH_PROPERTYGET, {Var::Text(L"Standard")});
  ASSERT_TRUE(standard.ok());
  EXPECT_EQ(Get(standard.value.object(), L"Name").value.text(), L"Standard");
  Call controls = Get(standard.value.object(), L"Controls");
  long before = Get(controls.value.object(), L"Count").value.number();

  // Add(Type:=1, Temporary:=True) with the other optional arguments left out.
  Call added = Method(controls.value.object(), L"Add",
                      {Var::Long(1), Var::Missing(), Var::Missing(), Var::Missing(), Var::Bool(true)});
  ASSERT_TRUE(added.ok());
  IDispatch* button = added.value.object();
  EXPECT_TRUE(Put(button, L"Caption", Var::Text(L"&Zwischenablage")).ok());
  EXPECT_TRUE(Put(button, L"TooltipText", Var::Text(L"Tipp")).ok());
  EXPECT_TRUE(Put(button, L"Visible", Var::Bool(false)).ok());
  EXPECT_EQ(Get(controls.value.object(), L"Count").value.number(), before + 1);
  ButtonObj* last = host.FindButton(e->bars, L"&Zwischenablage");
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->AsDispatch(), button);
  EXPECT_EQ(e->bars->Find(L"Standard")->buttons.back(), last);  // at the end of the bar
  EXPECT_TRUE(last->temporary);
  EXPECT_FALSE(last->visible);
  EXPECT_EQ(last->tooltip, L"Tipp");
  Call id = Get(button, L"Id");
  EXPECT_EQ(id.value.number(), last->id);

  // Every custom control has Office's Id 1, the built-in ones their own;
  // Add without arguments is a button too.
  EXPECT_EQ(id.value.number(), 1);
  Call second = Method(controls.value.object(), L"Add");
  ASSERT_TRUE(second.ok());
  EXPECT_EQ(Get(second.value.object(), L"Id").value.number(), 1);
  EXPECT_FALSE(host.FindButton(e->bars, L"")->temporary);
  EXPECT_NE(host.FindButton(e->bars, L"&Neu")->id, 1);

  // Item by caption: the control, or E_INVALIDARG (run-time error 5 to VB).
  Call found = Invoke(controls.value.object(), L"Item", DISPATCH_PROPERTYGET,
                      {Var::Text(L"&Zwischenablage")});
  EXPECT_EQ(found.value.object(), button);
  Call missing = Invoke(controls.value.object(), L"Item", DISPATCH_PROPERTYGET,
                        {Var::Text(L"&Gibtsnicht")});
  EXPECT_FALSE(missing.ok());
  EXPECT_EQ(missing.failure(), E_INVALIDARG);
  EXPECT_FALSE(Invoke(bars.value.object(), L"Item", DISPATCH_PROPERTYGET, {Var::Text(L"Nope")}).ok());

  // FindControl(Type, Id): the first match, or Nothing.
  Call find = Method(standard.value.object(), L"FindControl", {Var::Long(1), id.value});
  EXPECT_EQ(find.value.object(), button) << "the first of the two custom controls";
  Call none = Method(standard.value.object(), L"FindControl", {Var::Long(1), Var::Long(99999)});
  EXPECT_TRUE(none.ok());
  EXPECT_EQ(none.value.object(), nullptr);

  // Removed as the user would: gone from the bar, and the old object fails.
  EXPECT_TRUE(host.RemoveControl(e->bars, L"&Zwischenablage"));
  EXPECT_FALSE(Invoke(controls.value.object(), L"Item", DISPATCH_PROPERTYGET,
                      {Var::Text(L"&Zwischenablage")})
                   .ok());
  EXPECT_FALSE(Get(button, L"Caption").ok());
  EXPECT_EQ(Method(standard.value.object(), L"FindControl", {Var::Long(1), id.value}).value.object(),
            second.value.object()) << "now the first custom control";

  // Temporary buttons go with their window; a window's bars are its own.
  Method(controls.value.object(), L"Add", {Var::Long(1), Var::Missing(), Var::Missing(),
                                           Var::Missing(), Var::Bool(true)});
  InspectorObj* i = host.OpenInspector(host.AddContact(host.Contacts(), {})->AsDispatch());
  EXPECT_NE(i->bars, e->bars);
  EXPECT_EQ(host.FindButton(i->bars, L""), nullptr);
  host.CloseExplorer(e);
  for (ButtonObj* b : e->bars->Find(L"Standard")->buttons) EXPECT_FALSE(b->temporary);
}

TEST_F(HostByName, ComAddInsItemAndObject) {
  AddInObj* entry = host.world().tracker.Make<AddInObj>(host.world(), L"Test.Connect",
                                                        L"{00000000-0000-0000-0000-000000000001}",
                                                        L"Test");
  host.world().addins->entries.push_back(entry);
  Call addins = Get(app(), L"COMAddIns");
  ASSERT_TRUE(addins.ok());
  EXPECT_EQ(Get(addins.value.object(), L"Count").value.number(), 1);
  // Item takes a VARIANT by reference; a plain text argument is accepted too.
  Var name = Var::Text(L"Test.Connect");
  Var byRef;
  V_VT(byRef.get()) = VT_VARIANT | VT_BYREF;
  V_VARIANTREF(byRef.get()) = name.get();
  Call item = Method(addins.value.object(), L"Item", {byRef});
  ASSERT_TRUE(item.ok()) << std::hex << item.hr;
  EXPECT_EQ(Method(addins.value.object(), L"Item", {name}).value.object(), item.value.object());
  EXPECT_EQ(Method(addins.value.object(), L"Item", {Var::Long(1)}).value.object(),
            item.value.object());
  EXPECT_EQ(Get(item.value.object(), L"ProgId").value.text(), L"Test.Connect");
  Call missing = Method(addins.value.object(), L"Item", {Var::Text(L"Other.Connect")});
  EXPECT_EQ(missing.failure(), E_INVALIDARG);

  // Object is a property put holding any IDispatch; reading gives it back.
  IDispatch* published = host.app()->AsDispatch();
  EXPECT_TRUE(Put(item.value.object(), L"Object", Var::Object(published)).ok());
  EXPECT_EQ(entry->object, published);
  EXPECT_EQ(Get(item.value.object(), L"Object").value.object(), published);
  EXPECT_FALSE(Invoke(item.value.object(), L"Object", DISPATCH_PROPERTYPUTREF,
                      {Var::Object(published)})
                   .ok());
  entry->SetObject(nullptr);
}

TEST_F(HostByName, FolderPropertiesCollectPages) {
  PagesObj* pages = host.OpenFolderProperties(host.Contacts());
  IDispatch* p = pages->AsDispatch();
  EXPECT_TRUE(Method(p, L"Add", {Var::Text(L"Vellox.ctlVellox"), Var::Text(L"Adresse kopieren")}).ok());
  EXPECT_FALSE(Method(p, L"Add", {Var::Text(L"Only.Page")}).ok());  // Title is not optional
  EXPECT_EQ(Get(p, L"Count").value.number(), 1);
  ASSERT_EQ(pages->pages.size(), 1u);
  EXPECT_EQ(pages->pages[0].progId, L"Vellox.ctlVellox");
  EXPECT_EQ(pages->pages[0].title, L"Adresse kopieren");
  EXPECT_TRUE(Method(p, L"Remove", {Var::Long(1)}).ok());
  EXPECT_TRUE(pages->pages.empty());
}

TEST_F(HostByName, CountsEveryReferenceItHandsOut) {
  ExplorerObj* e = host.OpenExplorer(host.Contacts());
  EXPECT_EQ(host.ExternalRefs(), 0);
  {
    Call explorer = Method(app(), L"ActiveExplorer");
    Call bars = Get(explorer.value.object(), L"CommandBars");
    EXPECT_EQ(e->refs(), 1);
    EXPECT_EQ(e->bars->refs(), 1);
    EXPECT_EQ(host.ExternalRefs(), 2);
    IConnectionPointContainer* container = nullptr;
    ASSERT_HRESULT_SUCCEEDED(explorer.value.object()->QueryInterface(
        IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)));
    IConnectionPoint* point = nullptr;
    ASSERT_HRESULT_SUCCEEDED(container->FindConnectionPoint(DIID_ExplorerEvents, &point));
    EXPECT_EQ(host.ExternalRefs(), 4);
    IConnectionPoint* none = nullptr;
    EXPECT_EQ(container->FindConnectionPoint(DIID_InspectorEvents, &none), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(none, nullptr);
    container->Release();
    point->Release();
    EXPECT_NE(host.Holders().find(L"Explorer: 1 refs"), std::wstring::npos);
  }
  EXPECT_EQ(host.ExternalRefs(), 0);
  EXPECT_EQ(host.Holders(), L"");
  EXPECT_EQ(host.tracker().surplusReleases, 0);
  // A surplus Release is counted, not followed.
  e->AsDispatch()->Release();
  EXPECT_EQ(host.tracker().surplusReleases, 1);
  EXPECT_EQ(host.ExternalRefs(), 0);
}

TEST(HostRegistration, IsOutlookApplicationForThisProcess) {
  Host host;
  CLSID clsid{};
  ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(L"Outlook.Application", &clsid));
  EXPECT_TRUE(IsEqualCLSID(clsid, kClsidOutlookApplication));
  for (DWORD context : {DWORD{CLSCTX_LOCAL_SERVER}, DWORD{CLSCTX_ALL}}) {
    IDispatch* d = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        CoCreateInstance(clsid, nullptr, context, IID_IDispatch, reinterpret_cast<void**>(&d)));
    EXPECT_EQ(d, host.app()->AsDispatch());
    EXPECT_EQ(Get(d, L"Name").value.text(), L"Outlook");
    d->Release();
  }
  // The stand-in libraries are registered as Outlook's setup would.
  ITypeLib* lib = nullptr;
  ASSERT_HRESULT_SUCCEEDED(LoadRegTypeLib({0x00062FFF, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}, 9, 0,
                                          0, &lib));
  lib->Release();
  EXPECT_EQ(host.ExternalRefs(), 0);
}

TEST(HostRegistration, IsUndoneWhenTheHostEnds) {
  { Host host; }
  CLSID clsid{};
  EXPECT_FALSE(SUCCEEDED(CLSIDFromProgID(L"Outlook.Application", &clsid)));
  ITypeLib* lib = nullptr;
  EXPECT_FALSE(SUCCEEDED(LoadRegTypeLib({0x00062FFF, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}, 9, 0,
                                        0, &lib)));
}

}  // namespace
}  // namespace vx::host
