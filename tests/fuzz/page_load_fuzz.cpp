// The options page's ReadAdressFormat over arbitrary template sections.
//
// Input: the section's entries (fuzz_section.h). Flags: bit 0 the list held
// four lines before (line 2 selected), bit 1 the section cannot be read,
// bit 2 nothing can be written, bits 3-7 the enumeration order.
//
// Checked: nothing escapes; an unreadable section is reported and leaves the
// list as it was; the list never holds more lines than the section has
// entries; every line is the value of a "Line" entry, and when no two keys
// name the same number, line p is the value of the entry numbered p; a
// section whose keys number exactly 1 to m loads all m lines, without a box,
// with line m selected; a load that places fewer lines than there are "Line"
// keys is reported under ReadAdressFormat.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "optionspage/ctlVellox.h"
#include "tests/fakes/memory_store.h"
#include "tests/fakes/page_fakes.h"
#include "tests/fakes/recording_boxes.h"
#include "tests/fuzz/fuzz_section.h"

namespace vx {
namespace {

using fuzz::Check;

class NoOutlook : public page::OutlookSource {
 public:
  std::shared_ptr<ol::Application> Application() override { Raise(fail::kCannotCreateObject); }
  std::shared_ptr<ol::Automation> RunningAddIn() override { return nullptr; }
};

const std::vector<Text> kOldLines = {u"alt 1", u"alt 2", u"", u"alt 4"};

void Run(const uint8_t* data, size_t size) {
  const fuzz::Input in = fuzz::Decode(data, size, 1);
  fake::MemoryStore store;
  std::vector<SettingEntry> entries = fuzz::FillSection(store, in);
  const bool unreadable = (in.flags & 2u) != 0;
  const bool unwritable = (in.flags & 4u) != 0;
  if (unreadable) store.failGetAll = fail::kPathFileAccess;
  if (unwritable) store.failSave = fail::kPermissionDenied;

  fake::RecordingBoxes boxes;
  fake::FakeSplash splash;
  NoOutlook outlook;
  fake::FakeUserControl control;
  fake::FakeListView lv;
  fake::FakeListBox fields;
  if (in.flags & 1u) {
    lv.Fill(kOldLines);
    lv.Select(2);
  }
  const std::vector<Text> before = lv.Texts();
  ctlVellox page(PageServices{store, boxes, splash, outlook}, PageControls{control, lv, fields});

  try {
    page.ReadAdressFormat();
  } catch (...) {
    Check(false, "nothing escapes ReadAdressFormat");
  }
  const std::vector<Text> lines = lv.Texts();
  for (const fake::ShownBox& box : boxes.shown) {
    Check(box.style == mb::kCritical, "every box has the critical icon");
  }

  if (unreadable) {
    Check(boxes.shown.size() == 1 && boxes.shown[0].title == u"ReadAdressFormat" &&
              fuzz::ReportedNumber(boxes.shown[0].prompt) == fail::kPathFileAccess,
          "an unreadable section is reported once");
    Check(lines == before, "an unreadable section leaves the list as it was");
    return;
  }

  const size_t messages = entries.empty() ? 1 : 0;
  if (entries.empty()) {
    Check(!boxes.shown.empty() && boxes.shown[0].prompt == kNoTemplateMessage &&
              boxes.shown[0].title == kAppTitle,
          "an empty section first shows the message");
    if (unwritable) {
      Check(boxes.shown.size() == 3 && boxes.shown[1].title == u"SaveInitialSettings" &&
                boxes.shown[2].title == u"ReadAdressFormat",
            "defaults that cannot be written: both settings reports");
      Check(lines.empty(), "no template, no lines");
      return;
    }
    Check(boxes.shown.size() == 1, "an empty section shows only the message");
    entries = store.GetAllSettings(Text(layout::kApplication), Text(layout::kAdressFormat));
    Check(entries.size() == 3, "the defaults are written");
  }

  // The entries by number.
  std::map<int32_t, std::vector<Text>> byNumber;
  size_t lineKeys = 0;
  bool anyUnplaceable = false;
  for (const SettingEntry& e : entries) {
    const fuzz::KeyMeaning m = fuzz::MeaningOf(e.key);
    if (m.kind == fuzz::KeyMeaning::kOther) continue;
    ++lineKeys;
    if (m.kind == fuzz::KeyMeaning::kLine) {
      byNumber[m.number].push_back(e.value);
    } else {
      anyUnplaceable = true;
    }
  }
  bool distinct = true;
  for (const auto& [number, values] : byNumber) distinct = distinct && values.size() == 1;

  Check(lines.size() <= entries.size(), "never more lines than entries");
  for (size_t p = 1; p <= lines.size(); ++p) {
    const Text& line = lines[p - 1];
    bool fromAnEntry = false;
    for (const auto& [number, values] : byNumber) {
      fromAnEntry = fromAnEntry || std::count(values.begin(), values.end(), line) > 0;
    }
    Check(fromAnEntry, "every line is the value of a Line entry");
    if (distinct) {
      const auto it = byNumber.find(static_cast<int32_t>(p));
      Check(it != byNumber.end() && it->second[0] == line,
            "line p is the value of the entry numbered p");
    }
  }

  const bool complete = !anyUnplaceable && distinct && !byNumber.empty() &&
                        byNumber.begin()->first == 1 &&
                        byNumber.rbegin()->first == static_cast<int32_t>(byNumber.size());
  if (complete) {
    Check(boxes.shown.size() == messages, "a complete template loads without a report");
    Check(lines.size() == byNumber.size(), "a complete template loads every line");
    Check(lv.SelectedPosition() == static_cast<int32_t>(lines.size()),
          "the last line loaded is selected");
  }
  if (lines.size() < lineKeys) {
    Check(boxes.shown.size() == messages + 1 && boxes.shown.back().title == u"ReadAdressFormat",
          "a load that leaves Line keys out is reported once");
    const int32_t number = fuzz::ReportedNumber(boxes.shown.back().prompt);
    Check(number == fail::kTypeMismatch || number == fail::kOverflow ||
              number == page::kListIndexOutOfBounds,
          "with 13 (not a number), 6 (too large) or the list's own failure");
  } else {
    Check(lines.size() == lineKeys && boxes.shown.size() == messages,
          "every Line key is one line, without a report");
  }
  if (lineKeys == 0) Check(lines.empty(), "no Line key, no lines");
}

}  // namespace
}  // namespace vx

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vx::Run(data, size);
  return 0;
}
