// The add-in library's settings procedures: SaveInitialSettings and
// ReadAdressFormat over AdressFormatLines, and the store side they share with
// the options page.
#include <gtest/gtest.h>

#include "addin/clsVellox.h"
#include "addin/mdlAllgemein.h"
#include "platform/failure.h"
#include "tests/fakes/fake_item.h"
#include "tests/fakes/memory_store.h"
#include "tests/fakes/recording_boxes.h"
#include "tests/fakes/unused_services.h"

namespace vx {
namespace {

// The memory store, counting how often a whole section is read.
class CountingStore : public fake::MemoryStore {
 public:
  std::vector<SettingEntry> GetAllSettings(const Text& application, const Text& section) override {
    ++sectionReads;
    return MemoryStore::GetAllSettings(application, section);
  }
  int sectionReads = 0;
};

const std::vector<Text> kDefaults = {u"<FullName>", u"<CompanyName>", u"<MailingAddress>"};
const Text kNoTemplate =
    u"In der Registry wurde kein Adressformat gefunden, verwende Standardformat.";

std::vector<Text> Keys(const std::vector<SettingEntry>& entries) {
  std::vector<Text> keys;
  for (const auto& e : entries) keys.push_back(e.key);
  return keys;
}

class SettingsProcedures : public ::testing::Test {
 protected:
  // Writes the template section with these keys and values, in this order.
  void Store(std::initializer_list<std::pair<const char16_t*, const char16_t*>> entries) {
    for (const auto& [key, value] : entries) store.Put(u"AdressFormat", key, value);
  }

  std::vector<Text> Lines() const {
    return module.AdressFormatLines.value_or(std::vector<Text>{u"(never loaded)"});
  }

  void ExpectOneReport(const char16_t* procedure, int32_t number) {
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, Decimal(number) + u": " + DescriptionOf(number) +
                                         u"\r\n\r\n in Funktion '" + procedure +
                                         u"' von Designer 'Connect'");
    EXPECT_EQ(boxes.shown[0].style, 16);
    EXPECT_EQ(boxes.shown[0].title, procedure);
  }

  CountingStore store;
  fake::RecordingBoxes boxes;
  fake::UnusedClipboard clipboard;
  fake::UnusedSplash splash;
  mdlAllgemein module{AddinServices{store, boxes, clipboard, splash}};
};

// ---------------------------------------------------------------------------
// The store side shared by both libraries
// ---------------------------------------------------------------------------

TEST_F(SettingsProcedures, InitialSettingsAreFirstRunThenThreeLinesInThisOrder) {
  WriteInitialSettings(store);
  EXPECT_EQ(store.Value(u"Startup", u"FirstRun"), u"0");
  EXPECT_EQ(Keys(store.Section(u"AdressFormat")),
            (std::vector<Text>{u"Line1", u"Line2", u"Line3"}));
  EXPECT_EQ(store.Value(u"AdressFormat", u"Line1"), u"<FullName>");
  EXPECT_EQ(store.Value(u"AdressFormat", u"Line2"), u"<CompanyName>");
  EXPECT_EQ(store.Value(u"AdressFormat", u"Line3"), u"<MailingAddress>");
  EXPECT_EQ(store.saves, 4);
  EXPECT_EQ(ReadTemplateEntries(store).size(), 3u);
}

TEST_F(SettingsProcedures, TemplateEntriesComeInTheStoresOrder) {
  EXPECT_TRUE(ReadTemplateEntries(store).empty());
  Store({{u"Line1", u"a"}, {u"Line2", u"b"}, {u"Line3", u"c"}});
  store.SetEnumerationOrder(u"AdressFormat", {u"Line3", u"Line1"});
  EXPECT_EQ(Keys(ReadTemplateEntries(store)), (std::vector<Text>{u"Line3", u"Line1", u"Line2"}));
}

// ---------------------------------------------------------------------------
// SaveInitialSettings
// ---------------------------------------------------------------------------

TEST_F(SettingsProcedures, SaveInitialSettingsWritesTheDefaultsAndReplacesTheList) {
  module.AdressFormatLines = std::vector<Text>{u"alt", u"alt", u"alt", u"alt", u"alt"};
  module.SaveInitialSettings();
  EXPECT_EQ(Lines(), kDefaults);
  EXPECT_EQ(store.Value(u"Startup", u"FirstRun"), u"0");
  EXPECT_EQ(Keys(store.Section(u"AdressFormat")),
            (std::vector<Text>{u"Line1", u"Line2", u"Line3"}));
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SettingsProcedures, SaveInitialSettingsOverwritesLine1To3AndLeavesOtherKeys) {
  Store({{u"Line1", u"x"},
         {u"Line2", u"y"},
         {u"Line3", u"z"},
         {u"Line4", u"bleibt"},
         {u"Notiz", u"n"}});
  store.Put(u"Startup", u"FirstRun", u"1");
  store.Put(u"Startup", u"ShowSplash", u"0");
  module.SaveInitialSettings();
  EXPECT_EQ(store.Value(u"AdressFormat", u"Line1"), u"<FullName>");
  EXPECT_EQ(store.Value(u"AdressFormat", u"Line3"), u"<MailingAddress>");
  EXPECT_EQ(store.Value(u"AdressFormat", u"Line4"), u"bleibt");
  EXPECT_EQ(store.Value(u"AdressFormat", u"Notiz"), u"n");
  EXPECT_EQ(store.Value(u"Startup", u"FirstRun"), u"0");
  EXPECT_EQ(store.Value(u"Startup", u"ShowSplash"), u"0");
  // The list holds the defaults only, whatever else the store holds.
  EXPECT_EQ(Lines(), kDefaults);
}

TEST_F(SettingsProcedures, FailedWriteEndsSaveInitialSettingsWithItsReport) {
  module.AdressFormatLines = std::vector<Text>{u"alt"};
  store.failSave = fail::kPermissionDenied;
  store.failSaveAfter = 2;  // FirstRun and Line1 are written, Line2 fails
  module.SaveInitialSettings();
  ExpectOneReport(u"SaveInitialSettings", 70);
  EXPECT_EQ(store.Value(u"Startup", u"FirstRun"), u"0");
  EXPECT_EQ(Keys(store.Section(u"AdressFormat")), std::vector<Text>{u"Line1"});
  EXPECT_EQ(Lines(), std::vector<Text>{u"alt"});  // not replaced
}

TEST_F(SettingsProcedures, FailedFirstWriteLeavesAnUnloadedListUnloaded) {
  store.failSave = fail::kPathFileAccess;
  module.SaveInitialSettings();
  ExpectOneReport(u"SaveInitialSettings", 75);
  EXPECT_FALSE(module.AdressFormatLines.has_value());
  EXPECT_FALSE(store.HasSection(u"Startup"));
}

// ---------------------------------------------------------------------------
// ReadAdressFormat: no template stored
// ---------------------------------------------------------------------------

TEST_F(SettingsProcedures, MissingTemplateShowsTheMessageOnceAndLoadsTheDefaults) {
  store.Put(u"Startup", u"FirstRun", u"0");
  module.ReadAdressFormat();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].prompt, kNoTemplate);
  EXPECT_EQ(boxes.shown[0].style, 16);
  EXPECT_EQ(boxes.shown[0].title, u"Vellox");
  EXPECT_EQ(Lines(), kDefaults);
  EXPECT_EQ(Keys(store.Section(u"AdressFormat")),
            (std::vector<Text>{u"Line1", u"Line2", u"Line3"}));
  EXPECT_EQ(store.Value(u"Startup", u"FirstRun"), u"0");
  EXPECT_EQ(store.sectionReads, 1);  // not read again
}

TEST_F(SettingsProcedures, EmptySectionCountsAsMissing) {
  store.SetEnumerationOrder(u"AdressFormat", {});  // the section exists without values
  ASSERT_TRUE(store.HasSection(u"AdressFormat"));
  module.ReadAdressFormat();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].prompt, kNoTemplate);
  EXPECT_EQ(Lines(), kDefaults);
}

TEST_F(SettingsProcedures, MissingTemplateWithAFailingStoreShowsBothBoxes) {
  module.AdressFormatLines = std::vector<Text>{u"alt"};
  store.failSave = fail::kPermissionDenied;
  module.ReadAdressFormat();
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].prompt, kNoTemplate);
  EXPECT_EQ(boxes.shown[1].title, u"SaveInitialSettings");
  EXPECT_EQ(Lines(), std::vector<Text>{u"alt"});
}

TEST_F(SettingsProcedures, UnreadableStoreIsReportedAndKeepsTheList) {
  module.AdressFormatLines = std::vector<Text>{u"alt"};
  store.failGetAll = fail::kPermissionDenied;
  module.ReadAdressFormat();
  ExpectOneReport(u"ReadAdressFormat", 70);
  EXPECT_EQ(Lines(), std::vector<Text>{u"alt"});
}

// ---------------------------------------------------------------------------
// ReadAdressFormat: placing lines
// ---------------------------------------------------------------------------

TEST_F(SettingsProcedures, LinesAreLoadedByNumber) {
  Store({{u"Line1", u"<FullName>"}, {u"Line2", u"z. Hd. <CompanyName>"}, {u"Line3", u""}});
  module.ReadAdressFormat();
  EXPECT_EQ(Lines(), (std::vector<Text>{u"<FullName>", u"z. Hd. <CompanyName>", u""}));
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SettingsProcedures, LinesArePlacedByNumberNotByEnumerationOrder) {
  Store({{u"Line1", u"a"}, {u"Line2", u"b"}, {u"Line3", u"c"}});
  for (std::vector<Text> order : {std::vector<Text>{u"Line3", u"Line1", u"Line2"},
                                  std::vector<Text>{u"Line3", u"Line2", u"Line1"},
                                  std::vector<Text>{u"Line2", u"Line3", u"Line1"}}) {
    store.SetEnumerationOrder(u"AdressFormat", order);
    module.ReadAdressFormat();
    EXPECT_EQ(Lines(), (std::vector<Text>{u"a", u"b", u"c"}));
  }
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SettingsProcedures, OtherKeysCountButStayEmpty) {
  Store({{u"Line1", u"a"}, {u"Line2", u"b"}, {u"Line3", u"c"}, {u"Kommentar", u"x"}});
  module.ReadAdressFormat();
  EXPECT_EQ(Lines(), (std::vector<Text>{u"a", u"b", u"c", u""}));
}

TEST_F(SettingsProcedures, LowerCaseLineKeyIsNotATemplateKey) {
  Store({{u"line1", u"klein"}, {u"Line1", u"a"}});
  module.ReadAdressFormat();
  EXPECT_EQ(Lines(), (std::vector<Text>{u"a", u""}));
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SettingsProcedures, LeadingZerosAreStillPlainDigits) {
  Store({{u"Line02", u"b"}, {u"Line001", u"a"}});
  module.ReadAdressFormat();
  EXPECT_EQ(Lines(), (std::vector<Text>{u"a", u"b"}));
}

TEST_F(SettingsProcedures, ValuesAreLoadedExactly) {
  const Text longValue(40000, u'<');
  Store({{u"Line1", u"  <FullName>  "},
         {u"Line2", u"Zeile\r\nmit Umbruch"},
         {u"Line3", u"Grüße aus Köln – Łódź 東京 🙂"},
         {u"Line4", longValue.c_str()},
         {u"Line5", u""}});
  module.ReadAdressFormat();
  EXPECT_EQ(Lines(),
            (std::vector<Text>{u"  <FullName>  ", u"Zeile\r\nmit Umbruch",
                               u"Grüße aus Köln – Łódź 東京 🙂", longValue, u""}));
}

TEST_F(SettingsProcedures, ThePreviousListIsReplacedNotMerged) {
  module.AdressFormatLines = std::vector<Text>{u"1", u"2", u"3", u"4", u"5"};
  Store({{u"Line2", u"b"}, {u"Line1", u"a"}});
  module.ReadAdressFormat();
  EXPECT_EQ(Lines(), (std::vector<Text>{u"a", u"b"}));
}

TEST_F(SettingsProcedures, ReloadingAfterTheTemplateChangedTakesTheNewOne) {
  Store({{u"Line1", u"a"}, {u"Line2", u"b"}, {u"Line3", u"c"}});
  module.ReadAdressFormat();
  store.DeleteSetting(u"Brisanto", u"AdressFormat");
  Store({{u"Line1", u"neu"}});
  module.ReadAdressFormat();
  EXPECT_EQ(Lines(), std::vector<Text>{u"neu"});
}

// ---------------------------------------------------------------------------
// ReadAdressFormat: bad keys
// ---------------------------------------------------------------------------

TEST_F(SettingsProcedures, LineNumberBeyondTheCountIsFailure9AndStopsLoading) {
  Store({{u"Line1", u"a"}, {u"Line2", u"b"}, {u"Line4", u"d"}});
  module.ReadAdressFormat();
  ExpectOneReport(u"ReadAdressFormat", 9);
  EXPECT_EQ(Lines(), (std::vector<Text>{u"a", u"b", u""}));
}

TEST_F(SettingsProcedures, EntriesAfterTheFailingOneAreNotLoaded) {
  Store({{u"Line1", u"a"}, {u"Line2", u"b"}, {u"Line4", u"d"}});
  store.SetEnumerationOrder(u"AdressFormat", {u"Line2", u"Line4", u"Line1"});
  module.ReadAdressFormat();
  ExpectOneReport(u"ReadAdressFormat", 9);
  EXPECT_EQ(Lines(), (std::vector<Text>{u"", u"b", u""}));
}

TEST_F(SettingsProcedures, Line0IsFailure9) {
  Store({{u"Line0", u"null"}, {u"Line1", u"a"}});
  module.ReadAdressFormat();
  ExpectOneReport(u"ReadAdressFormat", 9);
  EXPECT_EQ(Lines(), (std::vector<Text>{u"", u""}));
}

TEST_F(SettingsProcedures, FailureStopsLoadingButTheListKeepsItsNewSize) {
  module.AdressFormatLines = std::vector<Text>{u"alt"};
  Store({{u"Line1", u"a"}, {u"Line9", u"i"}, {u"Line2", u"b"}, {u"Line3", u"c"}});
  module.ReadAdressFormat();
  ExpectOneReport(u"ReadAdressFormat", 9);
  EXPECT_EQ(Lines(), (std::vector<Text>{u"a", u"", u"", u""}));
}

TEST_F(SettingsProcedures, KeyWithoutPlainDigitsIsFailure13) {
  for (const char16_t* key :
       {u"Line", u"LineX", u"Line 1", u"Line1 ", u"Line-1", u"Line+1", u"Line1.0", u"Line1,0",
        u"Line1e0", u"Line&H1", u"Line١", u"Line１", u"Line²"}) {
    store.DeleteSetting(u"Brisanto", u"AdressFormat");
    boxes.shown.clear();
    Store({{u"Line1", u"a"}, {key, u"x"}});
    module.ReadAdressFormat();
    SCOPED_TRACE(ToUtf8(key));
    ExpectOneReport(u"ReadAdressFormat", 13);
    EXPECT_EQ(Lines(), (std::vector<Text>{u"a", u""}));
  }
}

TEST_F(SettingsProcedures, NumberBeyond32767IsFailure6NotFailure9) {
  for (const char16_t* key :
       {u"Line32768", u"Line99999", u"Line4294967297", u"Line99999999999999999999"}) {
    store.DeleteSetting(u"Brisanto", u"AdressFormat");
    boxes.shown.clear();
    Store({{u"Line1", u"a"}, {key, u"x"}});
    module.ReadAdressFormat();
    SCOPED_TRACE(ToUtf8(key));
    ExpectOneReport(u"ReadAdressFormat", 6);
    EXPECT_EQ(Lines(), (std::vector<Text>{u"a", u""}));
  }
}

TEST_F(SettingsProcedures, Number32767IsANumberBeyondTheCount) {
  Store({{u"Line32767", u"x"}});
  module.ReadAdressFormat();
  ExpectOneReport(u"ReadAdressFormat", 9);
  EXPECT_EQ(Lines(), std::vector<Text>{u""});
}

// ---------------------------------------------------------------------------
// The settings procedures and the engine together
// ---------------------------------------------------------------------------

TEST_F(SettingsProcedures, FirstStartWritesAndLoadsTheDefaults) {
  // The connection's order: first-run step, then the load.
  module.SaveInitialSettings();
  module.ReadAdressFormat();
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(Lines(), kDefaults);
  EXPECT_EQ(store.Value(u"Startup", u"FirstRun"), u"0");
}

TEST_F(SettingsProcedures, AddressAfterAMissingTemplateStartsWithTheFullName) {
  store.Put(u"Startup", u"FirstRun", u"0");
  module.ReadAdressFormat();
  clsVellox vellox(module);
  auto contact = fake::MakeContact(u"Jürgen Weiß", u"", u"Hauptstraße 5\r\n80331 München");
  EXPECT_EQ(vellox.BuildAddressText({contact}), u"Jürgen Weiß\r\nHauptstraße 5\r\n80331 München");
}

TEST_F(SettingsProcedures, ExtraKeyMakesTheAddressEndWithABreak) {
  Store({{u"Line1", u"<FullName>"},
         {u"Line2", u"<CompanyName>"},
         {u"Line3", u"<MailingAddress>"},
         {u"Version", u"2"}});
  module.ReadAdressFormat();
  clsVellox vellox(module);
  auto contact = fake::MakeContact(u"Anna", u"Firma", u"Weg 1");
  EXPECT_EQ(vellox.BuildAddressText({contact}), u"Anna\r\nFirma\r\nWeg 1\r\n");
}

TEST_F(SettingsProcedures, EmptyStoredLineGivesAnEmptyAddressLine) {
  Store({{u"Line1", u"<FullName>"}, {u"Line2", u""}, {u"Line3", u"<MailingAddress>"}});
  module.ReadAdressFormat();
  clsVellox vellox(module);
  auto contact = fake::MakeContact(u"Anna", u"Firma", u"Weg 1");
  EXPECT_EQ(vellox.BuildAddressText({contact}), u"Anna\r\n\r\nWeg 1");
}

}  // namespace
}  // namespace vx
