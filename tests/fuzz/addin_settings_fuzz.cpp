// The add-in's ReadAdressFormat over arbitrary template sections.
//
// Input: the section's entries (fuzz_section.h). Flags: bit 0 the list held
// other lines before, bit 1 the section cannot be read, bit 2 nothing can be
// written, bits 3-7 the enumeration order.
//
// Checked: nothing escapes; an unreadable section is reported and leaves the
// list as it was; an empty one gives the message and the defaults (or, when
// they cannot be written, the report and the old list); otherwise the list
// has exactly as many lines as the section has entries, each "Line" k entry
// lands in slot k-1 (the last one for k wins) in enumeration order up to the
// first key that cannot be placed, which is reported with 13 (not a number),
// 6 (beyond 32,767) or 9 (outside 1 to n), and nothing after it is placed.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "addin/mdlAllgemein.h"
#include "tests/fakes/memory_store.h"
#include "tests/fakes/recording_boxes.h"
#include "tests/fakes/unused_services.h"
#include "tests/fuzz/fuzz_section.h"

namespace vx {
namespace {

using fuzz::Check;

const std::vector<Text> kOldLines = {u"alt 1", u"alt 2", u"", u"alt 4", u"alt 5"};

void Run(const uint8_t* data, size_t size) {
  const fuzz::Input in = fuzz::Decode(data, size, 1);
  fake::MemoryStore store;
  const std::vector<SettingEntry> entries = fuzz::FillSection(store, in);
  const bool unreadable = (in.flags & 2u) != 0;
  const bool unwritable = (in.flags & 4u) != 0;
  if (unreadable) store.failGetAll = fail::kPathFileAccess;
  if (unwritable) store.failSave = fail::kPermissionDenied;

  fake::RecordingBoxes boxes;
  fake::UnusedClipboard clipboard;
  fake::UnusedSplash splash;
  mdlAllgemein module{AddinServices{store, boxes, clipboard, splash}};
  if (in.flags & 1u) module.AdressFormatLines = kOldLines;
  const std::optional<std::vector<Text>> before = module.AdressFormatLines;

  try {
    module.ReadAdressFormat();
  } catch (...) {
    Check(false, "nothing escapes ReadAdressFormat");
  }
  for (const fake::ShownBox& box : boxes.shown) {
    Check(box.style == mb::kCritical, "every box has the critical icon");
  }

  if (unreadable) {
    Check(boxes.shown.size() == 1 && boxes.shown[0].title == u"ReadAdressFormat" &&
              fuzz::ReportedNumber(boxes.shown[0].prompt) == fail::kPathFileAccess,
          "an unreadable section is reported once");
    Check(module.AdressFormatLines == before, "an unreadable section leaves the list as it was");
    return;
  }

  if (entries.empty()) {
    Check(!boxes.shown.empty() && boxes.shown[0].prompt == kNoTemplateMessage &&
              boxes.shown[0].title == kAppTitle,
          "an empty section first shows the message");
    if (unwritable) {
      Check(boxes.shown.size() == 2 && boxes.shown[1].title == u"SaveInitialSettings",
            "defaults that cannot be written are reported once");
      Check(module.AdressFormatLines == before, "unwritten defaults leave the list as it was");
    } else {
      Check(boxes.shown.size() == 1, "an empty section shows only the message");
      Check(module.AdressFormatLines == fuzz::kDefaultLines, "an empty section gives the defaults");
      Check(store.Section(layout::kAdressFormat).size() == 3 &&
                store.Value(layout::kStartup, layout::kFirstRun) == Text(u"0"),
            "the defaults are written");
    }
    return;
  }

  // The expected list, placing entries in the store's order up to the first
  // key that cannot be placed.
  const size_t n = entries.size();
  std::vector<Text> expected(n);
  int32_t expectedFailure = 0;
  for (const SettingEntry& e : entries) {
    const fuzz::KeyMeaning m = fuzz::MeaningOf(e.key);
    if (m.kind == fuzz::KeyMeaning::kOther) continue;
    if (m.kind == fuzz::KeyMeaning::kNotANumber) {
      expectedFailure = fail::kTypeMismatch;
    } else if (m.kind == fuzz::KeyMeaning::kTooLarge) {
      expectedFailure = fail::kOverflow;
    } else if (m.number < 1 || static_cast<size_t>(m.number) > n) {
      expectedFailure = fail::kSubscriptOutOfRange;
    }
    if (expectedFailure) break;
    expected[static_cast<size_t>(m.number - 1)] = e.value;
  }

  Check(module.AdressFormatLines.has_value() && module.AdressFormatLines->size() == n,
        "after a load of n entries the list has exactly n lines");
  Check(*module.AdressFormatLines == expected,
        "each line sits in the slot of its number, up to the first key that cannot be placed");
  if (expectedFailure) {
    Check(boxes.shown.size() == 1 && boxes.shown[0].title == u"ReadAdressFormat" &&
              fuzz::ReportedNumber(boxes.shown[0].prompt) == expectedFailure,
          "a key that cannot be placed is reported once with its number");
  } else {
    Check(boxes.shown.empty(), "a section whose keys all fit loads without a box");
  }
}

}  // namespace
}  // namespace vx

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vx::Run(data, size);
  return 0;
}
