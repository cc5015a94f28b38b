// ClipBoard_SetText against the recording clipboard: the order of the calls,
// the bytes per format, the early stops and what is freed on each path.
#include <gtest/gtest.h>

#include <algorithm>

#include "addin/mdlAllgemein.h"
#include "tests/fakes/memory_store.h"
#include "tests/fakes/recording_boxes.h"
#include "tests/fakes/recording_clipboard.h"
#include "tests/fakes/unused_services.h"

namespace vx {
namespace {

using Steps = std::vector<std::string>;

class ClipboardWriter : public ::testing::Test {
 protected:
  bool Write(const Text& text) { return module.ClipBoard_SetText(text); }
  std::string Utf16Bytes(const Text& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  }

  fake::MemoryStore store;
  fake::RecordingBoxes boxes;
  fake::RecordingClipboard clipboard;
  fake::UnusedSplash splash;
  mdlAllgemein module{AddinServices{store, boxes, clipboard, splash}};
};

TEST_F(ClipboardWriter, PreparesBothBlocksThenSetsThemInOneOpenCloseCycle) {
  const Text text = u"Jörg Müller\r\nHauptstraße 1\r\n12345 Köln";
  ASSERT_TRUE(Write(text));
  EXPECT_EQ(clipboard.steps, (Steps{"ToAnsi", "Alloc 39 #1", "Lock #1", "Unlock #1",
                                    "Alloc 78 #2", "Lock #2", "Unlock #2", "Open", "Empty",
                                    "SetData 1 #1", "SetData 13 #2", "Close"}));
  // CF_TEXT: the 1252 bytes with CR LF, and exactly one terminating zero.
  EXPECT_EQ(clipboard.Bytes(ClipboardApi::kText),
            std::string("J\xF6rg M\xFCller\r\nHauptstra\xDF" "e 1\r\n12345 K\xF6ln") + '\0');
  EXPECT_EQ(clipboard.UnicodeText(), text);
  EXPECT_EQ(clipboard.Bytes(ClipboardApi::kUnicodeText), Utf16Bytes(text) + std::string(2, '\0'));
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(clipboard.LiveBlocks(), 0);
  EXPECT_EQ(clipboard.misuses, 0);
  EXPECT_FALSE(clipboard.IsOpen());
}

TEST_F(ClipboardWriter, EmptyTextGivesASingleZeroByte) {
  ASSERT_TRUE(Write(u""));
  EXPECT_EQ(clipboard.Bytes(ClipboardApi::kText), std::string(1, '\0'));
  EXPECT_EQ(clipboard.Bytes(ClipboardApi::kUnicodeText), std::string(2, '\0'));
}

TEST_F(ClipboardWriter, AZeroCharacterEndsTheCopyButNotTheBlock) {
  // Copied like lstrcpy: up to the first zero; the block keeps its size.
  ASSERT_TRUE(Write(Text(u"ab\0cd", 5)));
  EXPECT_EQ(clipboard.Bytes(ClipboardApi::kText), std::string("ab\0\0\0\0", 6));
  EXPECT_EQ(clipboard.UnicodeText(), u"ab");
}

// Another program holding the clipboard: tried ten times, 25 ms apart; one
// that lets go meanwhile gets the text, one that does not leaves its content
// and the user is told that nothing was copied.
TEST_F(ClipboardWriter, ABusyClipboardIsTriedAgainBrieflyThenReportedAndLeftAsItWas) {
  clipboard.busyFor = 3;
  ASSERT_TRUE(Write(u"Müller"));
  const Steps& s = clipboard.steps;
  auto open = std::find(s.begin(), s.end(), "Open");
  ASSERT_NE(open, s.end());
  EXPECT_EQ(Steps(open, s.end()), (Steps{"Open", "Wait 25", "Open", "Wait 25", "Open", "Wait 25",
                                         "Open", "Empty", "SetData 1 #1", "SetData 13 #2", "Close"}));
  EXPECT_EQ(clipboard.AnsiText(), "M\xFCller");
  EXPECT_TRUE(boxes.shown.empty());

  fake::RecordingClipboard held;
  held.Put(ClipboardApi::kText, std::string("fremd\0", 6));
  held.busy = true;
  mdlAllgemein m{AddinServices{store, boxes, held, splash}};
  EXPECT_FALSE(m.ClipBoard_SetText(u"Müller"));
  const Steps& t = held.steps;
  EXPECT_EQ(std::count(t.begin(), t.end(), "Open"), 10);
  EXPECT_EQ(std::count(t.begin(), t.end(), "Wait 25"), 9);
  EXPECT_EQ(std::count(t.begin(), t.end(), "Empty"), 0);
  EXPECT_EQ(std::count(t.begin(), t.end(), "Close"), 0);
  EXPECT_EQ(held.AnsiText(), "fremd");
  EXPECT_FALSE(held.UnicodeText());
  EXPECT_EQ(held.LiveBlocks(), 0) << "both blocks are freed";
  EXPECT_EQ(held.misuses, 0);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].prompt,
            u"Die Zwischenablage wird gerade von einem anderen Programm verwendet. "
            u"Die Adresse wurde nicht kopiert.");
  EXPECT_EQ(boxes.shown[0].style, 0);
  EXPECT_EQ(boxes.shown[0].title, u"Vellox");
}

TEST_F(ClipboardWriter, ATextBlockThatCannotBePreparedStopsBeforeOpening) {
  struct Case {
    const char* what;
    void (*arrange)(fake::RecordingClipboard&);
    Steps steps;
  };
  const Case cases[] = {
      {"alloc fails", [](fake::RecordingClipboard& c) { c.failAllocOf = 1; },
       {"ToAnsi", "Alloc 7 failed"}},
      {"lock fails", [](fake::RecordingClipboard& c) { c.failLockOf = 1; },
       {"ToAnsi", "Alloc 7 #1", "Lock #1", "Free #1"}},
      {"stays locked", [](fake::RecordingClipboard& c) { c.failUnlockOf = 1; },
       {"ToAnsi", "Alloc 7 #1", "Lock #1", "Unlock #1", "Free #1"}},
  };
  for (const Case& c : cases) {
    fake::RecordingClipboard fresh;
    c.arrange(fresh);
    fresh.Put(ClipboardApi::kText, std::string("fremd\0", 6));
    mdlAllgemein m{AddinServices{store, boxes, fresh, splash}};
    EXPECT_FALSE(m.ClipBoard_SetText(u"Müller")) << c.what;
    EXPECT_EQ(fresh.steps, c.steps) << c.what;
    EXPECT_EQ(fresh.AnsiText(), "fremd") << c.what;
    EXPECT_EQ(fresh.LiveBlocks(), 0) << c.what;
    EXPECT_EQ(fresh.misuses, 0) << c.what;
  }
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ClipboardWriter, AUnicodeBlockThatCannotBePreparedIsLeftOutAlone) {
  struct Case {
    const char* what;
    void (*arrange)(fake::RecordingClipboard&);
  };
  const Case cases[] = {
      {"alloc fails", [](fake::RecordingClipboard& c) { c.failAllocOf = 2; }},
      {"lock fails", [](fake::RecordingClipboard& c) { c.failLockOf = 2; }},
      {"stays locked", [](fake::RecordingClipboard& c) { c.failUnlockOf = 2; }},
  };
  for (const Case& c : cases) {
    fake::RecordingClipboard fresh;
    c.arrange(fresh);
    fresh.Put(ClipboardApi::kUnicodeText, std::string("x\0\0\0", 4));
    mdlAllgemein m{AddinServices{store, boxes, fresh, splash}};
    EXPECT_TRUE(m.ClipBoard_SetText(u"Müller")) << c.what;
    EXPECT_EQ(fresh.AnsiText(), "M\xFCller") << c.what;
    EXPECT_FALSE(fresh.UnicodeText()) << c.what << ": the old one is emptied away";
    EXPECT_EQ(fresh.LiveBlocks(), 0) << c.what;
    EXPECT_EQ(fresh.misuses, 0) << c.what;
    const Steps& s = fresh.steps;
    auto open = std::find(s.begin(), s.end(), "Open");
    ASSERT_NE(open, s.end());
    EXPECT_EQ(Steps(open, s.end()), (Steps{"Open", "Empty", "SetData 1 #1", "Close"})) << c.what;
  }
}

TEST_F(ClipboardWriter, ARefusedBlockIsFreedAndTheResultIsStillClosings) {
  clipboard.failSetDataOf = ClipboardApi::kText;
  EXPECT_TRUE(Write(u"Müller"));
  EXPECT_FALSE(clipboard.AnsiText());
  EXPECT_EQ(clipboard.UnicodeText(), u"Müller");
  EXPECT_EQ(clipboard.steps.back(), "Free #1");
  EXPECT_EQ(clipboard.LiveBlocks(), 0);

  fake::RecordingClipboard refusing;
  refusing.failSetDataOf = ClipboardApi::kUnicodeText;
  mdlAllgemein m{AddinServices{store, boxes, refusing, splash}};
  EXPECT_TRUE(m.ClipBoard_SetText(u"Müller"));
  EXPECT_EQ(refusing.AnsiText(), "M\xFCller");
  EXPECT_EQ(refusing.LiveBlocks(), 0);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ClipboardWriter, AFailedCloseGivesFalseWithoutAMessage) {
  clipboard.failClose = true;
  EXPECT_FALSE(Write(u"Müller"));
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(clipboard.LiveBlocks(), 0) << "the clipboard took both blocks";
  EXPECT_EQ(clipboard.misuses, 0) << "nothing freed that the clipboard owns";
}

TEST_F(ClipboardWriter, AFailureInsideIsReportedAndLeavesNothingOpenOrAllocated) {
  const std::pair<const char*, int> raisingCalls[] = {
      {"ToAnsi", 1}, {"Alloc", 1}, {"Alloc", 2}, {"Lock", 1},  {"Lock", 2},   {"Unlock", 1},
      {"Unlock", 2}, {"Open", 1},  {"Empty", 1}, {"SetData", 1}, {"SetData", 2}};
  for (auto [call, nth] : raisingCalls) {
    fake::RecordingClipboard raising;
    raising.raiseAt = call;
    raising.raiseAtNth = nth;
    raising.raiseNumber = 5;
    fake::RecordingBoxes shown;
    mdlAllgemein m{AddinServices{store, shown, raising, splash}};
    const std::string what = std::string(call) + " #" + std::to_string(nth);
    EXPECT_FALSE(m.ClipBoard_SetText(u"Müller")) << what;
    EXPECT_FALSE(raising.IsOpen()) << what;
    EXPECT_EQ(raising.LiveBlocks(), 0) << what;
    EXPECT_EQ(raising.misuses, 0) << what;
    ASSERT_EQ(shown.shown.size(), 1u) << what;
    EXPECT_EQ(shown.shown[0].prompt,
              u"5: Ungültiger Prozeduraufruf oder ungültiges Argument\r\n\r\n"
              u" in procedure ClipBoard_SetText of Modul mdlClipboard");
    EXPECT_EQ(shown.shown[0].style, 0);
    EXPECT_EQ(shown.shown[0].title, u"Vellox");
  }
}

}  // namespace
}  // namespace vx
