// The Outlooks with a ribbon: which faces a Version gets, the buttons that
// stay away, the XML asked for per ribbon, and what a ribbon click copies.
#include <gtest/gtest.h>

#include "addin/CustomUI.h"
#include "addin/OutlookVersion.h"
#include "tests/unit/addin_harness.h"

namespace vx::test {
namespace {

constexpr TextView kCaption = u"&Zwischenablage";

TEST(OutlookVersion, TheMajorIsTheIntegerBeforeTheFirstPointAndAnythingOddIsNine) {
  struct Case {
    TextView version;
    int32_t major;
  };
  for (const Case& c : std::initializer_list<Case>{{u"9.0.0.2711", 9},
                                                   {u"10.0.0.2627", 10},
                                                   {u"11.5", 11},
                                                   {u"12", 12},
                                                   {u"12.0.0.6423", 12},
                                                   {u"14.0.0.4760", 14},
                                                   {u"16.0.0.0", 16},
                                                   {u" 16.0", 16},
                                                   {u"16 .0", 16},
                                                   {u"", 9},
                                                   {u".0", 9},
                                                   {u"x.0", 9},
                                                   {u"1x.0", 9},
                                                   {u"-1.0", 9},
                                                   {u"+14.0", 9},
                                                   {u"99999999999.0", 9},
                                                   {u"2147483647.0", 2147483647},
                                                   {u"2147483648.0", 9}}) {
    EXPECT_EQ(MajorVersion(c.version), c.major) << ToUtf8(c.version);
  }
}

class RibbonTest : public ::testing::Test, public AddinHarness {
 protected:
  void SetUp() override { Seasoned(); }
  std::vector<fake::FakeButton*> Ours(fake::FakeCommandBar& bar) { return bar.Captioned(Text(kCaption)); }
  // Which ribbons get XML, as "E" (explorer) and "C" (contact window).
  std::string Ribbons() {
    std::string which;
    if (!connect.GetCustomUI(kExplorerRibbon).empty()) which += "E";
    if (!connect.GetCustomUI(kContactRibbon).empty()) which += "C";
    for (TextView other : {u"Microsoft.Outlook.Mail.Read", u"", u"microsoft.outlook.explorer"}) {
      EXPECT_TRUE(connect.GetCustomUI(other).empty()) << ToUtf8(other);
    }
    return which;
  }
};

// Per version: the buttons on the folder window and a contact window, the
// ribbons answered, and the event wiring as ever (folder switches tracked,
// contact windows heard, the options page added, everything given back).
TEST_F(RibbonTest, EachVersionGetsItsFacesAndTheSameWiring) {
  struct Case {
    std::optional<Text> version;  // none: the read fails
    size_t explorerButtons, inspectorButtons;
    std::string ribbons;
  };
  for (const Case& c : std::initializer_list<Case>{{u"9.0.0.2711", 1, 1, ""},
                                                   {u"11.0.0.8312", 1, 1, ""},
                                                   {std::nullopt, 1, 1, ""},
                                                   {u"12.0.0.6423", 1, 0, "C"},
                                                   {u"14.0.0.4760", 0, 0, "EC"},
                                                   {u"16.0.0.0", 0, 0, "EC"}}) {
    SCOPED_TRACE(c.version ? ToUtf8(*c.version) : "Version fails");
    AddinHarness h;
    h.Seasoned();
    if (c.version) {
      h.outlook.version = *c.version;
    } else {
      h.outlook.FailOn("Application.Version", 438);
    }
    fake::FakeExplorer& explorer = h.outlook.OpenExplorer(h.inbox);
    EXPECT_TRUE(h.connect.GetCustomUI(kContactRibbon).empty()) << "not connected yet";
    h.Connected();
    h.outlook.SwitchFolder(explorer, h.contacts);
    fake::FakeInspector& window = h.outlook.OpenInspector(Contact(u"Anna Berg", u""));
    EXPECT_EQ(explorer.Standard().Captioned(Text(kCaption)).size(), c.explorerButtons);
    EXPECT_EQ(window.Standard().Captioned(Text(kCaption)).size(), c.inspectorButtons);
    EXPECT_EQ(explorer.Standard().buttons().size(), c.explorerButtons) << "no other control either";
    EXPECT_EQ(window.Standard().buttons().size(), c.inspectorButtons);
    std::string which;
    if (!h.connect.GetCustomUI(kExplorerRibbon).empty()) which += "E";
    if (!h.connect.GetCustomUI(kContactRibbon).empty()) which += "C";
    EXPECT_EQ(which, c.ribbons);
    EXPECT_EQ(explorer.subscriptions(), 1);
    EXPECT_EQ(window.subscriptions(), 1) << "the contact window is watched for its Close";
    EXPECT_EQ(h.outlook.OpenFolderProperties(h.contacts).added().size(), 1u);
    EXPECT_TRUE(h.boxes.shown.empty());

    // Outlook's last window closes: below 2010 everything is given back
    // then, from 2010 on (which ends whatever an add-in holds) only at the
    // disconnection.
    h.outlook.CloseExplorer(explorer);
    h.outlook.CloseInspector(window);
    const bool kept = c.ribbons.find('E') != std::string::npos;
    EXPECT_EQ(h.outlook.References() > 0, kept);
    EXPECT_EQ(h.outlook.Subscriptions() > 0, kept);
    h.connect.AddinInstance_OnDisconnection();
    EXPECT_EQ(h.outlook.References(), 0);
    EXPECT_EQ(h.outlook.Subscriptions(), 0);
  }
}

TEST_F(RibbonTest, AContactWindowWithoutExplorerGetsNoFolderSwitchReportFrom14On) {
  // Outlook 2010 started with a contact window only: no folder-switch report,
  // since there is no explorer button to place.
  outlook.version = u"14.0.0.4760";
  outlook.OpenInspector(Contact(u"Anna Berg", u""));
  Connected();
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(Ribbons(), "EC");
}

TEST_F(RibbonTest, TheXmlNamespaceFollowsTheVersion) {
  const Text ns2006 = u"xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\"";
  const Text ns2009 = u"xmlns=\"http://schemas.microsoft.com/office/2009/07/customui\"";
  Text contact12 = CustomUI(FacesOf(12), kContactRibbon);
  Text contact16 = CustomUI(FacesOf(16), kContactRibbon);
  Text explorer14 = CustomUI(FacesOf(14), kExplorerRibbon);
  EXPECT_NE(contact12.find(ns2006), Text::npos);
  EXPECT_NE(contact16.find(ns2009), Text::npos);
  EXPECT_NE(explorer14.find(ns2009), Text::npos);
  EXPECT_NE(explorer14.find(u"<contextMenus>"), Text::npos);
  EXPECT_EQ(contact12.find(u"contextMenu"), Text::npos);
}

// ---- clicks ----

class RibbonClick : public RibbonTest {
 protected:
  void SetUp() override {
    RibbonTest::SetUp();
    outlook.version = u"16.0.0.0";
  }
};

TEST_F(RibbonClick, TheExplorerRibbonCopiesItsWindowsSelectionTheContextMenuItsOwn) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  Connected();
  outlook.Select(explorer, {Contact(u"Anna Berg", u"Hauptstr. 1"), Mail(), Contact(u"Carl Dorn", u"Ring 2")});
  connect.VelloxCopy(outlook.RibbonContext(explorer));
  EXPECT_EQ(Copied(), u"Anna Berg\r\nHauptstr. 1\r\n\r\nCarl Dorn\r\nRing 2");
  EXPECT_EQ(HandOvers(), 1);

  connect.VelloxCopy(outlook.RibbonContext({Mail(), Contact(u"Eva Frei", u"Weg 3")}));
  EXPECT_EQ(Copied(), u"Eva Frei\r\nWeg 3");
  EXPECT_EQ(HandOvers(), 2);
  connect.VelloxCopy(outlook.RibbonContext({Mail(), DistList()}));
  connect.VelloxCopy(outlook.RibbonContext(std::vector<std::shared_ptr<ol::Item>>{}));
  EXPECT_EQ(HandOvers(), 2) << "no contact, nothing copied";
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(RibbonClick, TheContactRibbonCopiesTheContactOfTheWindowClickedNotTheFrontOne) {
  outlook.OpenExplorer(contacts);
  Connected();
  fake::FakeInspector& clicked = outlook.OpenInspector(Contact(u"Anna Berg", u"Hauptstr. 1"));
  outlook.OpenInspector(Contact(u"Carl Dorn", u""));  // now in front
  connect.VelloxCopy(outlook.RibbonContext(clicked));
  EXPECT_EQ(Copied(), u"Anna Berg\r\nHauptstr. 1");
  fake::FakeInspector& mail = outlook.OpenInspector(Mail());
  connect.VelloxCopy(outlook.RibbonContext(mail));
  EXPECT_EQ(HandOvers(), 1);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(RibbonClick, AnyOtherOrNoContextCopiesNothingAndNothingIsHeldAfterAClick) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  Connected();
  outlook.Select(explorer, {Contact(u"Anna Berg", u"")});
  const int held = outlook.References();
  connect.VelloxCopy(nullptr);
  connect.VelloxCopy(outlook.OtherContext(2));    // a folder's context menu
  connect.VelloxCopy(outlook.OtherContext(40));   // an item
  outlook.FailOn("Object.Class", 438);
  connect.VelloxCopy(outlook.RibbonContext(explorer));
  outlook.Heal("Object.Class");
  EXPECT_EQ(HandOvers(), 0);
  EXPECT_TRUE(boxes.shown.empty());
  connect.VelloxCopy(outlook.RibbonContext(explorer));
  EXPECT_EQ(HandOvers(), 1);
  EXPECT_EQ(outlook.References(), held);

  // Not connected: nothing happens.
  connect.AddinInstance_OnDisconnection();
  connect.VelloxCopy(outlook.RibbonContext(explorer));
  EXPECT_EQ(HandOvers(), 1);
  EXPECT_EQ(outlook.References(), 0);
}

TEST_F(RibbonClick, FailuresAreReportedAsByTheMatchingButton) {
  fake::FakeExplorer& explorer = outlook.OpenExplorer(contacts);
  Connected();
  fake::FakeInspector& window = outlook.OpenInspector(Contact(u"Anna Berg", u""));
  outlook.FailOn("Explorer.Selection", 440);
  connect.VelloxCopy(outlook.RibbonContext(explorer));
  outlook.FailOn("Selection.Count", 440);
  connect.VelloxCopy(outlook.RibbonContext({Contact(u"Carl Dorn", u"")}));
  outlook.FailOn("Inspector.CurrentItem", 440);
  connect.VelloxCopy(outlook.RibbonContext(window));
  ASSERT_EQ(boxes.shown.size(), 3u);
  EXPECT_EQ(boxes.shown[0].prompt, Prompt(440, u" in procedure myOLExpButton_Click of Klassenmodul Klasse1"));
  EXPECT_EQ(boxes.shown[1].prompt, Prompt(440, u" in procedure myOLExpButton_Click of Klassenmodul Klasse1"));
  EXPECT_EQ(boxes.shown[2].prompt,
            Prompt(440, u" in procedure myOLInspButton_Click of VBA Dokument DieseOutlookSitzung"));
  for (const auto& box : boxes.shown) {
    EXPECT_EQ(box.style, 0);
    EXPECT_EQ(box.title, u"Vellox");
  }
  EXPECT_EQ(HandOvers(), 0);

  // A template never loaded: failure 9, reported by the click.
  outlook.Heal("Explorer.Selection");
  outlook.Heal("Selection.Count");
  module.AdressFormatLines.reset();
  outlook.Select(explorer, {Contact(u"Anna Berg", u"")});
  connect.VelloxCopy(outlook.RibbonContext(explorer));
  ASSERT_EQ(boxes.shown.size(), 4u);
  EXPECT_EQ(boxes.shown[3].prompt, Prompt(9, u" in procedure myOLExpButton_Click of Klassenmodul Klasse1"));
}

}  // namespace
}  // namespace vx::test
