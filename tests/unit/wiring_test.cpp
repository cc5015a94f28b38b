// clsVellox: buttons on folder and contact windows, clicks, the options page
// and the release of Outlook's objects, driven through Outlook's events.
#include <gtest/gtest.h>

#include "tests/unit/addin_harness.h"

namespace vx::test {
namespace {

constexpr TextView kCaption = u"&Zwischenablage";

class WiringTest : public ::testing::Test, public AddinHarness {
 protected:
  void SetUp() override { Seasoned(); }
  static std::vector<fake::FakeButton*> Ours(fake::FakeCommandBar& bar) {
    return bar.Captioned(Text(kCaption));
  }
  // Outlook's last window has closed: the add-in holds nothing, and its
  // later disconnection changes nothing.
  void ExpectEverythingGivenBack() {
    EXPECT_EQ(outlook.References(), 0);
    EXPECT_EQ(outlook.Subscriptions(), 0);
    EXPECT_EQ(module.gobjOutlook, nullptr);
    connect.AddinInstance_OnDisconnection();
    EXPECT_EQ(outlook.References(), 0);
    EXPECT_TRUE(boxes.shown.empty());
  }
};

// ---- the folder window's button ----

TEST_F(WiringTest, OneExplorerButtonShownInContactFoldersOnlyAndNeverAddedTwice) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  Connected();
  auto buttons = Ours(explorer.Standard());
  ASSERT_EQ(buttons.size(), 1u);
  fake::FakeButton& button = *buttons[0];
  EXPECT_EQ(button.type(), 1);
  EXPECT_TRUE(button.temporary());
  EXPECT_EQ(button.tooltip(), u"Adresse in die Zwischenablage kopieren");
  EXPECT_TRUE(button.visible());
  EXPECT_EQ(button.subscriptions(), 1);

  outlook.SwitchFolder(explorer, inbox);
  EXPECT_FALSE(button.visible());
  outlook.SwitchFolder(explorer, contacts);
  EXPECT_TRUE(button.visible());
  EXPECT_EQ(explorer.Standard().buttons().size(), 1u);
  EXPECT_EQ(button.subscriptions(), 1);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(WiringTest, AButtonRemovedByTheUserComesBackAtTheNextSwitch) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  explorer.Standard().Put(1, 2521, u"&Drucken");
  Connected();
  fake::FakeButton& removed = *Ours(explorer.Standard())[0];
  explorer.Standard().Remove(removed);
  outlook.SwitchFolder(explorer, contacts);
  auto buttons = Ours(explorer.Standard());
  ASSERT_EQ(buttons.size(), 1u);
  EXPECT_NE(buttons[0], &removed);
  EXPECT_EQ(explorer.Standard().buttons().back().get(), buttons[0]) << "added at the end";
  EXPECT_TRUE(buttons[0]->visible());
  EXPECT_EQ(buttons[0]->subscriptions(), 1);
  EXPECT_EQ(removed.subscriptions(), 0);
  EXPECT_EQ(outlook.ReferencesTo(removed), 0);
}

TEST_F(WiringTest, AnotherAddInsCustomButtonBeforeOursIsNeverTakenForIt) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  // Office gives every custom control the same Id.
  fake::FakeButton& theirs = explorer.Standard().Put(1, fake::FakeCommandBar::kCustomId, u"Als PDF");
  Connected();
  fake::FakeButton& ours = *Ours(explorer.Standard())[0];
  for (fake::FakeFolder* folder : {&inbox, &contacts, &inbox}) outlook.SwitchFolder(explorer, *folder);
  EXPECT_FALSE(ours.visible());
  EXPECT_EQ(ours.subscriptions(), 1);
  EXPECT_TRUE(theirs.visible());
  EXPECT_EQ(theirs.subscriptions(), 0);
  EXPECT_EQ(Ours(explorer.Standard()).size(), 1u);
}

TEST_F(WiringTest, ALookupFailureOtherThanNoSuchCaptionKeepsTheButton) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  Connected();
  fake::FakeButton& button = *Ours(explorer.Standard())[0];
  outlook.FailOn("CommandBarControls.Item", 440);
  outlook.SwitchFolder(explorer, inbox);
  EXPECT_EQ(explorer.Standard().buttons().size(), 1u);
  EXPECT_FALSE(button.visible());
  EXPECT_EQ(button.subscriptions(), 1);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(WiringTest, AContactWindowWithoutExplorerReportsTheMissingExplorer) {
  fake::FakeInspector& early = outlook.OpenInspector(Contact(u"Anna Berg", u""));
  Connected();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].prompt,
            u"91: Objektvariable oder With-Blockvariable nicht festgelegt\r\n\r\n"
            u" in procedure myOlExp_FolderSwitch of Klassenmodul Klasse1");
  EXPECT_EQ(boxes.shown[0].style, 0);
  EXPECT_EQ(boxes.shown[0].title, u"Vellox");
  EXPECT_TRUE(early.Standard().buttons().empty()) << "already open when connecting";
  EXPECT_EQ(entry.object(), self);
  fake::FakeInspector& later = outlook.OpenInspector(Contact(u"Carl Dorn", u""));
  EXPECT_EQ(Ours(later.Standard()).size(), 1u);
}

// ---- contact windows ----

TEST_F(WiringTest, EachNewContactWindowGetsAButtonAndTheNewestIsTheOneHeld) {
  outlook.OpenExplorer(contacts);
  Connected();
  fake::FakeInspector& first = outlook.OpenInspector(Contact(u"Anna Berg", u""));
  fake::FakeInspector& mail = outlook.OpenInspector(Mail());
  fake::FakeInspector& list = outlook.OpenInspector(DistList());
  fake::FakeInspector& second = outlook.OpenInspector(Contact(u"Carl Dorn", u""));
  EXPECT_TRUE(mail.Standard().buttons().empty());
  EXPECT_TRUE(list.Standard().buttons().empty());
  ASSERT_EQ(Ours(first.Standard()).size(), 1u);
  ASSERT_EQ(Ours(second.Standard()).size(), 1u);
  fake::FakeButton& old = *Ours(first.Standard())[0];
  fake::FakeButton& held = *Ours(second.Standard())[0];
  EXPECT_TRUE(held.visible());
  EXPECT_TRUE(held.temporary());
  EXPECT_EQ(held.tooltip(), u"Adresse in die Zwischenablage kopieren");
  EXPECT_EQ(held.subscriptions(), 1);
  EXPECT_EQ(old.subscriptions(), 0);
  EXPECT_EQ(outlook.ReferencesTo(old), 0);

  held.Click();
  EXPECT_EQ(Copied(), u"Carl Dorn");
  EXPECT_EQ(HandOvers(), 1);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(WiringTest, ANewContactWindowThatFailsIsReportedByTheHandler) {
  outlook.OpenExplorer(contacts);
  Connected();
  outlook.FailOn("Inspector.CommandBars", 440);
  outlook.OpenInspector(Contact(u"Anna Berg", u""));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].prompt,
            Prompt(440, u" in Funktion 'myOLInsp_NewInspector' von Klassenmodul 'clsVellox'"));
  EXPECT_EQ(boxes.shown[0].style, 16);
  EXPECT_EQ(boxes.shown[0].title, u"myOLInsp_NewInspector");
}

TEST_F(WiringTest, TheContactWindowButtonCopiesTheFrontWindowsContactOnly) {
  outlook.OpenExplorer(contacts);
  Connected();
  fake::FakeInspector& window = outlook.OpenInspector(Contact(u"Anna Berg", u"Hauptstr. 1\r\n12345 Ort"));
  fake::FakeButton& button = *Ours(window.Standard())[0];
  button.Click();
  EXPECT_EQ(Copied(), u"Anna Berg\r\nHauptstr. 1\r\n12345 Ort");
  EXPECT_EQ(HandOvers(), 1);

  fake::FakeInspector& mail = outlook.OpenInspector(Mail());
  button.Click();  // the front window shows a mail
  EXPECT_EQ(HandOvers(), 1);
  EXPECT_TRUE(boxes.shown.empty());

  outlook.CloseInspector(mail);
  outlook.FailOn("Application.ActiveInspector", 91);
  button.Click();  // no window in front
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].prompt,
            Prompt(91, u" in procedure myOLInspButton_Click of VBA Dokument DieseOutlookSitzung"));
  EXPECT_EQ(boxes.shown[0].title, u"Vellox");
  outlook.Heal("Application.ActiveInspector");

  outlook.CloseInspector(window);
  EXPECT_EQ(button.subscriptions(), 0) << "let go of with its window";
  EXPECT_EQ(outlook.ReferencesTo(button), 0);
}

// ---- the folder window's click ----

TEST_F(WiringTest, TheSelectionsContactsAreCopiedInOrderAsBlocks) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  Connected();
  fake::FakeButton& button = *Ours(explorer.Standard())[0];
  outlook.Select(explorer, {Contact(u"Anna Berg", u"Hauptstr. 1"), Mail(),
                            Contact(u"Carl Dorn", u"Ring 2"), DistList()});
  button.Click();
  EXPECT_EQ(Copied(), u"Anna Berg\r\nHauptstr. 1\r\n\r\nCarl Dorn\r\nRing 2");
  EXPECT_EQ(HandOvers(), 1);

  for (auto selection : std::vector<std::vector<std::shared_ptr<ol::Item>>>{
           {}, {Mail(), DistList()}, {Contact(u"", u"")}}) {
    outlook.Select(explorer, selection);
    button.Click();
  }
  EXPECT_EQ(HandOvers(), 1) << "nothing more to copy";
  EXPECT_TRUE(boxes.shown.empty());

  outlook.FailOn("Explorer.Selection", 440);
  button.Click();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].prompt,
            Prompt(440, u" in procedure myOLExpButton_Click of Klassenmodul Klasse1"));
}

// ---- the options page ----

TEST_F(WiringTest, ContactFoldersGetTheOptionsPageOthersNone) {
  outlook.OpenExplorer(contacts);
  Connected();
  auto& forContacts = outlook.OpenFolderProperties(contacts);
  ASSERT_EQ(forContacts.added().size(), 1u);
  EXPECT_EQ(forContacts.added()[0].page, u"Vellox.ctlVellox");
  EXPECT_EQ(forContacts.added()[0].title, u"Adresse kopieren");
  EXPECT_TRUE(outlook.OpenFolderProperties(inbox).added().empty());

  outlook.FailOn("Folder.DefaultItemType", 440);
  EXPECT_TRUE(outlook.OpenFolderProperties(contacts).added().empty());
  EXPECT_TRUE(boxes.shown.empty());
}

// ---- closing folder windows ----

TEST_F(WiringTest, ClosingAnExplorerTracksTheNextOneWhichGetsItsButtonAtItsSwitch) {
  fake::FakeExplorer& older = outlook.OpenExplorer(inbox);
  fake::FakeExplorer& front = outlook.OpenExplorer(contacts);
  Connected();
  outlook.CloseExplorer(front);
  EXPECT_EQ(front.subscriptions(), 0);
  EXPECT_EQ(older.subscriptions(), 1);
  EXPECT_TRUE(older.Standard().buttons().empty());
  outlook.SwitchFolder(older, contacts);
  ASSERT_EQ(Ours(older.Standard()).size(), 1u);
  EXPECT_TRUE(Ours(older.Standard())[0]->visible());
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(WiringTest, ClosingTheLastExplorerKeepsTheWiringWhileAContactWindowIsOpen) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  Connected();
  fake::FakeInspector& window = outlook.OpenInspector(Contact(u"Anna Berg", u""));
  outlook.CloseExplorer(explorer);
  EXPECT_EQ(explorer.subscriptions(), 0);
  EXPECT_EQ(outlook.inspectors().subscriptions(), 1);
  Ours(window.Standard())[0]->Click();
  EXPECT_EQ(Copied(), u"Anna Berg");
  EXPECT_EQ(HandOvers(), 1);
  connect.AddinInstance_OnDisconnection();
  EXPECT_EQ(outlook.References(), 0);
  EXPECT_EQ(outlook.Subscriptions(), 0);
}

TEST_F(WiringTest, ClosingTheLastWindowReleasesEverythingAndDisconnectionChangesNothing) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  Connected();
  outlook.CloseExplorer(explorer);
  ExpectEverythingGivenBack();
}

// ---- closing contact windows ----

TEST_F(WiringTest, ClosingTheLastContactWindowAfterTheLastExplorerReleasesEverything) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  Connected();
  fake::FakeInspector& window = outlook.OpenInspector(Contact(u"Anna Berg", u""));
  outlook.CloseExplorer(explorer);
  EXPECT_EQ(window.subscriptions(), 1);
  outlook.CloseInspector(window);  // still among the inspectors while it closes
  ExpectEverythingGivenBack();
}

TEST_F(WiringTest, AContactWindowClosingBesideOtherWindowsLetsGoOfItsBarAndButtonOnly) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  Connected();
  fake::FakeInspector& first = outlook.OpenInspector(Contact(u"Anna Berg", u""));
  outlook.SwitchFolder(explorer, contacts);  // the explorer's bar is the one looked up last
  outlook.CloseInspector(first);
  EXPECT_EQ(first.subscriptions(), 0);
  EXPECT_EQ(outlook.ReferencesTo(explorer.Standard()), 1) << "not the closing window's bar";
  EXPECT_EQ(Ours(explorer.Standard())[0]->subscriptions(), 1);

  // No explorer left, but a mail window stays open.
  fake::FakeInspector& mail = outlook.OpenInspector(Mail());
  fake::FakeInspector& second = outlook.OpenInspector(Contact(u"Carl Dorn", u""));
  fake::FakeButton& button = *Ours(second.Standard())[0];
  outlook.CloseExplorer(explorer);
  outlook.CloseInspector(second);
  EXPECT_EQ(button.subscriptions(), 0);
  EXPECT_EQ(outlook.ReferencesTo(button), 0);
  EXPECT_EQ(outlook.ReferencesTo(second.Standard()), 0);
  EXPECT_EQ(outlook.ReferencesTo(second), 0);
  EXPECT_EQ(outlook.inspectors().subscriptions(), 1);
  ASSERT_NE(module.gobjOutlook, nullptr);

  fake::FakeInspector& third = outlook.OpenInspector(Contact(u"Eva Frei", u""));
  Ours(third.Standard())[0]->Click();
  EXPECT_EQ(Copied(), u"Eva Frei");
  EXPECT_TRUE(boxes.shown.empty());

  // The last window is the mail window, not a contact window: its closing
  // is heard too.
  outlook.CloseInspector(third);
  ASSERT_NE(module.gobjOutlook, nullptr);
  outlook.CloseInspector(mail);
  ExpectEverythingGivenBack();
}

TEST_F(WiringTest, TheLastExplorerClosingBesideAWindowWithoutButtonWatchesThatWindow) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  Connected();
  fake::FakeInspector& mail = outlook.OpenInspector(Mail());
  outlook.CloseExplorer(explorer);
  ASSERT_NE(module.gobjOutlook, nullptr);
  outlook.CloseInspector(mail);
  ExpectEverythingGivenBack();
}

// ---- Outlook's last window, whatever came before ----

TEST_F(WiringTest, StartedWithAWindowButNoExplorerTheLastWindowsCloseGivesEverythingBack) {
  // A contact window open before the connection, closing alone.
  fake::FakeInspector& early = outlook.OpenInspector(Contact(u"Anna Berg", u""));
  Connected();
  ASSERT_EQ(boxes.shown.size(), 1u) << "the missing explorer is reported";
  boxes.shown.clear();
  outlook.CloseInspector(early);
  ExpectEverythingGivenBack();

  // A mail window open before, then other windows: the last to close is heard.
  AddinHarness h;
  h.Seasoned();
  fake::FakeInspector& mail = h.outlook.OpenInspector(Mail());
  h.Connected();
  fake::FakeInspector& list = h.outlook.OpenInspector(DistList());
  fake::FakeInspector& contact = h.outlook.OpenInspector(Contact(u"Carl Dorn", u""));
  Ours(contact.Standard())[0]->Click();
  EXPECT_EQ(h.Copied(), u"Carl Dorn");
  h.outlook.CloseInspector(mail);
  h.outlook.CloseInspector(contact);
  ASSERT_NE(h.module.gobjOutlook, nullptr);
  h.outlook.CloseInspector(list);
  EXPECT_EQ(h.outlook.References(), 0);
  EXPECT_EQ(h.outlook.Subscriptions(), 0);
  EXPECT_EQ(h.module.gobjOutlook, nullptr);
}

TEST_F(WiringTest, AnExplorerOpenedWhileNoneIsTrackedIsTrackedAndClosingInEitherOrderGivesBack) {
  for (bool startedWithExplorer : {true, false}) {
    for (bool contactWindowFirst : {true, false}) {
      SCOPED_TRACE(testing::Message() << "started with explorer " << startedWithExplorer
                                      << ", contact window closed first " << contactWindowFirst);
      AddinHarness h;
      h.Seasoned();
      fake::FakeExplorer* first = startedWithExplorer ? &h.outlook.OpenExplorer(h.contacts) : nullptr;
      fake::FakeInspector* window = nullptr;
      if (startedWithExplorer) {
        h.Connected();
        window = &h.outlook.OpenInspector(Contact(u"Anna Berg", u""));
        h.outlook.CloseExplorer(*first);
      } else {
        window = &h.outlook.OpenInspector(Contact(u"Anna Berg", u""));
        h.Connected();
        h.boxes.shown.clear();  // the missing explorer
      }
      fake::FakeExplorer& second = h.outlook.OpenExplorer(h.inbox);
      EXPECT_EQ(second.subscriptions(), 1);
      h.outlook.SwitchFolder(second, h.contacts);
      auto buttons = Ours(second.Standard());
      ASSERT_EQ(buttons.size(), 1u);
      h.outlook.Select(second, {Contact(u"Carl Dorn", u"")});
      buttons[0]->Click();
      EXPECT_EQ(h.Copied(), u"Carl Dorn");
      if (startedWithExplorer) {
        Ours(window->Standard())[0]->Click();
        EXPECT_EQ(h.Copied(), u"Anna Berg");
      }
      if (contactWindowFirst) {
        h.outlook.CloseInspector(*window);
        ASSERT_NE(h.module.gobjOutlook, nullptr);
        h.outlook.CloseExplorer(second);
      } else {
        h.outlook.CloseExplorer(second);
        ASSERT_NE(h.module.gobjOutlook, nullptr);
        h.outlook.CloseInspector(*window);
      }
      EXPECT_EQ(h.outlook.References(), 0);
      EXPECT_EQ(h.outlook.Subscriptions(), 0);
      EXPECT_EQ(h.module.gobjOutlook, nullptr);
      EXPECT_TRUE(h.boxes.shown.empty());
    }
  }
}

// ---- the add-in's end while a handler runs ----

TEST_F(WiringTest, DisconnectedWhileAClicksReportIsUpTheHandlerEndsSafelyAndCopiesNothing) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  Connected();
  auto broken = fake::MakeContact(u"Anna Berg", u"", u"");
  broken->Fail(u"FullName", 440);
  outlook.Select(explorer, {broken, Contact(u"Carl Dorn", u"")});
  boxes.onShow = [&] {
    boxes.onShow = nullptr;
    connect.AddinInstance_OnDisconnection();  // from the explorer's add-in dialog
  };
  Ours(explorer.Standard())[0]->Click();
  EXPECT_EQ(boxes.shown.size(), 1u) << "nothing more is reported";
  EXPECT_EQ(HandOvers(), 0);
  EXPECT_EQ(connect.working(), nullptr);
  EXPECT_EQ(outlook.References(), 0);
  EXPECT_EQ(outlook.Subscriptions(), 0);
}

TEST_F(WiringTest, AConnectEndedWithoutDisconnectionLeavesNoApplicationReference) {
  {
    Connect unannounced(module, steps);
    fake::FakeInspector& window = outlook.OpenInspector(Contact(u"Anna Berg", u""));
    unannounced.AddinInstance_OnConnection(outlook.Application(), self, outlook.AddInInst(entry));
    ASSERT_NE(module.gobjOutlook, nullptr);
    (void)window;
  }
  EXPECT_EQ(module.gobjOutlook, nullptr);
  EXPECT_EQ(outlook.References(), 0);
  EXPECT_EQ(outlook.Subscriptions(), 0);
}

}  // namespace
}  // namespace vx::test
