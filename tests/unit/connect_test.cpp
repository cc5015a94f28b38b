// Connect: the connection lifecycle as Outlook drives it.
#include <gtest/gtest.h>

#include "tests/unit/addin_harness.h"

namespace vx::test {
namespace {

const std::vector<Text> kDefaults(std::begin(kDefaultTemplate), std::end(kDefaultTemplate));
constexpr TextView kConnectionSuffix = u" in Funktion 'AddinInstance_OnConnection' von Designer 'Connect'";

class ConnectTest : public ::testing::Test, public AddinHarness {};

TEST_F(ConnectTest, WithoutAnyWindowNothingIsWiredWrittenPublishedOrShown) {
  Connected();
  EXPECT_EQ(connect.working(), nullptr);
  EXPECT_EQ(outlook.References(), 0);
  EXPECT_EQ(outlook.Subscriptions(), 0);
  EXPECT_EQ(store.saves, 0);
  EXPECT_EQ(entry.object(), nullptr);
  EXPECT_TRUE(splash.owners.empty());
  EXPECT_FALSE(module.AdressFormatLines);
  EXPECT_TRUE(boxes.shown.empty());

  // Windows opened later get nothing, and disconnecting changes nothing.
  fake::FakeInspector& window = outlook.OpenInspector(Contact(u"Anna Berg", u""));
  EXPECT_TRUE(window.Standard().buttons().empty());
  EXPECT_TRUE(outlook.OpenFolderProperties(contacts).added().empty());
  connect.AddinInstance_OnDisconnection();
  EXPECT_EQ(outlook.References(), 0);
}

TEST_F(ConnectTest, WindowCountsThatCannotBeReadCountAsNoWindow) {
  outlook.OpenInspector(Contact(u"Anna Berg", u""));
  outlook.FailOn("Explorers.Count", 440);
  Connected();
  EXPECT_NE(connect.working(), nullptr) << "the inspector still counts";
  EXPECT_EQ(entry.object(), self);

  AddinHarness h;
  h.outlook.OpenInspector(Contact(u"Anna Berg", u""));
  h.outlook.FailOn("Explorers.Count", 440);
  h.outlook.FailOn("Inspectors.Count", 440);
  h.Connected();
  EXPECT_EQ(h.connect.working(), nullptr);
  EXPECT_EQ(h.entry.object(), nullptr);
  EXPECT_EQ(h.outlook.References(), 0);
  EXPECT_TRUE(h.boxes.shown.empty());
}

TEST_F(ConnectTest, FirstStartWritesTheDefaultsShowsTheSplashAndLoadsThem) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  Connected();
  EXPECT_EQ(entry.object(), self);
  EXPECT_EQ(store.Value(u"Startup", u"FirstRun"), u"0");
  ASSERT_EQ(store.Section(u"AdressFormat").size(), 3u);
  EXPECT_EQ(store.Section(u"AdressFormat")[0].value, u"<FullName>");
  EXPECT_EQ(splash.owners, std::vector<intptr_t>{explorer.window()}) << "owned by the folder window";
  EXPECT_EQ(splash.startups, 1);
  EXPECT_EQ(module.AdressFormatLines, kDefaults);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ConnectTest, StepsRunInOrderPublishDefaultsSplashTemplate) {
  store.Put(u"Startup", u"FirstRun", u"0");
  store.Put(u"AdressFormat", u"Line1", u"<FullName>");
  outlook.OpenExplorer(contacts);
  bool publishedBeforeSplash = false;
  bool templateBeforeSplash = true;
  splash.onShow = [&] {
    publishedBeforeSplash = entry.object() == self;
    templateBeforeSplash = module.AdressFormatLines.has_value();
  };
  Connected();
  EXPECT_TRUE(publishedBeforeSplash);
  EXPECT_FALSE(templateBeforeSplash);
  EXPECT_EQ(store.saves, 0) << "FirstRun 0 writes no defaults";
  EXPECT_EQ(module.AdressFormatLines, std::vector<Text>{u"<FullName>"});
}

TEST_F(ConnectTest, OnlyAStoredOneShowsTheSplash) {
  for (TextView value : {u"0", u"2", u"1"}) {
    AddinHarness h;
    h.Seasoned();
    h.store.Put(u"Startup", u"ShowSplash", value);
    h.outlook.OpenExplorer(h.contacts);
    h.Connected();
    EXPECT_EQ(h.splash.owners.size(), value == u"1" ? 1u : 0u) << ToUtf8(value);
    EXPECT_TRUE(h.boxes.shown.empty());
  }
}

TEST_F(ConnectTest, AFirstRunThatIsNoNumberEndsTheConnectionWithOneReport) {
  store.Put(u"Startup", u"FirstRun", u"ja");
  outlook.OpenExplorer(contacts);
  Connected();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].prompt, u"13: Typen unverträglich\r\n\r\n" + Text(kConnectionSuffix));
  EXPECT_EQ(boxes.shown[0].style, 16);
  EXPECT_EQ(boxes.shown[0].title, u"AddinInstance_OnConnection");
  EXPECT_TRUE(splash.owners.empty());
  EXPECT_FALSE(module.AdressFormatLines);
  EXPECT_EQ(entry.object(), self) << "published before the reading failed";
}

TEST_F(ConnectTest, ASplashFailureIsReportedThereAndTheTemplateStillLoads) {
  Seasoned();
  outlook.OpenExplorer(contacts);
  store.Put(u"Startup", u"ShowSplash", u"nein");
  Connected();
  store.Put(u"Startup", u"ShowSplash", u"1");
  splash.failShow = 7;
  connect.AddinInstance_OnDisconnection();
  Connected();
  ASSERT_EQ(boxes.shown.size(), 2u);
  for (const auto& box : boxes.shown) EXPECT_EQ(box.title, u"ShowSplash");
  EXPECT_EQ(boxes.shown[0].prompt,
            Prompt(13, u" in Funktion 'ShowSplash' von Designer 'Connect'"));
  EXPECT_EQ(boxes.shown[1].prompt, Prompt(7, u" in Funktion 'ShowSplash' von Designer 'Connect'"));
  EXPECT_EQ(module.AdressFormatLines, kDefaults);
}

TEST_F(ConnectTest, AFailingInitialiserIsSilentAndTheConnectionGoesOn) {
  Seasoned();
  outlook.OpenExplorer(contacts);
  outlook.FailOn("Inspectors.Advise", 440);
  Connected();
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(entry.object(), self);
  EXPECT_EQ(module.AdressFormatLines, kDefaults);
  // The steps after the failure never ran: no explorer button, and contact
  // windows get none either.
  EXPECT_TRUE(outlook.activeExplorer()->Standard().buttons().empty());
  fake::FakeInspector& window = outlook.OpenInspector(Contact(u"Anna Berg", u""));
  EXPECT_TRUE(window.Standard().buttons().empty());
  connect.AddinInstance_OnDisconnection();
  EXPECT_EQ(outlook.References(), 0);
  EXPECT_EQ(outlook.Subscriptions(), 0);
}

TEST_F(ConnectTest, WithoutItsComAddInEntryTheButtonsExistButClicksFailUntilReReadSettings) {
  Seasoned();
  fake::FakeOutlook bare;  // no "Vellorian.Connect" entry
  fake::FakeFolder& folder = bare.AddFolder(u"Kontakte", ol::kItemTypeContact);
  fake::FakeExplorer& explorer = bare.OpenExplorer(folder);
  connect.AddinInstance_OnConnection(bare.Application(), self);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].title, u"AddinInstance_OnConnection");
  EXPECT_EQ(boxes.shown[0].prompt, Prompt(5, kConnectionSuffix));
  EXPECT_FALSE(module.AdressFormatLines);

  auto buttons = explorer.Standard().Captioned(u"&Zwischenablage");
  ASSERT_EQ(buttons.size(), 1u);
  bare.Select(explorer, {Mail()});
  buttons[0]->Click();
  EXPECT_EQ(boxes.shown.size(), 1u) << "no contact, nothing to build";
  bare.Select(explorer, {Contact(u"Anna Berg", u"Hauptstr. 1")});
  buttons[0]->Click();
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[1].prompt,
            Prompt(9, u" in procedure myOLExpButton_Click of Klassenmodul Klasse1"));
  EXPECT_EQ(HandOvers(), 0);

  connect.ReReadSettings();
  buttons[0]->Click();
  EXPECT_EQ(Copied(), u"Anna Berg\r\nHauptstr. 1");
  EXPECT_EQ(HandOvers(), 1);
  connect.AddinInstance_OnDisconnection();
  EXPECT_EQ(bare.References(), 0);
}

TEST_F(ConnectTest, AnEntryTheCollectionDoesNotListTakesTheObjectAndTheStartGoesOn) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  entry.Unlist();  // an add-in for every user of the machine
  Connected();
  EXPECT_EQ(entry.object(), self);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(store.Value(u"Startup", u"FirstRun"), u"0");
  EXPECT_EQ(splash.owners, std::vector<intptr_t>{explorer.window()});
  EXPECT_EQ(module.AdressFormatLines, kDefaults);
  outlook.Select(explorer, {Contact(u"Anna Berg", u"Hauptstr. 1")});
  explorer.Standard().Captioned(u"&Zwischenablage")[0]->Click();
  EXPECT_EQ(Copied(), u"Anna Berg\r\nHauptstr. 1");

  // Any other failure of the collection is reported as before.
  AddinHarness h;
  h.outlook.OpenExplorer(h.contacts);
  h.outlook.FailOn("COMAddIns.Item", 440);
  h.Connected();
  ASSERT_EQ(h.boxes.shown.size(), 1u);
  EXPECT_EQ(h.boxes.shown[0].prompt, Prompt(440, kConnectionSuffix));
  EXPECT_EQ(h.entry.object(), nullptr);
  connect.AddinInstance_OnDisconnection();
  h.connect.AddinInstance_OnDisconnection();
  EXPECT_EQ(outlook.References(), 0);
}

TEST_F(ConnectTest, DisconnectionTakesThePublishedObjectBackSkippingFailures) {
  Seasoned();
  outlook.OpenExplorer(contacts);
  Connected();
  ASSERT_EQ(entry.object(), self);
  connect.AddinInstance_OnDisconnection();
  EXPECT_EQ(entry.object(), nullptr);
  EXPECT_EQ(outlook.References(), 0);

  AddinHarness h;
  h.Seasoned();
  h.outlook.OpenExplorer(h.contacts);
  h.Connected();
  h.outlook.FailOn("COMAddIn.SetObject", 440);
  h.connect.AddinInstance_OnDisconnection();
  EXPECT_EQ(h.entry.object(), h.self);
  EXPECT_EQ(h.outlook.References(), 0);
  EXPECT_EQ(h.outlook.Subscriptions(), 0);
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_TRUE(h.boxes.shown.empty());
}

TEST_F(ConnectTest, ReReadSettingsReplacesTheTemplateAsAWholeEachTime) {
  Seasoned();
  outlook.OpenExplorer(contacts);
  Connected();
  store.DeleteSetting(u"Brisanto", u"AdressFormat");
  store.Put(u"AdressFormat", u"Line1", u"<FullName>");
  connect.ReReadSettings();
  EXPECT_EQ(module.AdressFormatLines, std::vector<Text>{u"<FullName>"});
  store.Put(u"AdressFormat", u"Line2", u"Deutschland");
  connect.ReReadSettings();
  EXPECT_EQ(module.AdressFormatLines, (std::vector<Text>{u"<FullName>", u"Deutschland"}));
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ConnectTest, DisconnectionReleasesEveryReferenceAndSubscription) {
  Seasoned();
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  Connected();
  outlook.OpenInspector(Contact(u"Anna Berg", u""));
  outlook.SwitchFolder(explorer, inbox);
  outlook.OpenFolderProperties(contacts);
  outlook.Select(explorer, {Contact(u"Carl Dorn", u"")});
  explorer.Standard().Captioned(u"&Zwischenablage")[0]->Click();
  EXPECT_GT(outlook.References(), 0);
  EXPECT_GT(outlook.Subscriptions(), 0);

  connect.AddinInstance_OnDisconnection();
  EXPECT_EQ(outlook.References(), 0);
  EXPECT_EQ(outlook.Subscriptions(), 0);
  EXPECT_EQ(module.gobjOutlook, nullptr);
  EXPECT_EQ(connect.working(), nullptr);
  // The buttons stay (Outlook discards them) but nothing answers any more.
  outlook.SwitchFolder(explorer, contacts);
  explorer.Standard().Captioned(u"&Zwischenablage")[0]->Click();
  EXPECT_EQ(HandOvers(), 1);
  EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
}  // namespace vx::test
