// The template section of the store, made from a fuzzer's input, for the two
// loaders' targets.
//
// Records (fuzz_input.h) are entries: the key up to the first U+001F, the
// value after it. They are written in input order (a key written twice keeps
// its first place and its last value). Flags bits 3-4 choose the order the
// store enumerates them in: as written, reversed, sorted by key, or rotated
// by flags bits 5-7.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/failure.h"
#include "platform/settings.h"
#include "tests/fakes/memory_store.h"
#include "tests/fuzz/fuzz_input.h"

namespace vx::fuzz {

// Writes the section and returns its entries as the store enumerates them.
inline std::vector<SettingEntry> FillSection(fake::MemoryStore& store, const Input& in) {
  const TextView section = layout::kAdressFormat;
  if (!in.text.empty()) {
    for (const Text& record : Split(in.text, kRecordSeparator)) {
      const size_t at = record.find(kUnitSeparator);
      if (at == Text::npos) {
        store.Put(section, record, Text());
      } else {
        store.Put(section, TextView(record).substr(0, at), TextView(record).substr(at + 1));
      }
    }
  }
  std::vector<Text> keys;
  for (const SettingEntry& e : store.Section(section)) keys.push_back(e.key);
  switch ((in.flags >> 3) & 3u) {
    case 1:
      std::reverse(keys.begin(), keys.end());
      break;
    case 2:
      std::sort(keys.begin(), keys.end());
      break;
    case 3:
      if (!keys.empty()) {
        std::rotate(keys.begin(), keys.begin() + (in.flags >> 5) % keys.size(), keys.end());
      }
      break;
    default:
      break;
  }
  if (!keys.empty()) store.SetEnumerationOrder(section, keys);
  return store.GetAllSettings(Text(layout::kApplication), Text(section));
}

// What a key means to the loaders: no template key (it does not begin with
// "Line"), a key whose rest is not a whole number (failure 13), one whose
// number is beyond 32,767 (failure 6), or a line number.
struct KeyMeaning {
  enum Kind { kOther, kNotANumber, kTooLarge, kLine } kind;
  int32_t number = 0;
};

inline KeyMeaning MeaningOf(TextView key) {
  if (key.substr(0, 4) != u"Line") return {KeyMeaning::kOther};
  const TextView rest = key.substr(4);
  if (rest.empty()) return {KeyMeaning::kNotANumber};
  int64_t number = 0;
  for (char16_t c : rest) {
    if (c < u'0' || c > u'9') return {KeyMeaning::kNotANumber};
    number = std::min<int64_t>(number * 10 + (c - u'0'), 100000);
  }
  if (number > 32767) return {KeyMeaning::kTooLarge};
  return {KeyMeaning::kLine, static_cast<int32_t>(number)};
}

// The failure number at the start of a report's prompt.
inline int32_t ReportedNumber(TextView prompt) {
  int32_t number = 0;
  size_t i = 0;
  for (; i < prompt.size() && i < 9 && prompt[i] >= u'0' && prompt[i] <= u'9'; ++i) {
    number = number * 10 + (prompt[i] - u'0');
  }
  return i > 0 && prompt.substr(i, 2) == u": " ? number : -1;
}

const std::vector<Text> kDefaultLines = {u"<FullName>", u"<CompanyName>", u"<MailingAddress>"};

}  // namespace vx::fuzz
