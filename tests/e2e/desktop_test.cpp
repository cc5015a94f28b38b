// Vellox.DLL in the substitute Outlook on a desktop it shares: another
// add-in's buttons on the same bars, an Exchange server that limits the items
// a session may hold open, and programs of the session that reach what the
// add-in publishes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/vellox_install.h"
#include "tests/host/client.h"
#include "tests/host/host.h"

namespace vx::e2e {
namespace {

using host::ButtonObj;
using host::Call;
using host::ContactObj;
using host::ExplorerObj;
using host::Get;
using host::Host;
using host::InspectorObj;
using host::Method;
using host::Put;
using host::Var;

// Another add-in, connected before ours: it adds a custom button ("Als PDF")
// to the folder window it is given and to every window that opens, and
// counts the clicks on them.
class OtherAddIn : public IDispatch {
 public:
  ~OtherAddIn() {
    for (auto& [point, cookie] : subscriptions_) {
      point->Unadvise(cookie);
      point->Release();
    }
  }

  // Its button at the end of the window's "Standard" bar.
  void AddButton(IDispatch* window) {
    Call bars = Get(window, L"CommandBars");
    Call bar = Get(bars.value.object(), L"Item", {Var::Text(L"Standard")});
    Call controls = Get(bar.value.object(), L"Controls");
    Call added = Method(controls.value.object(), L"Add",
                        {Var::Long(1), Var::Missing(), Var::Missing(), Var::Missing(), Var::Bool(true)});
    ASSERT_TRUE(added.ok());
    Put(added.value.object(), L"Caption", Var::Text(L"Als PDF"));
    Subscribe(added.value.object(), DIID__CommandBarButtonEvents);
    buttons.push_back(dynamic_cast<ButtonObj*>(added.value.object()));
  }
  void WatchWindows(IDispatch* inspectors) { Subscribe(inspectors, DIID_InspectorsEvents); }

  std::vector<ButtonObj*> buttons;
  int clicks = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != DIID__CommandBarButtonEvents &&
        riid != DIID_InspectorsEvents) {
      return E_NOINTERFACE;
    }
    *ppv = this;
    return S_OK;
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
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    if (id == 0x1) ++clicks;                                                  // Click
    if (id == 0xF001) AddButton(V_DISPATCH(&params->rgvarg[0]));              // NewInspector
    return S_OK;
  }

 private:
  void Subscribe(IDispatch* source, REFIID diid) {
    IConnectionPointContainer* container = nullptr;
    IConnectionPoint* point = nullptr;
    DWORD cookie = 0;
    ASSERT_HRESULT_SUCCEEDED(
        source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)));
    HRESULT hr = container->FindConnectionPoint(diid, &point);
    container->Release();
    ASSERT_HRESULT_SUCCEEDED(hr);
    ASSERT_HRESULT_SUCCEEDED(point->Advise(static_cast<IDispatch*>(this), &cookie));
    subscriptions_.emplace_back(point, cookie);
  }

  std::vector<std::pair<IConnectionPoint*, DWORD>> subscriptions_;
};

class OnARealDesktop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(Regsvr32(false), 0u); }
  static void TearDownTestSuite() { Regsvr32(true); }

  void SetUp() override {
    DeleteSettings();
    WriteSetting(L"Startup", L"FirstRun", L"0");
    WriteSetting(L"Startup", L"ShowSplash", L"0");
    WriteTemplate({L"<FullName>", L"<CompanyName>", L"<MailingAddress>"});
    host_ = std::make_unique<Host>();
    Host::ClearClipboard();
    anna_ = host_->AddContact(host_->Contacts(), {.FullName = L"Anna Müller",
                                                  .MailingAddressCity = L"München",
                                                  .MailingAddressPostalCode = L"80331"});
    juergen_ = host_->AddContact(host_->Contacts(), {.FullName = L"Jürgen Weiß",
                                                     .MailingAddressCity = L"Düsseldorf",
                                                     .MailingAddressPostalCode = L"40212"});
  }
  void TearDown() override {
    host_.reset();
    DeleteSettings();
  }

  const host::AddIn& Vellox() {
    for (const host::AddIn& a : host_->AddIns()) {
      if (a.progId == kProgId) return a;
    }
    throw std::runtime_error("Vellorian.Connect is not registered as an Outlook add-in");
  }

  std::unique_ptr<Host> host_;
  ContactObj* anna_ = nullptr;
  ContactObj* juergen_ = nullptr;
};

const char kAnnaText[] = "Anna M\xFCller\r\n80331 M\xFCnchen";
const char kJuergenText[] = "J\xFCrgen Wei\xDF\r\n40212 D\xFCsseldorf";

// Office gives every custom control the Id 1: ours is kept as the control
// found by its caption, never looked up by Id, so the other add-in's button
// before it keeps its own click and visibility.
TEST_F(OnARealDesktop, AnotherAddInsButtonsBesideOursAreLeftAlone) {
  OtherAddIn other;
  ExplorerObj* explorer = host_->OpenExplorer(host_->Inbox());
  other.AddButton(explorer->AsDispatch());
  other.WatchWindows(host_->world().inspectors->AsDispatch());
  host_->Startup();
  ASSERT_EQ(other.buttons.size(), 1u);
  ButtonObj* theirs = other.buttons[0];
  ButtonObj* ours = Host::FindButton(explorer->bars, kCaption);
  ASSERT_NE(ours, nullptr);
  ASSERT_EQ(ours->id, theirs->id) << "the custom controls' one Id";

  for (int round = 0; round < 3; ++round) {
    ASSERT_TRUE(host_->SwitchFolder(explorer, host_->Contacts()));
    EXPECT_TRUE(ours->visible);
    InspectorObj* window = host_->OpenInspector((round % 2 ? juergen_ : anna_)->AsDispatch());
    ASSERT_EQ(other.buttons.size(), 2u + round);
    EXPECT_EQ(window->bars->Find(L"Standard")->buttons.back(), Host::FindButton(window->bars, kCaption))
        << "ours after theirs";
    ASSERT_TRUE(host_->Click(window->bars, kCaption));
    EXPECT_EQ(Host::ClipboardText(), round % 2 ? kJuergenText : kAnnaText);
    host_->CloseInspector(window);
    ASSERT_TRUE(host_->SwitchFolder(explorer, host_->Inbox()));
    EXPECT_FALSE(ours->visible);
    EXPECT_TRUE(theirs->visible) << "round " << round;
  }
  ASSERT_TRUE(host_->SwitchFolder(explorer, host_->Contacts()));
  EXPECT_EQ(Host::FindButton(explorer->bars, kCaption), ours) << "still the one button";
  EXPECT_EQ(ours->clickSinks(), 1);
  host_->Select(explorer, {juergen_->AsDispatch(), anna_->AsDispatch()});
  ASSERT_TRUE(host_->Click(explorer->bars, kCaption));
  EXPECT_EQ(Host::ClipboardText(), std::string(kJuergenText) + "\r\n\r\n" + kAnnaText);

  // Theirs: shown, subscribed by their add-in alone, and a click on one
  // reaches only them.
  Host::ClearClipboard();
  EXPECT_TRUE(host_->Click(explorer->bars, L"Als PDF"));
  EXPECT_EQ(other.clicks, 1);
  EXPECT_FALSE(Host::ClipboardHasText());
  for (ButtonObj* b : other.buttons) {
    EXPECT_TRUE(b->visible);
    EXPECT_EQ(b->clickSinks(), 1);
  }
  EXPECT_TRUE(host_->TakeBoxes().empty());
}

// Exchange in online mode lets a session hold 250 items open at once: each
// contact is let go of after its block, so a selection of a thousand is
// copied whole, and a box never shows.
TEST_F(OnARealDesktop, AThousandContactsUnderExchangesOpenItemLimitAreCopiedOneAtATime) {
  constexpr int kContacts = 1000;
  std::vector<IDispatch*> selection;
  std::string expected;
  for (int i = 1; i <= kContacts; ++i) {
    ContactObj* c = host_->AddContact(
        host_->Contacts(), {.FullName = L"Kontakt " + std::to_wstring(i),
                            .MailingAddressCity = L"K\x00F6ln",
                            .MailingAddressPostalCode = L"50667"});
    selection.push_back(c->AsDispatch());
    if (i > 1) expected += "\r\n\r\n";
    expected += "Kontakt " + std::to_string(i) + "\r\n50667 K\xF6ln";
  }
  host_->world().openItemLimit = 250;
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  host_->Select(explorer, selection);
  const long before = host_->tracker().dispatchCalls;
  ASSERT_TRUE(host_->Click(explorer->bars, kCaption));
  const long calls = host_->tracker().dispatchCalls - before;

  EXPECT_TRUE(host_->TakeBoxes().empty());
  EXPECT_EQ(Host::ClipboardText(), expected);
  EXPECT_EQ(host_->world().refusedItems, 0);
  EXPECT_LE(host_->world().mostOpenItems, 2);
  EXPECT_EQ(host_->world().openItems, 0);
  // Late-bound calls per contact with this (the default) template:
  // Selection.Item, Class and one read per field.
  std::printf("late-bound calls for %d contacts: %ld (%.2f per contact)\n", kContacts, calls,
              static_cast<double>(calls) / kContacts);
  EXPECT_LE(calls, 5 * kContacts + 20);
}

// What the add-in publishes for the options page (its entry's Object, the
// running object table) answers ReReadSettings and nothing else: no program
// of the session can disconnect it or connect it elsewhere, by name, by
// DISPID or through the connection interface.
TEST_F(OnARealDesktop, WhatTheAddInPublishesAnswersReReadSettingsOnly) {
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  IDispatch* published = Vellox().entry->object;
  ASSERT_NE(published, nullptr);
  published->AddRef();
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
  IUnknown* running = nullptr;
  ASSERT_EQ(GetActiveObject(clsid, nullptr, &running), S_OK);
  IDispatch* registered = nullptr;
  ASSERT_EQ(running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&registered)), S_OK);
  running->Release();

  for (IDispatch* object : {published, registered}) {
    for (const wchar_t* name : {L"OnConnection", L"OnDisconnection", L"OnAddInsUpdate",
                                L"OnStartupComplete", L"OnBeginShutdown"}) {
      LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
      DISPID id = 0;
      EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME) << name;
    }
    // OnConnection(Application, ConnectMode, AddInInst, custom) and
    // OnDisconnection(RemoveMode, custom), arguments in reverse order.
    Var missing = Var::Missing(), nothing = Var::Object(nullptr), mode = Var::Long(1),
        app = Var::Object(host_->app()->AsDispatch());
    VARIANT connectArgs[] = {*missing.get(), *nothing.get(), *mode.get(), *app.get()};
    VARIANT disconnectArgs[] = {*missing.get(), *mode.get()};
    DISPPARAMS connect{connectArgs, nullptr, 4, 0};
    DISPPARAMS disconnect{disconnectArgs, nullptr, 2, 0};
    EXPECT_TRUE(FAILED(object->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &connect, nullptr, nullptr, nullptr)));
    EXPECT_TRUE(FAILED(object->Invoke(2, IID_NULL, 0, DISPATCH_METHOD, &disconnect, nullptr, nullptr, nullptr)));
    void* extensibility = nullptr;
    EXPECT_EQ(object->QueryInterface(vx::win::IID_IDTExtensibility2, &extensibility), E_NOINTERFACE);
    EXPECT_TRUE(Method(object, L"ReReadSettings").ok());
  }
  registered->Release();

  // Still connected and working.
  EXPECT_EQ(Host::FindButton(explorer->bars, kCaption)->clickSinks(), 1);
  host_->Select(explorer, {anna_->AsDispatch()});
  ASSERT_TRUE(host_->Click(explorer->bars, kCaption));
  EXPECT_EQ(Host::ClipboardText(), kAnnaText);
  EXPECT_TRUE(host_->TakeBoxes().empty());

  // The user switches the add-in off: its entry's Object is taken back, and a
  // reference kept from before reaches no add-in any more.
  host_->DisconnectAddIn(kProgId);
  EXPECT_EQ(Vellox().entry->object, nullptr);
  EXPECT_FALSE(Method(published, L"ReReadSettings").ok());
  published->Release();
  running = nullptr;
  EXPECT_NE(GetActiveObject(clsid, nullptr, &running), S_OK);
  if (running) running->Release();
  EXPECT_EQ(AddinCanUnloadNow(), S_OK);
  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
  EXPECT_TRUE(host_->TakeBoxes().empty());
}

}  // namespace
}  // namespace vx::e2e
