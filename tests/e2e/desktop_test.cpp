// Vellox.DLL in the substitute Outlook on a desktop it shares: programs of
// the session that reach what the add-in publishes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/vellox_install.h"
#include "tests/host/client.h"
#include "tests/host/host.h"

namespace vx::e2e {
namespace {

using host::ContactObj;
using host::ExplorerObj;
using host::Host;
using host::Method;
using host::Var;

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
