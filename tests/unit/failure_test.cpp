#include <gtest/gtest.h>

#include "platform/failure.h"
#include "platform/report.h"
#include "platform/settings.h"
#include "tests/fakes/recording_boxes.h"
#include "tests/unit/failing_allocator.h"

namespace vx {
namespace {

TEST(Failure, SixteenBitHelperOverflowsBeyond32767) {
  EXPECT_EQ(ToInt16(32767), 32767);
  EXPECT_EQ(ToInt16(-32768), -32768);
  try {
    ToInt16(32768);
    FAIL() << "no overflow";
  } catch (const Failure& f) {
    EXPECT_EQ(f.number(), 6);
    EXPECT_EQ(f.description(), u"Überlauf");
  }
}

TEST(Failure, ResumeNextReportsTheNumberAndGoesOn) {
  EXPECT_EQ(ResumeNext([] { Raise(5); }), 5);
  EXPECT_EQ(ResumeNext([] { throw std::bad_alloc(); }), 7);
  EXPECT_EQ(ResumeNext([] {}), 0);
  std::shared_ptr<int> empty;
  EXPECT_EQ(ResumeNext([&] { Need(empty); }), 91);
}

TEST(Failure, WithNoMemoryLeftNothingEscapesResumeNextOrGuarded) {
  fake::RecordingBoxes boxes;
  int32_t number = 0;
  bool ran = true;
  {
    test::FailingAllocations none;
    number = ResumeNext([] { throw std::bad_alloc(); });
    ran = Guarded(boxes, GermanBox(u"ReadAdressFormat", u"Designer", u"Connect"), [] { Raise(70); });
  }
  EXPECT_EQ(number, 7);
  EXPECT_FALSE(ran);
  EXPECT_TRUE(boxes.shown.empty()) << "no memory for the report's text";
}

TEST(Report, BothFamiliesFormatNumberDescriptionAndSuffix) {
  Failure f(9, DescriptionOf(9));
  ErrorBox german = GermanBox(u"ReadAdressFormat", u"Designer", u"Connect");
  EXPECT_EQ(german.title, u"ReadAdressFormat");
  EXPECT_EQ(german.style, 16);
  EXPECT_EQ(FormatReport(f, german.Suffix()),
            u"9: Index außerhalb des gültigen Bereichs\r\n\r\n"
            u" in Funktion 'ReadAdressFormat' von Designer 'Connect'");
  ErrorBox english = EnglishBox(u" in procedure ClipBoard_SetText of Modul mdlClipboard");
  EXPECT_EQ(english.title, u"Vellox");
  EXPECT_EQ(english.style, 0);
}

TEST(Settings, LineKeysParseOnlyPlainDecimalDigits) {
  EXPECT_EQ(LineKey(10), u"Line10");
  EXPECT_TRUE(IsLineKey(u"Line"));
  EXPECT_FALSE(IsLineKey(u"line1"));
  EXPECT_EQ(LineNumberOf(u"Line1"), 1);
  EXPECT_EQ(LineNumberOf(u"Line0"), 0);
  EXPECT_EQ(LineNumberOf(u"Line32767"), 32767);
  for (const char16_t* key : {u"Line", u"LineX", u"Line 1", u"Line-1", u"Line1a"}) {
    EXPECT_EQ(ResumeNext([&] { LineNumberOf(key); }), 13) << ToUtf8(key);
  }
  EXPECT_EQ(ResumeNext([] { LineNumberOf(u"Line99999"); }), 6);
  EXPECT_EQ(ResumeNext([] { LineNumberOf(u"Line99999999999999999999999"); }), 6);
}

}  // namespace
}  // namespace vx
