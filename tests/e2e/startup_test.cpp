// Vellox.DLL's start in the substitute Outlook as 9, 12 and 16: whether the
// connection waits for the splash, who owns the splash, OK storing the check
// box, the splash ended by a disconnection or its window's close, and
// Outlook started without a window.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/e2e/vellox_install.h"
#include "tests/host/host.h"

namespace vx::e2e {
namespace {

using host::Box;
using host::ExplorerObj;
using host::Host;
using host::InspectorObj;

constexpr wchar_t kOutlook2000[] = L"9.0.0.2711";
constexpr wchar_t kOutlook2007[] = L"12.0.0.6423";
constexpr wchar_t kOutlook2016[] = L"16.0.0.4266";
// How long the watcher leaves the splash up before it clicks OK.
constexpr DWORD kReadingTime = 400;
const char kAnnaText[] = "Anna Lang\r\nRing 5\r\n10115 Berlin";
const char kCarlText[] = "Carl Ost\r\nAllee 2\r\n04109 Leipzig";

class StartInHost : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(Regsvr32(false), 0u); }
  static void TearDownTestSuite() { Regsvr32(true); }

  void SetUp() override { Fresh(kOutlook2016); }
  void TearDown() override {
    if (host_) {
      for (const std::wstring& fault : host_->Faults()) ADD_FAILURE() << std::string(fault.begin(), fault.end());
    }
    host_.reset();
    DeleteSettings();
  }

  // An empty registry and a new Outlook of that version.
  void Fresh(const wchar_t* version) {
    host_.reset();
    DeleteSettings();
    host_ = std::make_unique<Host>();
    host_->SetVersion(version);
    Host::ClearClipboard();
    anna_ = host_->AddContact(host_->Contacts(), {.FullName = L"Anna Lang",
                                                  .MailingAddressCity = L"Berlin",
                                                  .MailingAddressStreet = L"Ring 5",
                                                  .MailingAddressPostalCode = L"10115"});
    carl_ = host_->AddContact(host_->Contacts(), {.FullName = L"Carl Ost",
                                                  .MailingAddressCity = L"Leipzig",
                                                  .MailingAddressStreet = L"Allee 2",
                                                  .MailingAddressPostalCode = L"04109"});
  }
  // A user who has run the add-in before; "ShowSplash" as given (none: unset).
  static void Returning(const wchar_t* showSplash) {
    WriteSetting(L"Startup", L"FirstRun", L"0");
    if (showSplash) WriteSetting(L"Startup", L"ShowSplash", showSplash);
    WriteTemplate({L"<FullName>", L"<MailingAddress>"});
  }

  const host::AddIn& Vellox() {
    for (const host::AddIn& a : host_->AddIns()) {
      if (a.progId == kProgId) return a;
    }
    throw std::runtime_error("Vellorian.Connect is not registered as an Outlook add-in");
  }

  // The copy from a folder window, as that Outlook shows it.
  HRESULT CopyFrom(ExplorerObj* explorer) {
    if (host_->Major() >= 14) return host_->RibbonClick(explorer, L"VelloxCopyExplorer");
    return host_->Click(explorer->bars, kCaption) ? S_OK : host::kNotShown;
  }

  void ExpectNothingHeld() {
    EXPECT_EQ(host_->ExternalRefs(), 0) << std::string(host_->Holders().begin(), host_->Holders().end());
    EXPECT_EQ(host_->Subscriptions(), 0);
  }

  std::unique_ptr<Host> host_;
  host::ContactObj* anna_ = nullptr;
  host::ContactObj* carl_ = nullptr;
};

class SplashAtTheStart : public StartInHost, public testing::WithParamInterface<const wchar_t*> {};

TEST_P(SplashAtTheStart, OnlyBefore2013TheConnectionWaitsForItAndItsOwnerTakesNoInput) {
  for (bool firstRun : {true, false}) {
    SCOPED_TRACE(firstRun ? "first run" : "later run, ShowSplash unset");
    Fresh(GetParam());
    if (!firstRun) Returning(nullptr);
    ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
    host::SplashAnswer answer;
    answer.delayMs = kReadingTime;
    answer.clearCheckBox = !firstRun;
    host_->SetSplashAnswer(answer);
    host_->Startup();
    ASSERT_EQ(Vellox().connected, S_OK);
    std::vector<Box> boxes = host_->TakeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    const Box& splash = boxes[0];
    ASSERT_TRUE(splash.splash);

    if (host_->Major() >= 15) {
      // Shown once Outlook's start was complete: the connection did not
      // wait for the user.
      EXPECT_GT(splash.seenAt, Vellox().startupCompletedAt);
      EXPECT_LT(Vellox().connectedAt, splash.seenAt);
    } else {
      // The connection returned only after OK.
      EXPECT_GT(Vellox().connectedAt, splash.answeredAt);
      EXPECT_GE(Vellox().connectMs, kReadingTime * 0.9);
    }
    // Owned by the folder window, which takes no click while it is up, and
    // centred on it.
    EXPECT_EQ(splash.owner, explorer->window);
    EXPECT_FALSE(splash.ownerEnabled);
    EXPECT_LE(std::abs((splash.rect.left + splash.rect.right) - (splash.ownerRect.left + splash.ownerRect.right)), 4);
    EXPECT_LE(std::abs((splash.rect.top + splash.rect.bottom) - (splash.ownerRect.top + splash.ownerRect.bottom)), 4);

    // OK stored the check box; the template was there for the first click.
    EXPECT_EQ(ReadSetting(L"Startup", L"ShowSplash"), firstRun ? L"1" : L"0");
    host_->Select(explorer, {anna_->AsDispatch()});
    ASSERT_EQ(CopyFrom(explorer), S_OK);
    EXPECT_EQ(Host::ClipboardText(), kAnnaText);
    host_->Shutdown();
    ExpectNothingHeld();
    EXPECT_TRUE(host_->TakeBoxes().empty());
  }
}

// A report of the start (here: the template is gone) waits for the step
// after the start from 2013 on, with the splash; before, it is shown inside.
TEST_P(SplashAtTheStart, OnlyBefore2013TheConnectionWaitsForItsReportBoxes) {
  Fresh(GetParam());
  WriteSetting(L"Startup", L"FirstRun", L"0");
  WriteSetting(L"Startup", L"ShowSplash", L"1");
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  host::SplashAnswer answer;
  answer.delayMs = kReadingTime;
  host_->SetSplashAnswer(answer);
  host_->Startup();
  std::vector<Box> boxes = host_->TakeBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  const Box& report = host_->Major() >= 15 ? boxes[0] : boxes[1];
  EXPECT_EQ(report.prompt, L"In der Registry wurde kein Adressformat gefunden, verwende Standardformat.");
  EXPECT_EQ(report.owner, explorer->window);
  if (host_->Major() >= 15) {
    EXPECT_GT(report.seenAt, Vellox().startupCompletedAt);
    EXPECT_TRUE(boxes[1].splash) << "the splash after the report";
  } else {
    EXPECT_LT(report.seenAt, Vellox().connectedAt);
    EXPECT_TRUE(boxes[0].splash) << "the splash before the template is read";
  }
  host_->Select(explorer, {anna_->AsDispatch()});
  ASSERT_EQ(CopyFrom(explorer), S_OK);
  EXPECT_EQ(Host::ClipboardText(), "Anna Lang\r\nRing 5\r\n10115 Berlin") << "the default template";
  host_->Shutdown();
  ExpectNothingHeld();
}

INSTANTIATE_TEST_SUITE_P(Outlook, SplashAtTheStart, testing::Values(kOutlook2000, kOutlook2016),
                         [](const testing::TestParamInfo<const wchar_t*>& p) {
                           return p.param == kOutlook2000 ? std::string("Version9") : std::string("Version16");
                         });

TEST_F(StartInHost, At2016TheSplashEndsUnstoredWhenTheAddInIsDisconnectedOrItsWindowCloses) {
  enum Case { kDisconnected, kWindowCloses, kOwnerless };
  for (Case c : {kDisconnected, kWindowCloses, kOwnerless}) {
    const bool windowCloses = c == kWindowCloses;
    SCOPED_TRACE(windowCloses ? "the folder window closes"
                 : c == kOwnerless ? "disconnected, the splash of a contact window's start without an owner"
                                   : "disconnected");
    Fresh(kOutlook2016);
    Returning(nullptr);
    ExplorerObj* explorer = c == kOwnerless ? nullptr : host_->OpenExplorer(host_->Contacts());
    host_->WhenSplashShows([&] {
      // Outlook 2010 and later quit without disconnecting: the window goes.
      if (windowCloses) {
        host_->CloseExplorer(explorer);
      } else {
        host_->DisconnectAddIn(kProgId);
      }
    });
    host_->Startup();
    InspectorObj* window = c == kOwnerless ? host_->OpenInspector(anna_->AsDispatch()) : nullptr;
    std::vector<Box> boxes = host_->TakeBoxes();
    ASSERT_EQ(boxes.size(), 1u) << "the splash, and no report after it";
    EXPECT_TRUE(boxes[0].splash);
    EXPECT_EQ(boxes[0].answeredAt, 0.0);
    bool stored = true;
    ReadSetting(L"Startup", L"ShowSplash", &stored);
    EXPECT_FALSE(stored);
    if (window) host_->CloseInspector(window);
    if (windowCloses) {
      host_->Shutdown();
    } else {
      EXPECT_EQ(AddinCanUnloadNow(), S_OK) << "nothing of the add-in left alive";
    }
    ExpectNothingHeld();
    EXPECT_EQ(Vellox().entry->object, nullptr);
  }
}

TEST_F(StartInHost, At2016AStartWithoutAWindowGetsWorkingButtonsWhicheverWindowsComeAndGo) {
  for (bool contactWindowFirst : {false, true}) {
    SCOPED_TRACE(contactWindowFirst ? "a contact window first" : "a folder window first");
    Fresh(kOutlook2016);
    Returning(L"0");
    host_->Startup();
    ASSERT_EQ(Vellox().connected, S_OK);
    ASSERT_NE(Vellox().Ribbon(L"Microsoft.Outlook.Explorer"), nullptr);
    EXPECT_FALSE(Vellox().Ribbon(L"Microsoft.Outlook.Explorer")->null) << "asked at load, without a window";

    if (contactWindowFirst) {
      InspectorObj* window = host_->OpenInspector(anna_->AsDispatch());
      ASSERT_EQ(host_->RibbonClick(window, L"VelloxCopyInspector"), S_OK);
      EXPECT_EQ(Host::ClipboardText(), kAnnaText);
      host_->CloseInspector(window);
    } else {
      ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
      host_->Select(explorer, {anna_->AsDispatch()});
      ASSERT_EQ(host_->RibbonClick(explorer, L"VelloxCopyExplorer"), S_OK);
      EXPECT_EQ(Host::ClipboardText(), kAnnaText);
      host_->CloseExplorer(explorer);
    }
    EXPECT_NE(Vellox().entry->object, nullptr) << "published at the start";

    // Outlook's last window has closed; a folder window opened again in the
    // same process copies.
    ExplorerObj* again = host_->OpenExplorer(host_->Contacts());
    host_->Select(again, {carl_->AsDispatch()});
    ASSERT_EQ(host_->RibbonClick(again, L"VelloxCopyExplorer"), S_OK);
    EXPECT_EQ(Host::ClipboardText(), kCarlText);
    EXPECT_TRUE(host_->TakeBoxes().empty());
    host_->Shutdown();
    ExpectNothingHeld();
  }
}

TEST_F(StartInHost, At2007AContactWindowsClickStartsTheAddInAndAt2000NothingIsHeldWithoutAWindow) {
  Fresh(kOutlook2007);
  Returning(L"0");
  host_->Startup();
  ExpectNothingHeld();
  InspectorObj* window = host_->OpenInspector(anna_->AsDispatch());
  ASSERT_EQ(host_->RibbonClick(window, L"VelloxCopyInspector"), S_OK);
  EXPECT_EQ(Host::ClipboardText(), kAnnaText);
  // The start without a folder window reports the missing explorer, as the
  // start with a contact window only does where folder windows have a
  // toolbar button.
  std::vector<Box> boxes = host_->TakeBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].prompt.find(L"myOlExp_FolderSwitch"), std::wstring::npos);
  host_->CloseInspector(window);
  ExpectNothingHeld();
  host_->Shutdown();
  ExpectNothingHeld();

  Fresh(kOutlook2000);
  Returning(L"0");
  host_->Startup();
  ExpectNothingHeld();
  ExplorerObj* explorer = host_->OpenExplorer(host_->Contacts());
  EXPECT_EQ(Host::FindButton(explorer->bars, kCaption), nullptr);
  host_->Shutdown();
  ExpectNothingHeld();
}

}  // namespace
}  // namespace vx::e2e
