#include "platform/contact_fields.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/failure.h"

namespace vx::fields {

namespace {

// The labels are the page's (contact_field_list.cpp): the add-in does not
// carry them.
#define VX_TEXT(name, dispid, group, entry, since, guarded, label) \
  Field{u"" #name, dispid, Read::kText, Group::group, Entry::entry, since, guarded},
#define VX_DATE(name, dispid, group, entry, since, guarded, label) \
  Field{u"" #name, dispid, Read::kDate, Group::group, Entry::entry, since, guarded},
#define VX_OWN(name, read, group, entry, label) \
  Field{u"" #name, 0, Read::read, Group::group, Entry::entry, kOutlook2000, false},
constexpr Field kFields[] = {
#include "platform/contact_fields.inc"
};
#undef VX_TEXT
#undef VX_DATE
#undef VX_OWN

constexpr size_t kCount = std::size(kFields);

// The order of the binary search: by length, then by character. Most steps
// are decided by the length alone, without reading a character.
constexpr bool NameBefore(TextView a, TextView b) {
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

// The rows' positions in the order of their names, for the binary search.
constexpr std::array<uint8_t, kCount> SortedByName() {
  std::array<uint8_t, kCount> order{};
  for (size_t i = 0; i < kCount; ++i) order[i] = static_cast<uint8_t>(i);
  std::sort(order.begin(), order.end(),
            [](uint8_t a, uint8_t b) { return NameBefore(kFields[a].name, kFields[b].name); });
  return order;
}
static_assert(kCount < 256, "the sorted index holds row numbers below 256");
constexpr std::array<uint8_t, kCount> kByName = SortedByName();

constexpr bool NamesAreUnique() {
  for (size_t i = 1; i < kCount; ++i) {
    if (kFields[kByName[i - 1]].name == kFields[kByName[i]].name) return false;
  }
  return true;
}
static_assert(NamesAreUnique(), "every field name once");

constexpr bool PairsAreComplete() {
  for (size_t i = 0; i < kCount; ++i) {
    const bool first = kFields[i].entry == Entry::kPairFirst;
    const bool secondFollows = i + 1 < kCount && kFields[i + 1].entry == Entry::kPairSecond;
    if (first != secondFollows) return false;
  }
  return kFields[0].entry != Entry::kPairSecond;
}
static_assert(PairsAreComplete(), "every pair is two adjacent rows");

// Days from 1 January 1970 to the given day of the proleptic Gregorian
// calendar, and back (H. Hinnant's algorithms).
constexpr int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

struct Civil {
  int64_t year;
  unsigned month, day;
};

constexpr Civil CivilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

// Outlook's day 0 is 30 December 1899.
constexpr int64_t kDayZero = DaysFromCivil(1899, 12, 30);
constexpr int64_t kNoDate = DaysFromCivil(4501, 1, 1) - kDayZero;
constexpr int64_t kFirstDay = DaysFromCivil(100, 1, 1) - kDayZero;
constexpr int64_t kLastDay = DaysFromCivil(9999, 12, 31) - kDayZero;
static_assert(kNoDate == 949998 && kFirstDay == -657434 && kLastDay == 2958465);

void AppendDigits(unsigned value, int width, Text& out) {
  char16_t digits[4];
  for (int i = width - 1; i >= 0; --i) {
    digits[i] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  }
  out.append(digits, static_cast<size_t>(width));
}

}  // namespace

std::span<const Field> All() { return kFields; }

const Field* Find(TextView name) {
  const auto at =
      std::lower_bound(kByName.begin(), kByName.end(), name,
                       [](uint8_t row, TextView n) { return NameBefore(kFields[row].name, n); });
  if (at == kByName.end() || kFields[*at].name != name) return nullptr;
  return &kFields[*at];
}

const Text& NameText(const Field& field) {
  static const std::vector<Text> names = [] {
    std::vector<Text> all;
    all.reserve(kCount);
    for (const Field& f : kFields) all.emplace_back(f.name);
    return all;
  }();
  return names[static_cast<size_t>(&field - kFields)];
}

void AppendGermanDate(double date, Text& out) {
  // The day is the whole part, toward zero: the fraction is the time, also
  // before day 0.
  if (!(date > static_cast<double>(kFirstDay) - 1 && date < static_cast<double>(kLastDay) + 1)) {
    Raise(fail::kOverflow);
  }
  const int64_t day = static_cast<int64_t>(std::trunc(date));
  if (day == kNoDate) return;
  const Civil c = CivilFromDays(day + kDayZero);
  AppendDigits(c.day, 2, out);
  out += u'.';
  AppendDigits(c.month, 2, out);
  out += u'.';
  AppendDigits(static_cast<unsigned>(c.year), 4, out);
}

}  // namespace vx::fields
