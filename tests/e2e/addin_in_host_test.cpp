// Vellox.DLL, registered with regsvr32, loaded and driven by the substitute
// Outlook exactly as Outlook would: start, buttons, clicks, the clipboard,
// the boxes it shows, the options page announcement, ReReadSettings by name,
// and nothing left behind after disconnection; then the same copies in every
// Outlook version, through command bars or the ribbon as the version has them.
#include <gtest/gtest.h>

#include "tests/e2e/vellox_install.h"
#include "tests/host/client.h"
#include "tests/host/host.h"

namespace vx::e2e {
namespace {

using host::Box;
using host::ButtonObj;
using host::ContactFields;
using host::ContactObj;
using host::ExplorerObj;
using host::Host;
using host::InspectorObj;

const ContactFields kAnna{.FullName = L"Anna Müller",
                          .CompanyName = L"Müller & Söhne GmbH",
                          .MailingAddressCity = L"München",
                          .MailingAddressStreet = L"Hauptstraße 5",
                          .MailingAddressPostalCode = L"80331",
                          .MailingAddressCountry = L"Deutschland"};
const ContactFields kJuergen{.FullName = L"Jürgen Weiß",
                             .MailingAddressCity = L"Düsseldorf",
                             .MailingAddressStreet = L"Königsallee 12",
                             .MailingAddressPostalCode = L"40212"};

class VelloxInHost : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(Regsvr32(false), 0u); }
  static void TearDownTestSuite() { Regsvr32(true); }

  void SetUp() override {
    DeleteSettings();
    host_ = std::make_unique<Host>();
    Host::ClearClipboard();
    anna_ = host_->AddContact(host_->Contacts(), kAnna);
    juergen_ = host_->AddContact(host_->Contacts(), kJuergen);
  }
  void TearDown() override {
    host_.reset();
    DeleteSettings();
  }

  // A returning user: defaults written long ago, no splash.
  static void Returning() {
    WriteSetting(L"Startup", L"FirstRun", L"0");
    WriteSetting(L"Startup", L"ShowSplash", L"0");
    WriteTemplate({L"<FullName>", L"<CompanyName>", L"<MailingAddress>"});
  }

  const host::AddIn& Vellox() {
    for (const host::AddIn& a : host_->AddIns()) {
      if (a.progId == kProgId) return a;
    }
    throw std::runtime_error("Vellorian.Connect is not registered as an Outlook add-in");
  }

  ButtonObj* Button(host::BarsObj* bars) { return Host::FindButton(bars, kCaption); }

  std::unique_ptr<Host> host_;
  ContactObj* anna_ = nullptr;
  ContactObj* juergen_ = nullptr;
};

TEST_F(VelloxInHost, FirstStartOnAnEmptyRegistry) {
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  const host::AddIn& addin = Vellox();
  EXPECT_EQ(addin.loadBehavior, 3u);
  EXPECT_EQ(addin.connected, S_OK);

  // The splash was shown (and closed by "&OK"), and nothing else.
  std::vector<Box> boxes = host_->TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].splash);

  // First-run defaults written, the object published in COMAddIns.
  EXPECT_EQ(ReadSetting(L"Startup", L"FirstRun"), L"0");
  EXPECT_EQ(ReadSetting(L"AdressFormat", L"Line1"), L"<FullName>");
  EXPECT_EQ(ReadSetting(L"AdressFormat", L"Line2"), L"<CompanyName>");
  EXPECT_EQ(ReadSetting(L"AdressFormat", L"Line3"), L"<MailingAddress>");
  EXPECT_NE(addin.entry->object, nullptr);

  // The button at the end of the explorer's "Standard" bar, temporary and shown.
  ButtonObj* button = Button(explorer->bars);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(explorer->bars->Find(L"Standard")->buttons.back(), button);
  EXPECT_EQ(button->tooltip, kTooltip);
  EXPECT_TRUE(button->temporary);
  EXPECT_TRUE(button->visible);
  EXPECT_EQ(button->clickSinks(), 1);
}

TEST_F(VelloxInHost, StartWithoutAnyWindowWiresNothing) {
  host_->Startup();
  EXPECT_EQ(Vellox().connected, S_OK);
  EXPECT_TRUE(host_->TakeBoxes().empty());
  bool found = true;
  ReadSetting(L"Startup", L"FirstRun", &found);
  EXPECT_FALSE(found);
  EXPECT_EQ(Vellox().entry->object, nullptr);
  InspectorObj* window = host_->OpenInspector(anna_->AsDispatch());
  EXPECT_EQ(Button(window->bars), nullptr);
  EXPECT_EQ(host_->Subscriptions(), 0);
}

TEST_F(VelloxInHost, ExplorerButtonShownOnlyInContactsFolders) {
  Returning();
  ExplorerObj* explorer = host_->OpenExplorer(host_->Inbox());
  host_->Startup();
  ButtonObj* button = Button(explorer->bars);
  ASSERT_NE(button, nullptr);
  EXPECT_FALSE(button->visible);
  host_->SwitchFolder(explorer, host_->Contacts());
  EXPECT_EQ(Button(explorer->bars), button);  // the same button, not a second one
  EXPECT_TRUE(button->visible);
  host_->SwitchFolder(explorer, host_->Inbox());
  EXPECT_FALSE(button->visible);
  host::FolderObj* more = host_->AddFolder(L"Kunden", host::kItemContact);
  host_->SwitchFolder(explorer, more);
  EXPECT_TRUE(button->visible);
  int buttons = 0;
  for (ButtonObj* b : explorer->bars->Find(L"Standard")->buttons) buttons += b->caption == kCaption;
  EXPECT_EQ(buttons, 1);

  // Removed by the user: the next folder switch adds a new one.
  host_->RemoveControl(explorer->bars, kCaption);
  host_->SwitchFolder(explorer, host_->Contacts());
  ButtonObj* again = Button(explorer->bars);
  ASSERT_NE(again, nullptr);
  EXPECT_NE(again, button);
  EXPECT_TRUE(again->visible);
  EXPECT_TRUE(host_->TakeBoxes().empty());
}

TEST_F(VelloxInHost, SelectionOfContactMailContactCopiesTheTwoContacts) {
  Returning();
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  host::MailObj* mail = host_->AddMail(host_->Contacts(), L"Angebot");
  host_->Select(explorer, {anna_->AsDispatch(), mail->AsDispatch(), juergen_->AsDispatch()});
  ASSERT_TRUE(host_->Click(explorer->bars, kCaption));
  // Code page 1252: ü FC, ß DF, ö F6.
  EXPECT_EQ(Host::ClipboardText(),
            "Anna M\xFCller\r\nM\xFCller & S\xF6hne GmbH\r\nHauptstra\xDF" "e 5\r\n80331 M\xFCnchen\r\n"
            "Deutschland\r\n\r\nJ\xFCrgen Wei\xDF\r\nK\xF6nigsallee 12\r\n40212 D\xFCsseldorf");
  EXPECT_EQ(Host::ClipboardUnicode(),
            L"Anna Müller\r\nMüller & Söhne GmbH\r\nHauptstraße 5\r\n80331 München\r\nDeutschland"
            L"\r\n\r\nJürgen Weiß\r\nKönigsallee 12\r\n40212 Düsseldorf");
  EXPECT_TRUE(host_->TakeBoxes().empty());

  // A selection without contacts leaves the clipboard as it was.
  host_->Select(explorer, {mail->AsDispatch()});
  ASSERT_TRUE(host_->Click(explorer->bars, kCaption));
  EXPECT_TRUE(Host::ClipboardText().starts_with("Anna M\xFCller\r\n"));
}

TEST_F(VelloxInHost, ContactWindowsGetTheirOwnButtons) {
  Returning();
  InspectorObj* early = host_->OpenInspector(juergen_->AsDispatch());  // open before the start
  host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  EXPECT_EQ(Button(early->bars), nullptr);

  InspectorObj* first = host_->OpenInspector(anna_->AsDispatch());
  ButtonObj* button = Button(first->bars);
  ASSERT_NE(button, nullptr);
  EXPECT_TRUE(button->visible);
  EXPECT_EQ(button->tooltip, kTooltip);
  EXPECT_TRUE(button->temporary);
  ASSERT_TRUE(host_->Click(first->bars, kCaption));
  EXPECT_EQ(Host::ClipboardText(),
            "Anna M\xFCller\r\nM\xFCller & S\xF6hne GmbH\r\nHauptstra\xDF" "e 5\r\n80331 M\xFCnchen\r\n"
            "Deutschland");

  // Mail and distribution-list windows get none.
  InspectorObj* mail = host_->OpenInspector(host_->AddMail(host_->Inbox(), L"Hallo")->AsDispatch());
  InspectorObj* list = host_->OpenInspector(host_->AddDistList(host_->Contacts(), L"Team")->AsDispatch());
  EXPECT_EQ(Button(mail->bars), nullptr);
  EXPECT_EQ(Button(list->bars), nullptr);

  // A second contact window: its own button, now the one subscribed.
  host_->CloseInspector(mail);
  host_->CloseInspector(list);
  InspectorObj* second = host_->OpenInspector(juergen_->AsDispatch());
  ButtonObj* secondButton = Button(second->bars);
  ASSERT_NE(secondButton, nullptr);
  EXPECT_EQ(secondButton->clickSinks(), 1);
  EXPECT_EQ(button->clickSinks(), 0);
  EXPECT_NE(Button(first->bars), nullptr);  // the first window keeps its button
  ASSERT_TRUE(host_->Click(second->bars, kCaption));
  EXPECT_EQ(Host::ClipboardText(), "J\xFCrgen Wei\xDF\r\nK\xF6nigsallee 12\r\n40212 D\xFCsseldorf");
  EXPECT_TRUE(host_->TakeBoxes().empty());
}

TEST_F(VelloxInHost, FaultyTemplateLinesAreReportedInRealBoxes) {
  Returning();
  WriteTemplate({L"<FullName", L"a > <FullName>", L"<CompanyName>"});
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  host_->Select(explorer, {anna_->AsDispatch()});
  ASSERT_TRUE(host_->Click(explorer->bars, kCaption));
  std::vector<Box> boxes = host_->TakeBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].prompt, L"Feldbegrenzungen ('<>') treten nicht paarweise auf in Zeile\r\n<FullName");
  EXPECT_EQ(boxes[0].title, L"Vellox");
  EXPECT_TRUE(boxes[0].icon);
  EXPECT_EQ(boxes[0].buttons, std::vector<int>{IDOK});
  EXPECT_EQ(boxes[1].prompt,
            L"5: Ungültiger Prozeduraufruf oder ungültiges Argument\r\n\r\n"
            L" in Funktion 'DecodeLine' von Klassenmodul 'clsVellox'");
  EXPECT_EQ(boxes[1].title, L"DecodeLine");
  EXPECT_TRUE(boxes[1].icon);
  // Both faulty lines dropped; the company line copied.
  EXPECT_EQ(Host::ClipboardText(), "M\xFCller & S\xF6hne GmbH");
}

TEST_F(VelloxInHost, OptionsPageAnnouncedForContactsFoldersOnly) {
  Returning();
  host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  host::PagesObj* contacts = host_->OpenFolderProperties(host_->Contacts());
  ASSERT_EQ(contacts->pages.size(), 1u);
  EXPECT_EQ(contacts->pages[0].progId, L"Vellox.ctlVellox");
  EXPECT_EQ(contacts->pages[0].title, L"Adresse kopieren");
  EXPECT_TRUE(host_->OpenFolderProperties(host_->Inbox())->pages.empty());
  host::FolderObj* more = host_->AddFolder(L"Kunden", host::kItemContact);
  EXPECT_EQ(host_->OpenFolderProperties(more)->pages.size(), 1u);
}

TEST_F(VelloxInHost, ReReadSettingsByNameMakesTheNextClickUseTheNewTemplate) {
  Returning();
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  host_->Select(explorer, {juergen_->AsDispatch()});
  WriteTemplate({L"Herrn", L"<FullName>"});
  ASSERT_TRUE(host_->Click(explorer->bars, kCaption));
  EXPECT_TRUE(Host::ClipboardText().starts_with("J\xFCrgen Wei\xDF\r\nK"));  // still the old one

  // What the options page does after Apply: COMAddIns.Item(ProgID).Object.ReReadSettings.
  using host::Get;
  using host::Method;
  using host::Var;
  host::Call addins = Get(host_->app()->AsDispatch(), L"COMAddIns");
  host::Call entry = Method(addins.value.object(), L"Item", {Var::Text(kProgId)});
  host::Call connect = Get(entry.value.object(), L"Object");
  ASSERT_NE(connect.value.object(), nullptr);
  EXPECT_TRUE(Method(connect.value.object(), L"ReReadSettings").ok());
  ASSERT_TRUE(host_->Click(explorer->bars, kCaption));
  EXPECT_EQ(Host::ClipboardText(), "Herrn\r\nJ\xFCrgen Wei\xDF");
}

TEST_F(VelloxInHost, AfterDisconnectionItHoldsNothing) {
  Returning();
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  host_->OpenInspector(anna_->AsDispatch());
  host_->Select(explorer, {anna_->AsDispatch(), juergen_->AsDispatch()});
  host_->Click(explorer->bars, kCaption);
  host_->SwitchFolder(explorer, host_->Inbox());
  host_->OpenFolderProperties(host_->Contacts());
  EXPECT_GT(host_->Subscriptions(), 0);
  EXPECT_GT(host_->ExternalRefs(), 0);

  host_->Shutdown();
  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
  EXPECT_EQ(host_->Subscriptions(), 0) << host_->Holders();
  EXPECT_EQ(host_->tracker().surplusReleases, 0);
  EXPECT_EQ(Vellox().entry->object, nullptr);
  EXPECT_EQ(AddinCanUnloadNow(), S_OK);
}

TEST_F(VelloxInHost, StartWithAContactWindowButNoExplorerReportsTheMissingExplorer) {
  Returning();
  InspectorObj* window = host_->OpenInspector(anna_->AsDispatch());
  host_->Startup();
  std::vector<Box> boxes = host_->TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].prompt,
            L"91: Objektvariable oder With-Blockvariable nicht festgelegt\r\n\r\n"
            L" in procedure myOlExp_FolderSwitch of Klassenmodul Klasse1");
  EXPECT_EQ(boxes[0].title, L"Vellox");
  EXPECT_FALSE(boxes[0].icon);
  // Connected all the same: published, and the next contact window gets its button.
  EXPECT_NE(Vellox().entry->object, nullptr);
  EXPECT_EQ(Button(window->bars), nullptr);
  InspectorObj* next = host_->OpenInspector(juergen_->AsDispatch());
  ASSERT_NE(Button(next->bars), nullptr);
  ASSERT_TRUE(host_->Click(next->bars, kCaption));
  EXPECT_EQ(Host::ClipboardText(), "J\xFCrgen Wei\xDF\r\nK\xF6nigsallee 12\r\n40212 D\xFCsseldorf");
  host_->Shutdown();
  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
}

TEST_F(VelloxInHost, ClosingTheLastExplorerKeepsTheWiringWhileAContactWindowIsOpen) {
  Returning();
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  InspectorObj* window = host_->OpenInspector(anna_->AsDispatch());
  long subscribed = host_->Subscriptions();
  host_->CloseExplorer(explorer);
  EXPECT_EQ(host_->world().inspectors->events->subscriptions(), 1);
  EXPECT_GT(host_->Subscriptions(), 0);
  EXPECT_LE(host_->Subscriptions(), subscribed);
  ASSERT_TRUE(host_->Click(window->bars, kCaption));
  EXPECT_TRUE(Host::ClipboardText().starts_with("Anna M\xFCller\r\n"));
  host_->Shutdown();
  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
  EXPECT_EQ(host_->Subscriptions(), 0) << host_->Holders();
}

TEST_F(VelloxInHost, ClosingTheLastContactWindowAfterTheLastExplorerReleasesEverything) {
  Returning();
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  InspectorObj* first = host_->OpenInspector(anna_->AsDispatch());
  InspectorObj* second = host_->OpenInspector(juergen_->AsDispatch());
  host_->CloseExplorer(explorer);

  // The window whose button the add-in holds closes beside another one: the
  // add-in stays wired, and the next contact window's button copies.
  host_->CloseInspector(second);
  EXPECT_EQ(host_->world().inspectors->events->subscriptions(), 1);
  InspectorObj* third = host_->OpenInspector(juergen_->AsDispatch());
  ASSERT_TRUE(host_->Click(third->bars, kCaption));
  EXPECT_TRUE(Host::ClipboardText().starts_with("J\xFCrgen Wei\xDF\r\n"));

  // Another window closes: the add-in keeps working in the one still open.
  host_->CloseInspector(first);
  Host::ClearClipboard();
  ASSERT_TRUE(host_->Click(third->bars, kCaption));
  EXPECT_TRUE(Host::ClipboardText().starts_with("J\xFCrgen Wei\xDF\r\n"));

  // The window with the add-in's button closes before an older one: the
  // older one's closing is heard as Outlook's last.
  InspectorObj* fourth = host_->OpenInspector(anna_->AsDispatch());
  host_->CloseInspector(fourth);
  EXPECT_EQ(host_->world().inspectors->events->subscriptions(), 1);

  // Outlook's last window closes: everything is given back before any
  // disconnection.
  host_->CloseInspector(third);
  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
  EXPECT_EQ(host_->Subscriptions(), 0) << host_->Holders();
  EXPECT_TRUE(host_->TakeBoxes().empty());
  host_->Shutdown();
  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
}

TEST_F(VelloxInHost, ClosingTheLastExplorerWithoutWindowsReleasesEarly) {
  Returning();
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  host_->CloseExplorer(explorer);
  EXPECT_EQ(host_->Subscriptions(), 0) << host_->Holders();
  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
  host_->Shutdown();
  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
}

// Outlook's last window, whichever it is and whatever opened and closed
// before, gives back every reference and subscription before any
// disconnection: started with a contact window only, or with an explorer
// that closes while the contact window stays; then a new explorer, and the
// two windows closing in either order. The add-in copies in each window
// while it is open.
TEST_F(VelloxInHost, OutlooksLastWindowGivesEverythingBackWhateverCameBefore) {
  struct Case {
    bool startWithExplorer;
    bool newExplorer;
    bool contactWindowFirst;
  };
  for (Case c : {Case{false, false, true}, Case{false, true, true}, Case{false, true, false},
                 Case{true, true, true}, Case{true, true, false}}) {
    SCOPED_TRACE(testing::Message() << "explorer at the start " << c.startWithExplorer
                                    << ", new explorer " << c.newExplorer
                                    << ", contact window closes first " << c.contactWindowFirst);
    host_ = std::make_unique<Host>();
    anna_ = host_->AddContact(host_->Contacts(), kAnna);
    juergen_ = host_->AddContact(host_->Contacts(), kJuergen);
    Returning();
    InspectorObj* window = nullptr;
    if (c.startWithExplorer) {
      ExplorerObj* first = host_->OpenExplorer(host_->Contacts());
      host_->Startup();
      window = host_->OpenInspector(anna_->AsDispatch());
      ASSERT_TRUE(host_->Click(window->bars, kCaption));
      EXPECT_TRUE(Host::ClipboardText().starts_with("Anna M\xFCller\r\n"));
      host_->CloseExplorer(first);
    } else {
      window = host_->OpenInspector(anna_->AsDispatch());
      host_->Startup();
      ASSERT_EQ(host_->TakeBoxes().size(), 1u);  // the missing explorer
    }
    if (!c.newExplorer) {
      host_->CloseInspector(window);
      EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
      EXPECT_EQ(host_->Subscriptions(), 0) << host_->Holders();
      host_->Shutdown();
      continue;
    }
    ExplorerObj* second = host_->OpenExplorer(host_->Inbox());
    host_->SwitchFolder(second, host_->Contacts());
    host_->Select(second, {juergen_->AsDispatch()});
    ASSERT_TRUE(host_->Click(second->bars, kCaption));
    EXPECT_TRUE(Host::ClipboardText().starts_with("J\xFCrgen Wei\xDF\r\n"));
    if (c.startWithExplorer) {
      ASSERT_TRUE(host_->Click(window->bars, kCaption));
      EXPECT_TRUE(Host::ClipboardText().starts_with("Anna M\xFCller\r\n"));
    }
    if (c.contactWindowFirst) {
      host_->CloseInspector(window);
      EXPECT_GT(host_->Subscriptions(), 0);
      host_->CloseExplorer(second);
    } else {
      host_->CloseExplorer(second);
      EXPECT_GT(host_->Subscriptions(), 0);
      host_->CloseInspector(window);
    }
    EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
    EXPECT_EQ(host_->Subscriptions(), 0) << host_->Holders();
    EXPECT_TRUE(host_->TakeBoxes().empty());
    host_->Shutdown();
  }
}

// An add-in entered for every user of the machine, in an Outlook whose
// COMAddIns does not list such add-ins: published through the entry handed
// to OnConnection, started as usual, and reachable for the options page
// where it registered itself.
TEST_F(VelloxInHost, AMachineAddInTheCollectionDoesNotListStartsAndCanBeReached) {
  const wchar_t* key = L"Software\\Microsoft\\Office\\Outlook\\Addins\\Vellorian.Connect";
  HKEY machine = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE, nullptr, &machine, nullptr),
            ERROR_SUCCESS);
  const DWORD three = 3;
  RegSetValueExW(machine, L"LoadBehavior", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&three), sizeof three);
  RegCloseKey(machine);
  RegDeleteKeyW(HKEY_CURRENT_USER, key);
  struct Restore {
    const wchar_t* key;
    ~Restore() {
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, key);
      Regsvr32(false);  // the user's entry again
    }
  } restore{key};

  WriteSetting(L"Startup", L"ShowSplash", L"0");  // a first start otherwise
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->HideMachineAddIns(true);
  host_->Startup();
  ASSERT_TRUE(Vellox().machine);
  EXPECT_EQ(Vellox().connected, S_OK);
  EXPECT_TRUE(host_->TakeBoxes().empty());
  EXPECT_NE(Vellox().entry->object, nullptr);
  EXPECT_EQ(ReadSetting(L"Startup", L"FirstRun"), L"0");

  using host::Get;
  using host::Method;
  using host::Var;
  {
    host::Call addins = Get(host_->app()->AsDispatch(), L"COMAddIns");
    EXPECT_FALSE(Method(addins.value.object(), L"Item", {Var::Text(kProgId)}).ok());
  }
  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
  IUnknown* running = nullptr;
  ASSERT_EQ(GetActiveObject(clsid, nullptr, &running), S_OK);
  IDispatch* connect = nullptr;
  ASSERT_EQ(running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&connect)), S_OK);
  running->Release();
  WriteTemplate({L"Herrn", L"<FullName>"});
  EXPECT_TRUE(Method(connect, L"ReReadSettings").ok());
  connect->Release();
  host_->Select(explorer, {juergen_->AsDispatch()});
  ASSERT_TRUE(host_->Click(explorer->bars, kCaption));
  EXPECT_EQ(Host::ClipboardText(), "Herrn\r\nJ\xFCrgen Wei\xDF");

  host_->Shutdown();
  running = nullptr;
  EXPECT_NE(GetActiveObject(clsid, nullptr, &running), S_OK) << "revoked at disconnection";
  if (running) running->Release();
  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
}

// ---- every Outlook version ----

const char kAnnaText[] =
    "Anna M\xFCller\r\nM\xFCller & S\xF6hne GmbH\r\nHauptstra\xDF" "e 5\r\n80331 M\xFCnchen\r\n"
    "Deutschland";
const char kJuergenText[] = "J\xFCrgen Wei\xDF\r\nK\xF6nigsallee 12\r\n40212 D\xFCsseldorf";
const std::string kBothText = std::string(kAnnaText) + "\r\n\r\n" + kJuergenText;

constexpr wchar_t kExplorerRibbon[] = L"Microsoft.Outlook.Explorer";
constexpr wchar_t kContactRibbon[] = L"Microsoft.Outlook.Contact";

// 2000, XP, 2003 (command bars); 2007, 2010, 2016 (ribbon; 2013 to 365
// report 15 or 16).
const wchar_t* const kCommandBarVersions[] = {L"9.0.0.2711", L"10.0.0.2627", L"11.0.0.5510"};
const wchar_t* const kRibbonVersions[] = {L"12.0.0.4518", L"14.0.0.4760", L"16.0.0.4266"};

class VelloxInEachOutlook : public VelloxInHost, public testing::WithParamInterface<const wchar_t*> {
 protected:
  void SetUp() override {
    VelloxInHost::SetUp();
    host_->SetVersion(GetParam());
    major_ = host_->Major();
    Returning();
  }
  void TearDown() override {
    // No command-bar control where the ribbon replaced the bars, every
    // document loaded, nothing kept from a callback.
    for (const std::wstring& fault : host_->Faults()) ADD_FAILURE() << Narrow(fault);
    VelloxInHost::TearDown();
  }

  static std::string Narrow(const std::wstring& w) {
    std::string out;
    for (wchar_t c : w) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
  }

  // The copy from an explorer, as this version shows it: the toolbar button
  // below 14, the ribbon button from 14 on (and then no toolbar button).
  HRESULT CopyFrom(ExplorerObj* explorer) {
    if (major_ < 14) {
      EXPECT_EQ(host_->RibbonControl(explorer, L"VelloxCopyExplorer"), nullptr);
      return host_->Click(explorer->bars, kCaption) ? S_OK : host::kNotShown;
    }
    EXPECT_EQ(Button(explorer->bars), nullptr);
    return host_->RibbonClick(explorer, L"VelloxCopyExplorer");
  }
  // The same in a contact window: the ribbon from 12 on.
  HRESULT CopyFrom(InspectorObj* window) {
    if (major_ < 12) {
      EXPECT_EQ(host_->RibbonControl(window, L"VelloxCopyInspector"), nullptr);
      return host_->Click(window->bars, kCaption) ? S_OK : host::kNotShown;
    }
    EXPECT_EQ(Button(window->bars), nullptr);
    return host_->RibbonClick(window, L"VelloxCopyInspector");
  }

  // Every document this Outlook received, written as <major>-<ribbon ID>.xml
  // (UTF-8) into the folder named by VX_RIBBON_DOCS, when set: the schema
  // check of the test command validates them.
  void KeepRibbonDocuments() {
    wchar_t folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"VX_RIBBON_DOCS", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    CreateDirectoryW(folder, nullptr);
    for (const host::RibbonDocument& doc : Vellox().ribbons) {
      if (doc.null) continue;
      std::wstring path = std::wstring(folder) + L"\\" + std::to_wstring(major_) + L"-" +
                          doc.ribbonId + L".xml";
      int bytes = WideCharToMultiByte(CP_UTF8, 0, doc.xml.c_str(), static_cast<int>(doc.xml.size()),
                                      nullptr, 0, nullptr, nullptr);
      std::string utf8(static_cast<size_t>(bytes), '\0');
      WideCharToMultiByte(CP_UTF8, 0, doc.xml.c_str(), static_cast<int>(doc.xml.size()), utf8.data(),
                          bytes, nullptr, nullptr);
      HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot write " << Narrow(path);
      DWORD written = 0;
      EXPECT_TRUE(WriteFile(file, utf8.data(), static_cast<DWORD>(bytes), &written, nullptr));
      CloseHandle(file);
    }
  }

  int major_ = 9;
};

TEST_P(VelloxInEachOutlook, CopiesTheContactsSelectedInTheContactsExplorer) {
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  ASSERT_EQ(Vellox().connected, S_OK);
  host::MailObj* mail = host_->AddMail(host_->Contacts(), L"Angebot");
  host_->Select(explorer, {anna_->AsDispatch(), mail->AsDispatch(), juergen_->AsDispatch()});
  long refs = host_->ExternalRefs();
  ASSERT_EQ(CopyFrom(explorer), S_OK);
  EXPECT_EQ(Host::ClipboardText(), kBothText);
  EXPECT_EQ(Host::ClipboardUnicode(),
            L"Anna Müller\r\nMüller & Söhne GmbH\r\nHauptstraße 5\r\n80331 München\r\nDeutschland"
            L"\r\n\r\nJürgen Weiß\r\nKönigsallee 12\r\n40212 Düsseldorf");
  EXPECT_EQ(host_->ExternalRefs(), refs) << host_->Holders();
  EXPECT_TRUE(host_->TakeBoxes().empty());

  // No contact selected: the clipboard stays as it was.
  host_->Select(explorer, {mail->AsDispatch()});
  ASSERT_EQ(CopyFrom(explorer), S_OK);
  EXPECT_EQ(Host::ClipboardText(), kBothText);

  if (major_ >= 14) {
    // The ribbon button, as the user sees it on the Home tab of the
    // Contacts module, and only there.
    const host::RibbonControlDef* button = host_->RibbonControl(explorer, L"VelloxCopyExplorer");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->group, L"VelloxGroup");
    EXPECT_EQ(button->label, L"Zwischenablage");
    EXPECT_EQ(button->screentip, L"Adresse in die Zwischenablage kopieren");
    EXPECT_EQ(button->keytip, L"Z");
    EXPECT_EQ(button->imageMso, L"Copy");
    EXPECT_EQ(button->size, L"large");
    EXPECT_EQ(Vellox().Ribbon(kExplorerRibbon)->ns, host::kCustomUi2009);
    host_->SwitchFolder(explorer, host_->Inbox());
    EXPECT_EQ(host_->RibbonControl(explorer, L"VelloxCopyExplorer"), nullptr);
  } else {
    EXPECT_EQ(Vellox().Ribbon(kExplorerRibbon), nullptr);  // never asked
  }
}

TEST_P(VelloxInEachOutlook, CopiesTheContactOfTheWindowClicked) {
  host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  InspectorObj* first = host_->OpenInspector(anna_->AsDispatch());
  InspectorObj* second = host_->OpenInspector(juergen_->AsDispatch());
  InspectorObj* mail = host_->OpenInspector(host_->AddMail(host_->Inbox(), L"Hallo")->AsDispatch());
  EXPECT_EQ(host_->RibbonControl(mail, L"VelloxCopyInspector"), nullptr);
  host_->CloseInspector(mail);
  if (major_ < 12) {
    // The toolbar button of the newest contact window is the one wired.
    ASSERT_EQ(CopyFrom(second), S_OK);
    EXPECT_EQ(Host::ClipboardText(), kJuergenText);
    EXPECT_EQ(Vellox().ribbon, nullptr);
    return;
  }
  // The ribbon copies the window clicked, not the one last opened.
  long refs = host_->ExternalRefs();
  ASSERT_EQ(CopyFrom(first), S_OK);
  EXPECT_EQ(Host::ClipboardText(), kAnnaText);
  ASSERT_EQ(CopyFrom(second), S_OK);
  EXPECT_EQ(Host::ClipboardText(), kJuergenText);
  EXPECT_EQ(host_->ExternalRefs(), refs) << host_->Holders();
  EXPECT_TRUE(host_->TakeBoxes().empty());

  const host::RibbonDocument* contact = Vellox().Ribbon(kContactRibbon);
  ASSERT_NE(contact, nullptr);
  EXPECT_EQ(contact->ns, major_ == 12 ? host::kCustomUi2006 : host::kCustomUi2009);
  const host::RibbonControlDef* button = contact->Find(L"VelloxCopyInspector");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->place, L"TabContact");
  EXPECT_EQ(button->label, L"Zwischenablage");
  // Every other ribbon is left alone.
  ASSERT_NE(Vellox().Ribbon(L"Microsoft.Outlook.Mail.Read"), nullptr);
  EXPECT_TRUE(Vellox().Ribbon(L"Microsoft.Outlook.Mail.Read")->null);
  EXPECT_EQ(Vellox().Ribbon(L"Microsoft.Outlook.Mail.Read")->result, S_OK);
}

TEST_P(VelloxInEachOutlook, CopiesTheItemsRightClicked) {
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  host::MailObj* mail = host_->AddMail(host_->Contacts(), L"Angebot");
  std::vector<IDispatch*> one{anna_->AsDispatch()};
  std::vector<IDispatch*> three{anna_->AsDispatch(), mail->AsDispatch(), juergen_->AsDispatch()};
  if (major_ < 14) {
    EXPECT_EQ(host_->ContextMenuControl(one, L"VelloxCopyContact"), nullptr);
    return;
  }
  const host::RibbonControlDef* entry = host_->ContextMenuControl(one, L"VelloxCopyContact");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->label, L"Adresse in die &Zwischenablage kopieren");
  EXPECT_EQ(entry->imageMso, L"Copy");
  ASSERT_NE(host_->ContextMenuControl(three, L"VelloxCopyMultiple"), nullptr);

  // What was right-clicked counts, not what the explorer has selected.
  host_->Select(explorer, {juergen_->AsDispatch()});
  long refs = host_->ExternalRefs();
  ASSERT_EQ(host_->ContextMenuClick(explorer, one, L"VelloxCopyContact"), S_OK);
  EXPECT_EQ(Host::ClipboardText(), kAnnaText);
  ASSERT_EQ(host_->ContextMenuClick(explorer, three, L"VelloxCopyMultiple"), S_OK);
  EXPECT_EQ(Host::ClipboardText(), kBothText);
  EXPECT_EQ(host_->ExternalRefs(), refs) << host_->Holders();
  EXPECT_TRUE(host_->TakeBoxes().empty());
}

TEST_P(VelloxInEachOutlook, AppliedSettingsChangeTheNextCopy) {
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  host_->Select(explorer, {juergen_->AsDispatch()});
  WriteTemplate({L"Herrn", L"<FullName>"});
  ASSERT_EQ(CopyFrom(explorer), S_OK);
  EXPECT_EQ(Host::ClipboardText(), kJuergenText);  // still the old template

  // What the options page does after Apply.
  host::Call addins = host::Get(host_->app()->AsDispatch(), L"COMAddIns");
  host::Call entry = host::Method(addins.value.object(), L"Item", {host::Var::Text(kProgId)});
  host::Call connect = host::Get(entry.value.object(), L"Object");
  ASSERT_NE(connect.value.object(), nullptr);
  ASSERT_TRUE(host::Method(connect.value.object(), L"ReReadSettings").ok());
  ASSERT_EQ(CopyFrom(explorer), S_OK);
  EXPECT_EQ(Host::ClipboardText(), "Herrn\r\nJ\xFCrgen Wei\xDF");
}

TEST_P(VelloxInEachOutlook, HoldsNothingAfterDisconnection) {
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host_->Startup();
  InspectorObj* window = host_->OpenInspector(anna_->AsDispatch());
  host_->Select(explorer, {anna_->AsDispatch(), juergen_->AsDispatch()});
  EXPECT_EQ(CopyFrom(explorer), S_OK);
  EXPECT_EQ(CopyFrom(window), S_OK);
  if (major_ >= 14) {
    EXPECT_EQ(host_->ContextMenuClick(explorer, {juergen_->AsDispatch()}, L"VelloxCopyContact"), S_OK);
  }
  host_->SwitchFolder(explorer, host_->Inbox());
  host_->OpenFolderProperties(host_->Contacts());
  EXPECT_GT(host_->Subscriptions(), 0);
  KeepRibbonDocuments();

  host_->Shutdown();
  EXPECT_EQ(host_->ExternalRefs(), 0) << host_->Holders();
  EXPECT_EQ(host_->Subscriptions(), 0) << host_->Holders();
  EXPECT_EQ(host_->tracker().surplusReleases, 0);
  EXPECT_EQ(Vellox().entry->object, nullptr);
  EXPECT_EQ(AddinCanUnloadNow(), S_OK);
  EXPECT_TRUE(host_->TakeBoxes().empty());
}

std::string VersionName(const testing::TestParamInfo<const wchar_t*>& param) {
  std::wstring v = param.param;
  return "Version" + std::string(v.begin(), v.begin() + v.find(L'.'));
}

INSTANTIATE_TEST_SUITE_P(Outlook, VelloxInEachOutlook, testing::ValuesIn(kCommandBarVersions),
                         VersionName);
INSTANTIATE_TEST_SUITE_P(RibbonOutlook, VelloxInEachOutlook,
                         testing::ValuesIn(kRibbonVersions), VersionName);

}  // namespace
}  // namespace vx::e2e
