#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "optionspage/ctlVellox.h"
#include "platform/failure.h"
#include "tests/fakes/memory_store.h"
#include "tests/fakes/page_fakes.h"
#include "tests/fakes/recording_boxes.h"

namespace vx {
namespace {

using Lines = std::vector<Text>;
const Text kSection(layout::kAdressFormat);

// ---- just enough of Outlook to reach the add-in's published object ----

struct FakeConnect : ol::Automation {
  void CallMethod(const Text& name) override {
    calls.push_back(name);
    if (onCall) onCall();
    if (failCall) Raise(failCall);
  }
  Lines calls;
  std::function<void()> onCall;
  int32_t failCall = 0;
};

struct FakeAddIn : ol::COMAddIn {
  std::shared_ptr<ol::Automation> Object() override { return object; }
  void SetObject(const std::shared_ptr<ol::Automation>& o) override { object = o; }
  std::shared_ptr<ol::Automation> object;
};

struct FakeAddIns : ol::COMAddIns {
  std::shared_ptr<ol::COMAddIn> Item(const Text& progId) override {
    auto it = entries.find(progId);
    if (it == entries.end()) Raise(fail::kInvalidArgument);
    return it->second;
  }
  std::map<Text, std::shared_ptr<FakeAddIn>> entries;
};

struct FakeApplication : ol::Application {
  Text Version() override { return u"9.0"; }
  std::shared_ptr<ol::Explorers> Explorers() override { return {}; }
  std::shared_ptr<ol::Inspectors> Inspectors() override { return {}; }
  std::shared_ptr<ol::NameSpace> GetNamespace(const Text&) override { return {}; }
  std::shared_ptr<ol::Explorer> ActiveExplorer() override { return {}; }
  std::shared_ptr<ol::Inspector> ActiveInspector() override { return {}; }
  std::shared_ptr<ol::COMAddIns> COMAddIns() override { return addIns; }
  ol::ConnectionPtr Advise(ol::ApplicationEvents&) override { return {}; }
  std::shared_ptr<FakeAddIns> addIns = std::make_shared<FakeAddIns>();
};

struct FakeOutlook : page::OutlookSource {
  std::shared_ptr<ol::Application> Application() override { return app; }
  std::shared_ptr<ol::Automation> RunningAddIn() override { return running; }
  std::shared_ptr<FakeApplication> app = std::make_shared<FakeApplication>();
  std::shared_ptr<ol::Automation> running;  // what the add-in registered, if anything
};

class OptionsPage : public ::testing::Test {
 protected:
  OptionsPage() {
    auto entry = std::make_shared<FakeAddIn>();
    entry->object = connect;
    outlook.app->addIns->entries[u"Vellorian.Connect"] = entry;
  }

  ctlVellox& Page() {
    if (!page)
      page = std::make_unique<ctlVellox>(PageServices{store, boxes, splash, outlook},
                                         PageControls{control, lv, fields});
    return *page;
  }
  ctlVellox& Created() {
    Page().UserControl_InitProperties();
    return *page;
  }
  void Store(const Lines& lines) {
    for (size_t i = 0; i < lines.size(); ++i)
      store.Put(kSection, LineKey(int32_t(i) + 1), lines[i]);
  }
  Lines StoredKeys() const {
    Lines keys;
    for (auto& e : store.Section(kSection)) keys.push_back(e.key);
    return keys;
  }
  Lines StoredValues() const {
    Lines values;
    for (auto& e : store.Section(kSection)) values.push_back(e.value);
    return values;
  }
  int StatusChanges() const { return control.site ? control.site->statusChanges : 0; }
  Text Prompt(size_t i = 0) const { return boxes.shown.at(i).prompt; }
  Text Title(size_t i = 0) const { return boxes.shown.at(i).title; }

  fake::MemoryStore store;
  fake::RecordingBoxes boxes;
  fake::FakeSplash splash;
  FakeOutlook outlook;
  std::shared_ptr<FakeConnect> connect = std::make_shared<FakeConnect>();
  fake::FakeUserControl control;
  fake::FakeListView lv;
  fake::FakeListBox fields;
  std::unique_ptr<ctlVellox> page;
};

Lines Numbered(int n) {
  Lines lines;
  for (int i = 1; i <= n; ++i) lines.push_back(Text(u"Zeile ") + Decimal(i));
  return lines;
}

// ---- creation and load ----

TEST_F(OptionsPage, CreationFillsBothListsAndLoadsWithTheLastLineSelected) {
  Store({u"<FullName>", u"", u"<MailingAddress>"});
  ctlVellox& p = Created();
  ASSERT_GE(fields.entries.size(), 7u);
  EXPECT_EQ(Lines(fields.entries.begin(), fields.entries.begin() + 7),
            (Lines{u"<FullName>", u"<CompanyName>", u"<MailingAddress>", u"<MailingAddressStreet>",
                   u"<MailingAddressPostalCode> <MailingAddressCity>", u"<MailingAddressCountry>",
                   u"<BusinessFaxNumber>"}));
  ASSERT_EQ(lv.columns.size(), 1u);
  EXPECT_EQ(lv.columns[0].index, 1);
  EXPECT_EQ(lv.columns[0].key, u"");
  EXPECT_EQ(lv.columns[0].text, u"egal");
  EXPECT_EQ(lv.columns[0].width, 5275.0f);
  EXPECT_EQ(lv.toolTip, u" Sie können zusätzlichen Text direkt in die Zeilen schreiben");
  EXPECT_EQ(lv.Texts(), (Lines{u"<FullName>", u"", u"<MailingAddress>"}));
  EXPECT_EQ(lv.SelectedPosition(), 3);
  EXPECT_FALSE(p.PropertyPage_Dirty());
  EXPECT_EQ(StatusChanges(), 0);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(OptionsPage, MissingTemplateShowsTheMessageWritesDefaultsAndLoadsThem) {
  Created();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(Prompt(),
            u"In der Registry wurde kein Adressformat gefunden, verwende Standardformat.");
  EXPECT_EQ(boxes.shown[0].style, 16);
  EXPECT_EQ(Title(), u"Vellox");
  EXPECT_EQ(store.Value(u"Startup", u"FirstRun"), Text(u"0"));
  EXPECT_EQ(lv.Texts(), (Lines{u"<FullName>", u"<CompanyName>", u"<MailingAddress>"}));
  EXPECT_FALSE(Page().PropertyPage_Dirty());
}

TEST_F(OptionsPage, DefaultsThatCannotBeWrittenEndInBothSettingsBoxes) {
  store.failSave = 70;
  Created();
  ASSERT_EQ(boxes.shown.size(), 3u);
  EXPECT_EQ(Title(1), u"SaveInitialSettings");
  EXPECT_EQ(
      Prompt(1),
      u"70: Zugriff verweigert\r\n\r\n in Funktion 'SaveInitialSettings' von Designer 'Connect'");
  EXPECT_EQ(Title(2), u"ReadAdressFormat");
  EXPECT_EQ(Prompt(2).substr(0, 3), u"13:");
  EXPECT_EQ(lv.Count(), 0);
  EXPECT_GT(fields.entries.size(), 7u);  // creation went on
}

TEST_F(OptionsPage, LinesLoadInNumberOrderWhateverTheStoreEnumerates) {
  Store({u"a", u"b", u"c"});
  store.SetEnumerationOrder(kSection, {u"Line3", u"Line1", u"Line2"});
  Created();
  EXPECT_EQ(lv.Texts(), (Lines{u"a", u"b", u"c"}));
  EXPECT_EQ(lv.SelectedPosition(), 3);
  EXPECT_TRUE(boxes.shown.empty());

  // Alphabetical, as some stores enumerate: Line1, Line10, Line11, Line12, Line2, ...
  Store(Numbered(12));
  Lines alphabetical;
  for (int i = 1; i <= 12; ++i) alphabetical.push_back(LineKey(i));
  std::sort(alphabetical.begin(), alphabetical.end());
  store.SetEnumerationOrder(kSection, alphabetical);
  Page().ReadAdressFormat();
  EXPECT_EQ(lv.Texts(), Numbered(12));
  EXPECT_EQ(lv.SelectedPosition(), 12);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(OptionsPage, LoadStopsAtAKeyTheListCannotPlaceAndKeepsTheLinesBeforeIt) {
  struct Case {
    Lines keys;  // stored in this order, values "v1", "v2", ...
    Lines loaded;
    Text failure;
  };
  const Case cases[] = {
      {{u"Line1", u"Line2", u"Line4"}, {u"v1", u"v2"}, u"35600: "},    // a gap
      {{u"Line4", u"Line2", u"Line1"}, {u"v3", u"v2"}, u"35600: "},    // the gap, out of order
      {{u"Line1", u"Line0", u"Line2"}, {}, u"35600: "},                // 0 comes first
      {{u"LineX", u"Line2", u"Line1"}, {u"v3", u"v2"}, u"13: "},       // after all numbers
      {{u"Line1", u"Line99999"}, {u"v1"}, u"6: "},                     // beyond 16 bits
      {{u"Line1", u"Name", u"line2", u"Line2"}, {u"v1", u"v4"}, u""},  // others are skipped
  };
  for (const Case& c : cases) {
    fake::MemoryStore s;
    for (size_t i = 0; i < c.keys.size(); ++i)
      s.Put(kSection, c.keys[i], Text(u"v") + Decimal(int(i) + 1));
    store = s;
    boxes.shown.clear();
    lv.Fill({u"old"});
    Page().ReadAdressFormat();
    EXPECT_EQ(lv.Texts(), c.loaded) << ToUtf8(c.keys[0]) << ToUtf8(c.keys[1]);
    EXPECT_EQ(lv.SelectedPosition(), int32_t(c.loaded.size()));
    if (c.failure.empty()) {
      EXPECT_TRUE(boxes.shown.empty());
      continue;
    }
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(Title(), u"ReadAdressFormat");
    EXPECT_EQ(Prompt().substr(0, c.failure.size()), c.failure);
    EXPECT_NE(Prompt().find(u"\r\n\r\n in Funktion 'ReadAdressFormat' von Designer 'Connect'"),
              Text::npos);
  }
}

TEST_F(OptionsPage, AContainerThatIsNoSiteStopsCreationBeforeAnythingIsFilled) {
  Store({u"a"});
  control.containerIsSite = false;
  Created();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(Title(), u"UserControl_InitProperties");
  EXPECT_EQ(Prompt(),
            u"13: Typen unverträglich\r\n\r\n in Funktion 'UserControl_InitProperties' "
            u"von Benutzersteuerelement 'ctlVellox'");
  EXPECT_TRUE(fields.entries.empty());
  EXPECT_TRUE(lv.columns.empty());
  EXPECT_EQ(lv.Count(), 0);
}

// ---- editing ----

TEST_F(OptionsPage, AnEmptyListAppliesNothingGetsLineOneAndDeleteDoesNothing) {
  Store({u"a"});
  ctlVellox& p = Created();
  lv.Clear();
  p.PropertyPage_Apply();
  EXPECT_EQ(StoredValues(), Lines{u"a"});
  EXPECT_EQ(store.deletes, 0);
  EXPECT_TRUE(connect->calls.empty());
  p.btnDelete_Click();
  EXPECT_EQ(StatusChanges(), 0);
  p.btnInsert_Click();
  EXPECT_EQ(lv.Texts(), Lines{u""});
  lv.Clear();
  fields.listIndex = 2;
  p.btnToConfig_Click();
  EXPECT_EQ(lv.Texts(), Lines{u"<MailingAddress>"});
  EXPECT_EQ(lv.SelectedPosition(), 1);
  EXPECT_EQ(StatusChanges(), 2);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(OptionsPage, NewLinesGoDirectlyBelowTheSelectedLineAndBecomeSelected) {
  Store({u"a", u"b", u"c"});
  ctlVellox& p = Created();
  lv.Select(1);
  p.btnInsert_Click();
  EXPECT_EQ(lv.Texts(), (Lines{u"a", u"", u"b", u"c"}));
  EXPECT_EQ(lv.SelectedPosition(), 2);
  fields.listIndex = 4;
  p.btnToConfig_Click();
  EXPECT_EQ(lv.Texts(),
            (Lines{u"a", u"", u"<MailingAddressPostalCode> <MailingAddressCity>", u"b", u"c"}));
  lv.Select(5);
  fields.listIndex = -1;
  p.btnToConfig_Click();  // last line selected: appends; nothing selected in the field list
  EXPECT_EQ(lv.Count(), 6);
  EXPECT_EQ(lv.Texts().back(), u"");
  EXPECT_EQ(lv.SelectedPosition(), 6);
  EXPECT_TRUE(p.PropertyPage_Dirty());
  EXPECT_EQ(StatusChanges(), 3);
}

TEST_F(OptionsPage, DeleteRemovesTheSelectedLineAndSelectsNoOther) {
  Store({u"a", u"b", u"c"});
  ctlVellox& p = Created();
  lv.Select(2);
  p.btnDelete_Click();
  EXPECT_EQ(lv.Texts(), (Lines{u"a", u"c"}));
  EXPECT_EQ(lv.SelectedPosition(), 0);
  EXPECT_TRUE(p.PropertyPage_Dirty());
  p.PropertyPage_Apply();
  EXPECT_EQ(StoredKeys(), (Lines{u"Line1", u"Line2"}));
  EXPECT_EQ(StoredValues(), (Lines{u"a", u"c"}));
}

TEST_F(OptionsPage, ButtonsWithLinesButNoneSelectedReportAndChangeNothing) {
  Store({u"a", u"b"});
  ctlVellox& p = Created();
  lv.Item(2)->SetSelected(false);
  fields.listIndex = 0;
  p.btnInsert_Click();
  p.btnToConfig_Click();
  p.btnDelete_Click();
  ASSERT_EQ(boxes.shown.size(), 3u);
  const char16_t* procedures[] = {u"btnInsert_Click", u"btnToConfig_Click", u"btnDelete_Click"};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(Title(i), procedures[i]);
    Text expected =
        u"91: Objektvariable oder With-Blockvariable nicht festgelegt\r\n\r\n"
        u" in Funktion '";
    expected += procedures[i];
    expected += u"' von Benutzersteuerelement 'ctlVellox'";
    EXPECT_EQ(Prompt(i), expected);
    EXPECT_EQ(boxes.shown[i].style, 16);
  }
  EXPECT_EQ(lv.Texts(), (Lines{u"a", u"b"}));
  EXPECT_FALSE(p.PropertyPage_Dirty());
  EXPECT_EQ(StatusChanges(), 0);
}

TEST_F(OptionsPage, AFieldThatCannotBeReadLeavesTheNewLineEmpty) {
  Store({u"a"});
  ctlVellox& p = Created();
  fields.listIndex = 1;
  fields.failList = 5;
  p.btnToConfig_Click();
  EXPECT_EQ(lv.Texts(), (Lines{u"a", u""}));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(Title(), u"btnToConfig_Click");
  EXPECT_FALSE(p.PropertyPage_Dirty());
}

// ---- reporting changes ----

TEST_F(OptionsPage, MarkingNeedsASiteAndOutlivesASiteThatFails) {
  Store({u"a"});
  auto site = control.site;
  site->failStatusChange = 440;
  control.site = nullptr;
  ctlVellox& withoutSite = Created();
  withoutSite.btnInsert_Click();
  withoutSite.btnDelete_Click();
  EXPECT_EQ(lv.Count(), 1);
  EXPECT_FALSE(withoutSite.PropertyPage_Dirty());

  control.site = site;
  ctlVellox withSite(PageServices{store, boxes, splash, outlook},
                     PageControls{control, lv, fields});
  withSite.UserControl_InitProperties();
  withSite.btnInsert_Click();
  EXPECT_TRUE(withSite.PropertyPage_Dirty());
  EXPECT_EQ(site->statusChanges, 1);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(OptionsPage, EditsDuringLoadingNeverMarkThePage) {
  Store({u"a", u"b"});
  bool editing = false;
  lv.onItemAdd = [&] {
    if (editing || !page) return;
    editing = true;
    page->lvConfig_AfterLabelEdit(1, u"geändert");
    editing = false;
  };
  ctlVellox& p = Created();
  EXPECT_FALSE(p.PropertyPage_Dirty());
  EXPECT_EQ(StatusChanges(), 0);

  // A failure after the loading began leaves the page loading for good.
  lv.onItemAdd = nullptr;
  fake::FakeListView other;
  other.failColumnAdd = 5;
  fake::FakeListBox otherFields;
  ctlVellox stuck(PageServices{store, boxes, splash, outlook},
                  PageControls{control, other, otherFields});
  stuck.UserControl_InitProperties();
  EXPECT_EQ(Title(), u"UserControl_InitProperties");
  stuck.btnInsert_Click();
  EXPECT_EQ(other.Count(), 1);
  EXPECT_FALSE(stuck.PropertyPage_Dirty());
  EXPECT_EQ(StatusChanges(), 0);
}

TEST_F(OptionsPage, AnInPlaceEditMarksThePageOnlyWhenItChangesTheText) {
  Store({u"a", u"b"});
  ctlVellox& p = Created();
  p.lvConfig_AfterLabelEdit(2, u"b");
  EXPECT_FALSE(p.PropertyPage_Dirty());
  p.lvConfig_AfterLabelEdit(1, u"a, neu");
  EXPECT_TRUE(p.PropertyPage_Dirty());
  EXPECT_EQ(StatusChanges(), 1);
  p.lvConfig_AfterLabelEdit(7, u"x");  // no such line: ignored
  EXPECT_TRUE(boxes.shown.empty());
}

// ---- apply ----

TEST_F(OptionsPage, ApplyRewritesTheSectionThenHasTheAddInReload) {
  store.Put(kSection, u"Line1", u"alt");
  for (int i = 2; i <= 15; ++i) store.Put(kSection, LineKey(i), u"alt");
  ctlVellox& p = Created();
  lv.Fill(Numbered(12));
  lv.Item(5)->SetText(u"");
  Lines seenByAddIn;
  connect->onCall = [&] { seenByAddIn = StoredValues(); };
  p.PropertyPage_Apply();
  Lines expected = Numbered(12);
  expected[4] = u"";
  EXPECT_EQ(StoredValues(), expected);
  EXPECT_EQ(StoredKeys().back(), u"Line12");
  EXPECT_EQ(seenByAddIn, expected);
  EXPECT_EQ(connect->calls, Lines{u"ReReadSettings"});
  EXPECT_FALSE(p.PropertyPage_Dirty());

  // What was written loads back the same, empty line included.
  fake::FakeListView reloaded;
  fake::FakeListBox reloadedFields;
  ctlVellox again(PageServices{store, boxes, splash, outlook},
                  PageControls{control, reloaded, reloadedFields});
  again.UserControl_InitProperties();
  EXPECT_EQ(reloaded.Texts(), expected);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(OptionsPage, ApplyLeavesDirtyAsItWasAndRepeats) {
  Store({u"a"});
  ctlVellox& p = Created();
  p.btnInsert_Click();
  p.PropertyPage_Apply();
  p.PropertyPage_Apply();
  EXPECT_TRUE(p.PropertyPage_Dirty());
  EXPECT_EQ(store.deletes, 2);
  EXPECT_EQ(StoredValues(), (Lines{u"a", u""}));
  EXPECT_EQ(connect->calls.size(), 2u);
}

TEST_F(OptionsPage, AnUnreachableAddInIsReportedAfterTheLinesAreSaved) {
  Store({u"a", u"b"});
  ctlVellox& p = Created();
  const auto app = outlook.app;
  const auto entry = app->addIns->entries[u"Vellorian.Connect"];
  const std::function<void()> unreachable[] = {
      [&] { app->addIns->entries.clear(); },
      [&] { entry->object = nullptr; },
      [&] { connect->failCall = 440; },
      [&] { outlook.app = nullptr; },
  };
  const char16_t* failures[] = {u"5: ", u"91: ", u"440: ", u"91: "};
  for (size_t i = 0; i < 4; ++i) {
    outlook.app = app;
    app->addIns->entries[u"Vellorian.Connect"] = entry;
    entry->object = connect;
    connect->failCall = 0;
    unreachable[i]();
    store.Put(kSection, u"Line1", u"x");
    p.PropertyPage_Apply();
    ASSERT_EQ(boxes.shown.size(), i + 1);
    EXPECT_EQ(Title(i), u"PropertyPage_Apply");
    EXPECT_EQ(Prompt(i).substr(0, Text(failures[i]).size()), failures[i]);
    EXPECT_NE(Prompt(i).find(u" in Funktion 'PropertyPage_Apply' von Benutzersteuerelement "
                             u"'ctlVellox'"),
              Text::npos);
    EXPECT_EQ(StoredValues(), (Lines{u"a", u"b"}));
  }
}

TEST_F(OptionsPage, AnAddInTheCollectionDoesNotListIsReachedWhereItRegisteredItself) {
  Store({u"a"});
  ctlVellox& p = Created();
  auto registered = std::make_shared<FakeConnect>();
  outlook.running = registered;
  p.PropertyPage_Apply();
  EXPECT_EQ(connect->calls, Lines{u"ReReadSettings"}) << "the collection comes first";
  EXPECT_TRUE(registered->calls.empty());

  const auto entry = outlook.app->addIns->entries[u"Vellorian.Connect"];
  outlook.app->addIns->entries.clear();
  p.PropertyPage_Apply();
  EXPECT_EQ(registered->calls, Lines{u"ReReadSettings"});
  EXPECT_TRUE(boxes.shown.empty());

  // Listed but not connected: no detour.
  entry->object = nullptr;
  outlook.app->addIns->entries[u"Vellorian.Connect"] = entry;
  p.PropertyPage_Apply();
  EXPECT_EQ(registered->calls.size(), 1u);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(Prompt(0).substr(0, 4), u"91: ");
}

TEST_F(OptionsPage, AFailedWriteStopsApplyBeforeTheAddInIsTold) {
  Store({u"a", u"b", u"c"});
  ctlVellox& p = Created();
  store.failSave = 70;
  store.failSaveAfter = store.saves + 1;
  p.PropertyPage_Apply();
  EXPECT_EQ(StoredKeys(), Lines{u"Line1"});
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(Title(), u"PropertyPage_Apply");
  EXPECT_TRUE(connect->calls.empty());

  store.failSave = 0;
  store.failDelete = 75;
  p.PropertyPage_Apply();
  EXPECT_EQ(StoredKeys(), Lines{u"Line1"});
  EXPECT_EQ(boxes.shown.size(), 2u);
  EXPECT_TRUE(connect->calls.empty());
}

// ---- the rest of the page ----

TEST_F(OptionsPage, AboutShowsTheSplashOwnedByThePageAndReportsItsFailure) {
  ctlVellox& p = Page();
  p.btnAbout_Click();
  EXPECT_EQ(splash.owners, std::vector<intptr_t>{0x1234});
  splash.failShow = 7;
  p.btnAbout_Click();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(Title(), u"btnAbout_Click");
}

TEST_F(OptionsPage, PageInfoIsReturnedUnchangedAndTerminateLetsGoOfTheSite) {
  Store({u"a"});
  ctlVellox& p = Created();
  Text helpFile = u"hilfe.chm";
  int32_t context = 42;
  p.PropertyPage_GetPageInfo(helpFile, context);
  EXPECT_EQ(helpFile, u"hilfe.chm");
  EXPECT_EQ(context, 42);

  std::weak_ptr<fake::FakeSite> site = control.site;
  control.site = nullptr;
  EXPECT_FALSE(site.expired());
  p.UserControl_Terminate();
  EXPECT_TRUE(site.expired());
}

}  // namespace
}  // namespace vx
