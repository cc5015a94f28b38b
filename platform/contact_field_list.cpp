// The options page's view of the contact field table: the German labels and
// the entries of the field list. A file of its own, so that the add-in,
// which needs neither, does not carry them.
#include <iterator>

#include "platform/contact_fields.h"

namespace vx::fields {

namespace {

#define VX_TEXT(name, dispid, group, entry, since, guarded, label) label,
#define VX_DATE(name, dispid, group, entry, since, guarded, label) label,
#define VX_OWN(name, read, group, entry, label) label,
constexpr TextView kLabels[] = {
#include "platform/contact_fields.inc"
};
#undef VX_TEXT
#undef VX_DATE
#undef VX_OWN

// "Postleitzahl geschäftlich" and "Ort geschäftlich" give "Postleitzahl und
// Ort geschäftlich"; labels without a common qualifier are joined whole.
Text PairLabel(TextView first, TextView second) {
  const size_t a = first.find(u' ');
  const size_t b = second.find(u' ');
  Text label(first);
  if (a != TextView::npos && b != TextView::npos && first.substr(a) == second.substr(b)) {
    label.resize(a);
  }
  label.append(u" und ").append(second);
  return label;
}

Text Placeholder(TextView name) {
  Text text;
  text.reserve(name.size() + 2);
  text.append(1, u'<').append(name).append(1, u'>');
  return text;
}

std::vector<ListEntry> MakeListEntries() {
  const std::span<const Field> all = All();
  std::vector<ListEntry> entries;
  for (size_t i = 0; i < all.size(); ++i) {
    const Field& f = all[i];
    switch (f.entry) {
      case Entry::kEntry:
        entries.push_back({Placeholder(f.name), Text(Label(f))});
        break;
      case Entry::kPairFirst: {
        const Field& g = all[i + 1];
        Text both = Placeholder(f.name);
        both.append(1, u' ').append(Placeholder(g.name));
        entries.push_back({std::move(both), PairLabel(Label(f), Label(g))});
        break;
      }
      case Entry::kPairSecond:
        break;
    }
  }
  return entries;
}

}  // namespace

TextView Label(const Field& field) {
  return kLabels[static_cast<size_t>(&field - All().data())];
}

const std::vector<ListEntry>& ListEntries() {
  static const std::vector<ListEntry> entries = MakeListEntries();
  return entries;
}

TextView LabelOfEntry(TextView entry) {
  for (const ListEntry& e : ListEntries()) {
    if (e.text == entry) return e.label;
  }
  return {};
}

}  // namespace vx::fields
