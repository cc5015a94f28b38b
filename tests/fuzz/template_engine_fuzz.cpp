// The template engine over arbitrary template lines and contact fields.
//
// Input (see fuzz_input.h): group 0 holds the template lines, one per record;
// groups 1 to 3 hold one contact each, its records being the values of the
// eight fields below, in their order (missing ones are not set; the contact
// field table's other fields are never set).
// Flags: bits 0-1 the number of contacts (1 to 3), bit 2 reading a field
// that was never set fails (as on a real item), bits 3-4 the contact (1 to 3,
// 0 none) one of whose fields fails to read, bits 5-7 that field.
//
// Checked: no failure escapes BuildAddressText (except failure 6 for a
// template of more than 32,768 lines, which its caller reports); a line
// without "<" comes back unchanged and shows nothing; a line that is one
// placeholder gives the field's value, the field-name error text or nothing
// (failure 6 when its ">" lies beyond position 32,767); a line that ends in
// the delimiter message or a DecodeLine report gives nothing;
// BuildAddressText gives exactly the lines DecodeLine gives one by one (a
// line that expands to nothing dropped unless the template line is empty),
// each followed by CR LF, each block by one more, the last four characters
// cut off (no text at all when there are no more than four), with the same
// boxes; no half of a surrogate pair appears in the text unless the input
// held it alone; the text stays within what the template and the fields can
// produce.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "addin/clsVellox.h"
#include "platform/contact_fields.h"
#include "platform/failure.h"
#include "tests/fakes/fake_item.h"
#include "tests/fakes/memory_store.h"
#include "tests/fakes/recording_boxes.h"
#include "tests/fakes/unused_services.h"
#include "tests/fuzz/fuzz_input.h"

namespace vx {
namespace {

using fuzz::Check;

const Text kFields[] = {
    u"FullName",           u"CompanyName",          u"MailingAddress",
    u"MailingAddressCity", u"MailingAddressStreet", u"MailingAddressPostalCode",
    u"MailingAddressCountry", u"BusinessFaxNumber",
};
constexpr size_t kFieldCount = sizeof(kFields) / sizeof(kFields[0]);
constexpr int32_t kReadFailure = 440;

struct Contact {
  std::shared_ptr<fake::FakeItem> item;
  Text values[kFieldCount];
  bool set[kFieldCount] = {};
  int failing = -1;  // the field whose read fails
  bool failUnset = false;

  // Whether reading field f gives a value (rather than a failure).
  bool Readable(size_t f) const {
    return static_cast<int>(f) != failing && (set[f] || !failUnset);
  }
};

std::vector<Contact> MakeContacts(uint8_t flags, const std::vector<Text>& groups) {
  const size_t count = 1 + (flags & 3u) % 3;
  const size_t failingContact = (flags >> 3) & 3u;
  std::vector<Contact> contacts(count);
  for (size_t c = 0; c < count; ++c) {
    Contact& contact = contacts[c];
    contact.item = std::make_shared<fake::FakeItem>(ol::kClassContact);
    contact.failUnset = (flags & 4u) != 0;
    if (contact.failUnset) contact.item->failUnset = 438;
    if (c + 1 < groups.size()) {
      std::vector<Text> values = fuzz::Split(groups[c + 1], fuzz::kRecordSeparator);
      for (size_t f = 0; f < kFieldCount && f < values.size(); ++f) {
        contact.values[f] = values[f];
        contact.set[f] = true;
        contact.item->Set(kFields[f], values[f]);
      }
    }
    if (failingContact == c + 1) {
      contact.failing = static_cast<int>((flags >> 5) % kFieldCount);
      contact.item->Fail(kFields[contact.failing], kReadFailure);
    }
  }
  return contacts;
}

std::set<char16_t> LoneSurrogatesOf(const std::vector<Text>& lines,
                                    const std::vector<Contact>& contacts) {
  std::set<char16_t> lone;
  auto add = [&](char16_t c) { lone.insert(c); };
  for (const Text& line : lines) fuzz::ForEachLoneSurrogate(line, add);
  for (const Contact& c : contacts) {
    for (const Text& v : c.values) fuzz::ForEachLoneSurrogate(v, add);
  }
  return lone;
}

// A line that is a single placeholder: "<", a name without delimiters, ">".
// Checks what DecodeLine makes of it for contact c.
void CheckSinglePlaceholder(clsVellox& vellox, fake::RecordingBoxes& boxes, Contact& c,
                            const Text& line) {
  if (line.size() < 2 || line.front() != u'<' || line.back() != u'>') return;
  const TextView inner = TextView(line).substr(1, line.size() - 2);
  if (inner.find_first_of(u"<>") != TextView::npos) return;
  const Text name(TrimBlanks(inner));
  const size_t before = boxes.shown.size();
  const Text r = vellox.DecodeLine(*c.item, line);
  const size_t shown = boxes.shown.size() - before;
  if (line.size() > 32767) {
    Check(r.empty() && shown == 1 && boxes.shown.back().title == u"DecodeLine" &&
              boxes.shown.back().prompt.substr(0, 3) == u"6: ",
          "a '>' beyond position 32,767 is reported as an overflow");
    return;
  }
  if (name.empty()) {
    Check(r.empty() && shown == 0, "an empty placeholder gives nothing");
    return;
  }
  const auto f = std::find(std::begin(kFields), std::end(kFields), name);
  if (f == std::end(kFields) && !fields::Find(name)) {
    Check(r == u"!!FEHLER: unbekannter Feldname '" + name + u"' !!" && shown == 0,
          "an unknown field gives the field-name error text");
    return;
  }
  if (f == std::end(kFields)) {
    // A field of the table the contacts here do not set: at most one report.
    Check(shown <= 1, "a field of the table is reported at most once");
    return;
  }
  const size_t index = static_cast<size_t>(f - std::begin(kFields));
  if (c.Readable(index)) {
    Check(r == c.values[index] && shown == 0, "a placeholder gives the field's value");
  } else {
    Check(r.empty() && shown == 1 && boxes.shown.back().title == u"GetPropValue",
          "a field that cannot be read gives nothing after one GetPropValue report");
  }
}

void Run(const uint8_t* data, size_t size) {
  const fuzz::Input in = fuzz::Decode(data, size, 160);
  const std::vector<Text> groups = fuzz::Split(in.text, fuzz::kGroupSeparator);
  const std::vector<Text> lines = fuzz::Split(groups[0], fuzz::kRecordSeparator);
  std::vector<Contact> contacts = MakeContacts(in.flags, groups);

  fake::MemoryStore store;
  fake::RecordingBoxes boxes;
  fake::UnusedClipboard clipboard;
  fake::UnusedSplash splash;
  mdlAllgemein module{AddinServices{store, boxes, clipboard, splash}};
  clsVellox vellox{module};
  module.AdressFormatLines = lines;

  std::vector<std::shared_ptr<ol::Item>> items;
  for (const Contact& c : contacts) items.push_back(c.item);

  // The whole text.
  std::optional<Text> built;
  try {
    built = vellox.BuildAddressText(items);
  } catch (const Failure& failure) {
    Check(failure.number() == fail::kOverflow && lines.size() > 32768,
          "only a template beyond 16-bit indexes fails BuildAddressText");
    return;
  }
  const std::vector<fake::ShownBox> buildBoxes = boxes.shown;
  for (const fake::ShownBox& box : buildBoxes) {
    Check(box.style == mb::kCritical, "every box has the critical icon");
    Check(box.title == u"Vellox" || box.title == u"DecodeLine" || box.title == u"GetPropValue",
          "every box is the delimiter message or a DecodeLine/GetPropValue report");
  }

  // The same, line by line.
  boxes.shown.clear();
  Text composed;
  for (Contact& c : contacts) {
    for (const Text& line : lines) {
      const size_t before = boxes.shown.size();
      const Text r = vellox.DecodeLine(*c.item, line);
      for (size_t b = before; b < boxes.shown.size(); ++b) {
        Check(boxes.shown[b].title == u"GetPropValue" || r.empty(),
              "a line that ends in the delimiter message or a DecodeLine report gives nothing");
      }
      if (r.empty() && !line.empty()) continue;
      composed += r;
      composed += kCrLf;
    }
    composed += kCrLf;
  }
  std::optional<Text> expected;
  if (composed.size() > 4) expected = composed.substr(0, composed.size() - 4);
  Check(built == expected, "BuildAddressText joins what DecodeLine gives line by line");
  Check(boxes.shown.size() == buildBoxes.size(), "the same boxes either way");
  for (size_t i = 0; i < buildBoxes.size(); ++i) {
    Check(boxes.shown[i].prompt == buildBoxes[i].prompt && boxes.shown[i].title == buildBoxes[i].title,
          "the same boxes in the same order");
  }

  // Lines without "<", and lines that are one placeholder.
  for (Contact& c : contacts) {
    for (const Text& line : lines) {
      if (line.find(u'<') == Text::npos) {
        const size_t before = boxes.shown.size();
        const int reads = c.item->reads;
        Check(vellox.DecodeLine(*c.item, line) == line, "a line without '<' comes back unchanged");
        Check(boxes.shown.size() == before && c.item->reads == reads,
              "a line without '<' shows nothing and reads nothing");
      } else {
        CheckSinglePlaceholder(vellox, boxes, c, line);
      }
    }
  }

  if (!built) return;

  // No surrogate half that the input did not hold alone.
  const std::set<char16_t> lone = LoneSurrogatesOf(lines, contacts);
  fuzz::ForEachLoneSurrogate(*built, [&](char16_t c) {
    Check(lone.count(c) == 1, "no half of a surrogate pair that the input did not hold alone");
  });

  // Bounded by the template and the fields: each character of a line gives
  // at most itself, or a field's value, or the error text around a name.
  size_t longestValue = 0;
  for (const Contact& c : contacts) {
    for (const Text& v : c.values) longestValue = std::max(longestValue, v.size());
  }
  size_t perContact = 2;
  for (const Text& line : lines) perContact += line.size() * (1 + longestValue + 40) + 2;
  Check(built->size() <= perContact * contacts.size(), "the text stays within its bound");
}

}  // namespace
}  // namespace vx

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vx::Run(data, size);
  return 0;
}
