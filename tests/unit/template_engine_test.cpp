// The address template engine: DecodeLine, GetPropValue, BuildAddressText.
#include <gtest/gtest.h>

#include <functional>

#include "addin/clsVellox.h"
#include "platform/failure.h"
#include "tests/fakes/fake_item.h"
#include "tests/fakes/memory_store.h"
#include "tests/fakes/recording_boxes.h"
#include "tests/fakes/unused_services.h"

namespace vx {
namespace {

using fake::FakeItem;
using fake::MakeContact;

// Recording boxes that can also run something while a box is "open".
class Boxes : public fake::RecordingBoxes {
 public:
  void Display(const Text& prompt, int32_t style, const Text& title) override {
    RecordingBoxes::Display(prompt, style, title);
    if (whileShown) whileShown();
  }
  std::function<void()> whileShown;
};

const Text kDelimiterPrompt = u"Feldbegrenzungen ('<>') treten nicht paarweise auf in Zeile\r\n";
const Text kDecodeLineSuffix = u"\r\n\r\n in Funktion 'DecodeLine' von Klassenmodul 'clsVellox'";
const Text kGetPropValueSuffix =
    u"\r\n\r\n in Funktion 'GetPropValue' von Klassenmodul 'clsVellox'";

class TemplateEngine : public ::testing::Test {
 protected:
  Text Decode(const Text& line) { return vellox.DecodeLine(*contact, line); }

  // BuildAddressText over the given template and contacts.
  std::optional<Text> Build(std::vector<Text> lines, std::vector<std::shared_ptr<ol::Item>> items) {
    module.AdressFormatLines = std::move(lines);
    return vellox.BuildAddressText(items);
  }

  void ExpectOneDecodeLineReport(int32_t number) {
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt,
              Decimal(number) + u": " + DescriptionOf(number) + kDecodeLineSuffix);
    EXPECT_EQ(boxes.shown[0].style, 16);
    EXPECT_EQ(boxes.shown[0].title, u"DecodeLine");
  }

  void ExpectOneDelimiterMessage(const Text& line) {
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].prompt, kDelimiterPrompt + line);
    EXPECT_EQ(boxes.shown[0].style, 16);
    EXPECT_EQ(boxes.shown[0].title, u"Vellox");
  }

  fake::MemoryStore store;
  Boxes boxes;
  fake::UnusedClipboard clipboard;
  fake::UnusedSplash splash;
  mdlAllgemein module{AddinServices{store, boxes, clipboard, splash}};
  clsVellox vellox{module};
  std::shared_ptr<FakeItem> contact =
      MakeContact(u"Jürgen Weiß", u"Müller & Söhne GmbH", u"Hauptstraße 5\r\n80331 München");
};

const std::vector<Text> kDefault = {u"<FullName>", u"<CompanyName>", u"<MailingAddress>"};

// ---------------------------------------------------------------------------
// DecodeLine: literal text
// ---------------------------------------------------------------------------

TEST_F(TemplateEngine, EmptyLineYieldsEmptyText) {
  EXPECT_EQ(Decode(u""), u"");
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TemplateEngine, LineWithoutOpeningDelimiterIsReturnedUnchanged) {
  for (const Text line :
       {u"Herrn", u"a > b", u">", u">>FullName>>", u"  blanks  ", u"Ünïcødé 東京 🙂"}) {
    EXPECT_EQ(Decode(line), line);
  }
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(contact->reads, 0);
}

TEST_F(TemplateEngine, LinesFullOfClosingDelimitersStayUnchangedAtAnyLength) {
  const Text closing(40000, u'>');
  EXPECT_EQ(Decode(closing), closing);
  const Text plain(40000, u'x');
  EXPECT_EQ(Decode(plain), plain);
  EXPECT_TRUE(boxes.shown.empty());
}

// ---------------------------------------------------------------------------
// DecodeLine: placeholders
// ---------------------------------------------------------------------------

TEST_F(TemplateEngine, PlaceholderYieldsThePropertyOfTheSameName) {
  EXPECT_EQ(Decode(u"<FullName>"), u"Jürgen Weiß");
  EXPECT_EQ(contact->ReadsOf(u"FullName"), 1);
}

TEST_F(TemplateEngine, FieldNameIsTrimmedOfBlanksOnly) {
  EXPECT_EQ(Decode(u"< FullName >"), u"Jürgen Weiß");
  EXPECT_EQ(Decode(u"<     FullName>"), u"Jürgen Weiß");
  EXPECT_EQ(Decode(u"<\tFullName>"), u"!!FEHLER: unbekannter Feldname '\tFullName' !!");
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TemplateEngine, LiteralTextAroundPlaceholdersIsKeptInOrder) {
  EXPECT_EQ(Decode(u"x<FullName>y<CompanyName>z"), u"xJürgen WeißyMüller & Söhne GmbHz");
  EXPECT_EQ(Decode(u"  An: <FullName>  "), u"  An: Jürgen Weiß  ");
  EXPECT_EQ(Decode(u"<FullName><FullName>"), u"Jürgen WeißJürgen Weiß");
  EXPECT_EQ(contact->ReadsOf(u"FullName"), 4);
}

TEST_F(TemplateEngine, EmptyPlaceholdersContributeNothing) {
  EXPECT_EQ(Decode(u"<>"), u"");
  EXPECT_EQ(Decode(u"<   >"), u"");
  EXPECT_EQ(Decode(u"a<>b< >c"), u"abc");
  EXPECT_EQ(contact->reads, 0);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TemplateEngine, ClosingDelimitersAfterTheLastPlaceholderAreLiteral) {
  EXPECT_EQ(Decode(u"<FullName>>"), u"Jürgen Weiß>");
  EXPECT_EQ(Decode(u"<FullName> > >"), u"Jürgen Weiß > >");
}

TEST_F(TemplateEngine, OpeningDelimiterInsidePlaceholderBecomesPartOfTheName) {
  EXPECT_EQ(Decode(u"<<FullName>>"), u"!!FEHLER: unbekannter Feldname '<FullName' !!>");
  EXPECT_EQ(Decode(u"<<<>>>"), u"!!FEHLER: unbekannter Feldname '<<' !!>>");
  EXPECT_EQ(contact->reads, 0);
}

TEST_F(TemplateEngine, PropertyValuesAreUsedExactlyAsReturned) {
  contact->Set(u"FullName", u"  Zoë\r\nŁódź 東京 🙂  ");
  contact->Set(u"CompanyName", u"<FullName>");  // not expanded again
  EXPECT_EQ(Decode(u"[<FullName>]"), u"[  Zoë\r\nŁódź 東京 🙂  ]");
  EXPECT_EQ(Decode(u"<CompanyName> <FullName>"), u"<FullName>   Zoë\r\nŁódź 東京 🙂  ");
  contact->Set(u"FullName", u"");
  EXPECT_EQ(Decode(u"a<FullName>b"), u"ab");
  EXPECT_EQ(Decode(u"<FullName>"), u"");
}

TEST_F(TemplateEngine, PositionsCountUtf16UnitsNotBytes) {
  // Umlauts, a non-Latin-1 character and a surrogate pair before and between
  // placeholders: the cut points fall exactly at the delimiters.
  EXPECT_EQ(Decode(u"ÄÖÜß €🙂<FullName>€🙂<CompanyName>ç"),
            u"ÄÖÜß €🙂Jürgen Weiß€🙂Müller & Söhne GmbHç");
}

// ---------------------------------------------------------------------------
// GetPropValue
// ---------------------------------------------------------------------------

TEST_F(TemplateEngine, EveryFieldOfTheTableReadsThePropertyOfTheSameName) {
  const Text fields[] = {u"FullName",
                         u"CompanyName",
                         u"MailingAddress",
                         u"MailingAddressCity",
                         u"MailingAddressStreet",
                         u"MailingAddressPostalCode",
                         u"MailingAddressCountry",
                         u"BusinessFaxNumber"};
  FakeItem item;
  for (const Text& f : fields) item.Set(f, u"value of " + f);
  for (const Text& f : fields) {
    EXPECT_EQ(vellox.GetPropValue(item, f), u"value of " + f);
    EXPECT_EQ(item.ReadsOf(f), 1) << ToUtf8(f);
    EXPECT_EQ(vellox.DecodeLine(item, u"<" + f + u">"), u"value of " + f);
  }
  EXPECT_EQ(item.reads, 16);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TemplateEngine, UnknownFieldNameGivesTheErrorTextWithoutBoxOrRead) {
  for (const Text name : {u"fullname", u"FULLNAME", u"Fullname", u"FullName2", u"EntryID", u"Body", u"Gender",
                          u"Class", u"Straße", u"<", u"a b"}) {
    EXPECT_EQ(vellox.GetPropValue(*contact, name),
              u"!!FEHLER: unbekannter Feldname '" + name + u"' !!");
  }
  EXPECT_EQ(Decode(u"<fullname>"), u"!!FEHLER: unbekannter Feldname 'fullname' !!");
  EXPECT_EQ(contact->reads, 0);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TemplateEngine, FailedPropertyReadIsReportedAndReadsAsEmpty) {
  contact->Fail(u"FullName", fail::kMemberNotFound);
  EXPECT_EQ(vellox.GetPropValue(*contact, u"FullName"), u"");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].prompt,
            u"438: Objekt unterstützt diese Eigenschaft oder Methode nicht" + kGetPropValueSuffix);
  EXPECT_EQ(boxes.shown[0].style, 16);
  EXPECT_EQ(boxes.shown[0].title, u"GetPropValue");
}

TEST_F(TemplateEngine, DecodeLineGoesOnAfterAFailedRead) {
  contact->Fail(u"FullName", fail::kAutomationError);
  EXPECT_EQ(Decode(u"x<FullName>y<CompanyName>z"), u"xyMüller & Söhne GmbHz");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].title, u"GetPropValue");
  EXPECT_EQ(contact->ReadsOf(u"CompanyName"), 1);
}

TEST_F(TemplateEngine, ReportCarriesTheDescriptionTheReadFailedWith) {
  struct Custom : FakeItem {
    Text GetText(const Text&) override { Raise(-2147352567, u"Der Vorgang ist fehlgeschlagen."); }
  } item;
  EXPECT_EQ(vellox.GetPropValue(item, u"CompanyName"), u"");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].prompt,
            u"-2147352567: Der Vorgang ist fehlgeschlagen." + kGetPropValueSuffix);
}

// ---------------------------------------------------------------------------
// DecodeLine: unpaired delimiters
// ---------------------------------------------------------------------------

TEST_F(TemplateEngine, UnpairedOpeningDelimiterShowsTheWholeLineAndYieldsNothing) {
  EXPECT_EQ(Decode(u"<FullName"), u"");
  ExpectOneDelimiterMessage(u"<FullName");
  EXPECT_EQ(contact->reads, 0);
}

TEST_F(TemplateEngine, TextBuiltBeforeTheUnpairedDelimiterIsLost) {
  const Text line = u"An <FullName> <CompanyName";
  EXPECT_EQ(Decode(line), u"");
  ExpectOneDelimiterMessage(line);
  EXPECT_EQ(contact->ReadsOf(u"FullName"), 1);
}

TEST_F(TemplateEngine, LineFullOfOpeningDelimitersShowsTheDelimiterMessage) {
  const Text opening(40000, u'<');
  EXPECT_EQ(Decode(opening), u"");
  ExpectOneDelimiterMessage(opening);
  boxes.shown.clear();
  EXPECT_EQ(Decode(u"<"), u"");
  ExpectOneDelimiterMessage(u"<");
}

// ---------------------------------------------------------------------------
// DecodeLine: failures 5 and 6
// ---------------------------------------------------------------------------

TEST_F(TemplateEngine, ClosingDelimiterBeforeTheNextOpeningOneIsFailure5) {
  EXPECT_EQ(Decode(u"a > <FullName>"), u"");
  ExpectOneDecodeLineReport(5);
  EXPECT_EQ(contact->reads, 0);
}

TEST_F(TemplateEngine, Failure5AfterAnExpandedPlaceholderLosesTheWholeLine) {
  EXPECT_EQ(Decode(u"<FullName> > <CompanyName>"), u"");
  ExpectOneDecodeLineReport(5);
  boxes.shown.clear();
  EXPECT_EQ(Decode(u"><"), u"");
  ExpectOneDecodeLineReport(5);
}

TEST_F(TemplateEngine, AlternatingClosingAndOpeningDelimitersFailWith5) {
  Text line;
  for (int i = 0; i < 20000; ++i) line += u"><";
  EXPECT_EQ(Decode(line), u"");
  ExpectOneDecodeLineReport(5);
}

TEST_F(TemplateEngine, OpeningDelimiterBeyondPosition32767IsFailure6) {
  Text line(40000, u'x');
  line.replace(34999, 10, u"<FullName>");
  EXPECT_EQ(Decode(line), u"");
  ExpectOneDecodeLineReport(6);
  EXPECT_EQ(contact->reads, 0);
}

TEST_F(TemplateEngine, LastUsablePositionsAre32766And32767) {
  // A placeholder ending at position 32,766: the rest starts at 32,767.
  Text fits = Text(32756, u'x') + u"<FullName>" + Text(7000, u'y');
  ASSERT_EQ(fits.find(u'>'), 32765u);
  EXPECT_EQ(Decode(fits), Text(32756, u'x') + u"Jürgen Weiß" + Text(7000, u'y'));
  EXPECT_TRUE(boxes.shown.empty());

  // Ending at 32,767: the rest would start at 32,768.
  Text beyond = Text(32757, u'x') + u"<FullName>";
  EXPECT_EQ(Decode(beyond), u"");
  ExpectOneDecodeLineReport(6);

  // A "<" at 32,767 whose ">" lies beyond.
  boxes.shown.clear();
  EXPECT_EQ(Decode(Text(32766, u'x') + u"<FullName>"), u"");
  ExpectOneDecodeLineReport(6);
}

TEST_F(TemplateEngine, PositionsCountFromTheRestOfTheLineNotItsStart) {
  // 40,000 characters of placeholders: each search starts again in the rest.
  Text line;
  Text expected;
  for (int i = 0; i < 4000; ++i) {
    line += u"<FullName>";
    expected += u"Jürgen Weiß";
  }
  ASSERT_EQ(line.size(), 40000u);
  EXPECT_EQ(Decode(line), expected);

  Text empties;
  for (int i = 0; i < 20000; ++i) empties += u"<>";
  EXPECT_EQ(Decode(empties), u"");
  EXPECT_EQ(Decode(u"<FullName>" + Text(39990, u'z')), u"Jürgen Weiß" + Text(39990, u'z'));
  EXPECT_TRUE(boxes.shown.empty());
}

// ---------------------------------------------------------------------------
// BuildAddressText
// ---------------------------------------------------------------------------

TEST_F(TemplateEngine, TemplateNeverLoadedIsFailure9ForTheCaller) {
  ASSERT_FALSE(module.AdressFormatLines.has_value());
  EXPECT_EQ(ResumeNext([&] { vellox.BuildAddressText({contact}); }), 9);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TemplateEngine, NoContactsGiveNothing) {
  EXPECT_EQ(Build(kDefault, {}), std::nullopt);
  module.AdressFormatLines.reset();
  EXPECT_EQ(vellox.BuildAddressText({}), std::nullopt);
}

TEST_F(TemplateEngine, OneContactGivesItsLinesWithoutFinalBreak) {
  EXPECT_EQ(Build(kDefault, {contact}),
            u"Jürgen Weiß\r\nMüller & Söhne GmbH\r\nHauptstraße 5\r\n80331 München");
  EXPECT_EQ(contact->reads, 3);
}

TEST_F(TemplateEngine, ContactWithoutCompanyGetsNoEmptyLine) {
  contact->Set(u"CompanyName", u"");
  EXPECT_EQ(Build(kDefault, {contact}), u"Jürgen Weiß\r\nHauptstraße 5\r\n80331 München");
}

TEST_F(TemplateEngine, TwoContactsAreSeparatedByOneEmptyLine) {
  auto second = MakeContact(u"Ærøskøbing Ltd.", u"", u"Øster Gade 1");
  EXPECT_EQ(Build(kDefault, {contact, second}),
            u"Jürgen Weiß\r\nMüller & Söhne GmbH\r\nHauptstraße 5\r\n80331 München"
            u"\r\n\r\n"
            u"Ærøskøbing Ltd.\r\nØster Gade 1");
}

TEST_F(TemplateEngine, LiteralLineStaysWhileAnEmptyFieldLineIsDropped) {
  contact->Set(u"CompanyName", u"");
  EXPECT_EQ(Build({u"Firma", u"<CompanyName>", u"<FullName>"}, {contact}), u"Firma\r\nJürgen Weiß");
}

TEST_F(TemplateEngine, EmptyTemplateLineAlwaysGivesAnEmptyLine) {
  EXPECT_EQ(Build({u"<FullName>", u"", u"<CompanyName>"}, {contact}),
            u"Jürgen Weiß\r\n\r\nMüller & Söhne GmbH");
}

TEST_F(TemplateEngine, LinesExpandingToNothingVanish) {
  EXPECT_EQ(Build({u"<FullName>", u"<>", u"< >", u"<Fax", u"x > <FullName>", u"<CompanyName>"},
                  {contact}),
            u"Jürgen Weiß\r\nMüller & Söhne GmbH");
  ASSERT_EQ(boxes.shown.size(), 2u);  // the delimiter message, then failure 5
  EXPECT_EQ(boxes.shown[0].prompt, kDelimiterPrompt + u"<Fax");
  EXPECT_EQ(boxes.shown[1].title, u"DecodeLine");
}

TEST_F(TemplateEngine, FaultyLineIsReportedOncePerContact) {
  auto second = MakeContact(u"Zweiter", u"", u"");
  EXPECT_EQ(Build({u"<FullName>", u"<CompanyName"}, {contact, second}),
            u"Jürgen Weiß\r\n\r\nZweiter");
  EXPECT_EQ(boxes.shown.size(), 2u);
}

TEST_F(TemplateEngine, TooShortResultGivesNothing) {
  auto empty = MakeContact(u"", u"", u"");
  EXPECT_EQ(Build({u""}, {empty}), std::nullopt);            // T = CR LF CR LF
  EXPECT_EQ(Build(kDefault, {empty}), std::nullopt);         // T = CR LF
  EXPECT_EQ(Build(kDefault, {empty, empty}), std::nullopt);  // T = CR LF CR LF
}

TEST_F(TemplateEngine, OneCharacterIsEnoughToCopy) {
  auto x = MakeContact(u"X", u"", u"");
  EXPECT_EQ(Build(kDefault, {x}), u"X");
  auto umlaut = MakeContact(u"", u"", u"Ä");
  EXPECT_EQ(Build(kDefault, {umlaut}), u"Ä");
}

TEST_F(TemplateEngine, ContactWithoutKeptLinesStillAddsOneBreak) {
  auto anna = MakeContact(u"Anna", u"", u"");
  auto nobody = MakeContact(u"", u"", u"");
  EXPECT_EQ(Build(kDefault, {anna, nobody}), u"Anna\r\n");
  EXPECT_EQ(Build(kDefault, {nobody, anna}), u"\r\nAnna");
  EXPECT_EQ(Build(kDefault, {nobody, nobody, nobody}), u"\r\n");
}

TEST_F(TemplateEngine, TemplateEndingInAnEmptyLineEndsTheTextWithABreak) {
  EXPECT_EQ(Build({u"<FullName>", u""}, {contact}), u"Jürgen Weiß\r\n");
}

TEST_F(TemplateEngine, MultiLineValuesAndLongLinesPassThrough) {
  const Text longName(40000, u'ö');
  contact->Set(u"FullName", longName);
  contact->Set(u"MailingAddress", u"Zeile 1\r\n\r\nZeile 3\r\n");
  EXPECT_EQ(Build(kDefault, {contact}),
            longName + u"\r\nMüller & Söhne GmbH\r\nZeile 1\r\n\r\nZeile 3\r\n");
}

TEST_F(TemplateEngine, EmptyTemplateListGivesOneBreakPerContact) {
  EXPECT_EQ(Build({}, {contact, contact}), std::nullopt);
  EXPECT_EQ(contact->reads, 0);
}

TEST_F(TemplateEngine, TemplateIndexIsSixteenBit) {
  std::vector<Text> lines(32768);  // last index 32,767
  lines[0] = u"<FullName>";
  // One break after the name, one per empty line, one closing the block;
  // the last two are removed.
  Text expected = u"Jürgen Weiß";
  for (int i = 0; i < 1 + 32767 + 1 - 2; ++i) expected += u"\r\n";
  EXPECT_EQ(Build(lines, {contact}), expected);
  module.AdressFormatLines->push_back(u"");  // last index 32,768
  EXPECT_EQ(ResumeNext([&] { vellox.BuildAddressText({contact}); }), 6);
}

TEST_F(TemplateEngine, TemplateReplacedWhileABoxIsOpenIsFailure9NotACrash) {
  boxes.whileShown = [&] { module.AdressFormatLines = std::vector<Text>{u"<FullName>"}; };
  module.AdressFormatLines = std::vector<Text>{u"<CompanyName", u"<FullName>", u"<CompanyName>"};
  EXPECT_EQ(ResumeNext([&] { vellox.BuildAddressText({contact}); }), 9);
}

TEST_F(TemplateEngine, TemplateReplacedBetweenContactsIsReadAfreshForEachContact) {
  auto second = MakeContact(u"Zweiter", u"Zweite Firma", u"");
  boxes.whileShown = [&] { module.AdressFormatLines = std::vector<Text>{u"<CompanyName>"}; };
  // The one line of contact 1 shows a box and the template is replaced:
  // contact 2 is expanded with the new one.
  module.AdressFormatLines = std::vector<Text>{u"<FullName"};
  EXPECT_EQ(vellox.BuildAddressText({contact, second}), u"\r\nZweite Firma");
}

TEST_F(TemplateEngine, EmptyReferenceInTheListReadsAsAFailedRead) {
  EXPECT_EQ(Build({u"A<FullName>"}, {nullptr}), u"A");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].title, u"GetPropValue");
  EXPECT_EQ(boxes.shown[0].prompt.substr(0, 4), u"91: ");
}

}  // namespace
}  // namespace vx
