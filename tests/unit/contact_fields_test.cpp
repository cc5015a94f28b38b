// The contact field table as the engine reads it: every row, the dates, our
// own salutation fields, and fields the running Outlook may lack.
#include <gtest/gtest.h>

#include <set>

#include "addin/clsVellox.h"
#include "platform/contact_fields.h"
#include "platform/failure.h"
#include "tests/fakes/fake_item.h"
#include "tests/fakes/memory_store.h"
#include "tests/fakes/recording_boxes.h"
#include "tests/fakes/unused_services.h"

namespace vx {
namespace {

using fake::FakeItem;
using fields::Read;

class ContactFields : public ::testing::Test {
 protected:
  Text Get(FakeItem& item, const Text& name) { return vellox.GetPropValue(item, name); }

  fake::MemoryStore store;
  fake::RecordingBoxes boxes;
  fake::UnusedClipboard clipboard;
  fake::UnusedSplash splash;
  mdlAllgemein module{AddinServices{store, boxes, clipboard, splash}};
  clsVellox vellox{module};
};

TEST_F(ContactFields, EveryTextFieldReadsItsOwnPropertyOnceAndNothingElse) {
  size_t texts = 0;
  for (const fields::Field& f : fields::All()) {
    if (f.read != Read::kText) continue;
    ++texts;
    FakeItem item;
    item.answerNames = true;
    const Text name(f.name);
    EXPECT_EQ(vellox.DecodeLine(item, u"[<" + name + u">]"), u"[" + name + u"]");
    EXPECT_EQ(item.reads, 1) << ToUtf8(name);
  }
  // Outlook 2000's contact texts without identifiers, internals and Body,
  // and the two of Outlook 2002.
  EXPECT_EQ(texts, 113u);
  for (TextView left : {u"EntryID", u"Email1EntryID", u"ConversationIndex", u"ConversationTopic",
                        u"MessageClass", u"OutlookVersion", u"UserCertificate", u"Body",
                        u"TaskSubject", u"fullName"}) {
    EXPECT_EQ(fields::Find(left), nullptr) << ToUtf8(left);
  }
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ContactFields, LookupFindsEveryRowByItsExactName) {
  std::set<TextView> names;
  for (const fields::Field& f : fields::All()) {
    EXPECT_EQ(fields::Find(f.name), &f);
    EXPECT_TRUE(names.insert(f.name).second);
    EXPECT_EQ(fields::Find(Text(f.name) + u" "), nullptr);
    EXPECT_EQ(fields::Find(f.name.substr(0, f.name.size() - 1)), nullptr);
  }
  EXPECT_EQ(fields::Find(u""), nullptr);
  EXPECT_EQ(fields::Find(u"\xFFFF"), nullptr);
}

TEST_F(ContactFields, DatesAreGermanAndTheNoDateIsEmpty) {
  struct Case {
    double date;
    const char16_t* text;
  } cases[] = {
      {22347.0, u"07.03.1961"},
      {22347.99, u"07.03.1961"},  // the time of day does not move the day
      {45351.0, u"29.02.2024"},
      {0.0, u"30.12.1899"},
      {-1.5, u"29.12.1899"},  // before day 0 the fraction counts forward
      {-657434.0, u"01.01.0100"},
      {2958465.0, u"31.12.9999"},
      {949998.0, u""},  // Outlook's "no date", 01.01.4501
      {949998.5, u""},
      {949999.0, u"02.01.4501"},
  };
  for (const Case& c : cases) {
    FakeItem item;
    item.SetDate(u"Birthday", c.date).SetDate(u"Anniversary", c.date);
    EXPECT_EQ(Get(item, u"Birthday"), c.text) << c.date;
    EXPECT_EQ(Get(item, u"Anniversary"), c.text) << c.date;
  }
  EXPECT_TRUE(boxes.shown.empty());

  // A value no date can have is a failed read, reported as one.
  FakeItem item;
  item.SetDate(u"Birthday", 2958466.0);
  EXPECT_EQ(vellox.DecodeLine(item, u"a<Birthday>b"), u"ab");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].title, u"GetPropValue");
  EXPECT_EQ(boxes.shown[0].prompt.substr(0, 3), u"6: ");
}

TEST_F(ContactFields, AnredeAndBriefanredeFollowGenderTitleAndLastName) {
  struct Case {
    int32_t gender;
    const char16_t* title;
    const char16_t* lastName;
    const char16_t* anrede;
    const char16_t* briefanrede;
  } cases[] = {
      {2, u"Dr.", u"Mustermann", u"Herrn", u"Sehr geehrter Herr Dr. Mustermann,"},
      {2, u"", u"Mustermann", u"Herrn", u"Sehr geehrter Herr Mustermann,"},
      {1, u"Prof. Dr.", u"Weiß", u"Frau", u"Sehr geehrte Frau Prof. Dr. Weiß,"},
      {1, u"", u"Weiß", u"Frau", u"Sehr geehrte Frau Weiß,"},
      {1, u"Dr.", u"", u"Frau", u"Sehr geehrte Damen und Herren,"},
      {0, u"Dr.", u"Mustermann", u"", u"Sehr geehrte Damen und Herren,"},
      {3, u"", u"Mustermann", u"", u"Sehr geehrte Damen und Herren,"},
  };
  for (const Case& c : cases) {
    FakeItem item;
    item.SetNumber(u"Gender", c.gender).Set(u"Title", c.title).Set(u"LastName", c.lastName);
    EXPECT_EQ(Get(item, u"Anrede"), c.anrede) << c.gender;
    EXPECT_EQ(Get(item, u"Briefanrede"), c.briefanrede) << c.gender << ToUtf8(c.lastName);
    // Gender, then LastName and Title only for a known gender.
    EXPECT_LE(item.reads, 4);
  }
  EXPECT_TRUE(boxes.shown.empty());

  // A failed read of the gender is reported like any other.
  FakeItem failing;
  failing.Fail(u"Gender", fail::kAutomationError);
  EXPECT_EQ(Get(failing, u"Briefanrede"), u"");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].title, u"GetPropValue");
}

TEST_F(ContactFields, AFieldTheRunningOutlookLacksIsEmptyWithoutABox) {
  FakeItem item;
  item.failUnset = fail::kMemberNotFound;  // as Outlook 2000 answers for a name it does not know
  item.Set(u"FullName", u"Anna");
  EXPECT_EQ(vellox.DecodeLine(item, u"<FullName>|<IMAddress>|<LastFirstNoSpaceAndSuffix>|"),
            u"Anna|||");
  EXPECT_TRUE(boxes.shown.empty());

  // Fields every Outlook has still report it, and so do other failures.
  EXPECT_EQ(Get(item, u"FirstName"), u"");
  item.Fail(u"IMAddress", fail::kAutomationError);
  EXPECT_EQ(Get(item, u"IMAddress"), u"");
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].prompt.substr(0, 5), u"438: ");
  EXPECT_EQ(boxes.shown[1].prompt.substr(0, 5), u"440: ");
}

TEST_F(ContactFields, AClickReadsOnlyWhatTheTemplateNames) {
  auto item = std::make_shared<FakeItem>();
  item->SetNumber(u"Gender", fields::kMale).Set(u"LastName", u"Weiß").Set(u"Title", u"Dr.");
  module.AdressFormatLines = std::vector<Text>{
      u"<Title> <FirstName> <LastName>", u"<JobTitle>, <Department>",
      u"<BusinessAddressStreet>", u"<BusinessAddressPostalCode> <BusinessAddressCity>",
      u"<Email1Address>", u"", u"<Briefanrede>"};
  auto text = vellox.BuildAddressText({item, item});
  ASSERT_TRUE(text);
  EXPECT_EQ(text->substr(0, 9), u"Dr.  Weiß");
  // Ten placeholders: one read each, the letter's greeting three (Gender,
  // LastName, Title), per contact.
  EXPECT_EQ(item->reads, 2 * 12);
}

TEST_F(ContactFields, TheFieldListKeepsItsSevenEntriesAndThenGroupsEveryField) {
  const auto& entries = fields::ListEntries();
  ASSERT_GT(entries.size(), 7u);
  const std::vector<Text> first = {u"<FullName>", u"<CompanyName>", u"<MailingAddress>",
                                   u"<MailingAddressStreet>",
                                   u"<MailingAddressPostalCode> <MailingAddressCity>",
                                   u"<MailingAddressCountry>", u"<BusinessFaxNumber>"};
  for (size_t i = 0; i < first.size(); ++i) EXPECT_EQ(entries[i].text, first[i]);
  EXPECT_EQ(entries[4].label, u"Postleitzahl und Ort (Postanschrift)");

  // After them the groups, each in one stretch, in this order; every field
  // of the table in exactly one entry; a pair entry for each address.
  using fields::Group;
  const Group order[] = {Group::kFirst, Group::kNames, Group::kCompany, Group::kBusinessAddress,
                         Group::kHomeAddress, Group::kOtherAddress, Group::kPhone,
                         Group::kOnline, Group::kOther};
  size_t at = 0;
  std::multiset<TextView> placed;
  for (size_t i = 0; i < entries.size(); ++i) {
    const Text& text = entries[i].text;
    EXPECT_FALSE(entries[i].label.empty()) << ToUtf8(text);
    EXPECT_EQ(fields::LabelOfEntry(text), entries[i].label);
    TextView rest = text;
    const fields::Field* firstField = nullptr;
    while (!rest.empty()) {
      ASSERT_EQ(rest.front(), u'<') << ToUtf8(text);
      const size_t close = rest.find(u'>');
      const fields::Field* f = fields::Find(rest.substr(1, close - 1));
      ASSERT_NE(f, nullptr) << ToUtf8(text);
      placed.insert(f->name);
      if (!firstField) firstField = f;
      EXPECT_EQ(f->group, firstField->group);
      rest = rest.substr(std::min(rest.size(), close + 2));
    }
    while (at < std::size(order) && order[at] != firstField->group) ++at;
    ASSERT_LT(at, std::size(order)) << "out of order: " << ToUtf8(text);
    if (i < 7) {
      EXPECT_EQ(firstField->group, Group::kFirst);
    } else {
      EXPECT_NE(firstField->group, Group::kFirst);
    }
  }
  for (const fields::Field& f : fields::All()) EXPECT_EQ(placed.count(f.name), 1u) << ToUtf8(f.name);
  for (const char16_t* pair :
       {u"<BusinessAddressPostalCode> <BusinessAddressCity>", u"<HomeAddressPostalCode> <HomeAddressCity>",
        u"<OtherAddressPostalCode> <OtherAddressCity>"}) {
    EXPECT_FALSE(fields::LabelOfEntry(pair).empty()) << ToUtf8(pair);
  }
  EXPECT_EQ(fields::LabelOfEntry(u"<FirstName>"), u"Vorname");
  EXPECT_EQ(fields::LabelOfEntry(u"<MobileTelephoneNumber>"), u"Mobiltelefon");
  EXPECT_EQ(fields::LabelOfEntry(u"<Nonsense>"), u"");
}

}  // namespace
}  // namespace vx
