#include "platform/settings.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/failure.h"

namespace vx {

Text LineKey(int32_t k) { return Text(layout::kLinePrefix) + Decimal(k); }

bool IsLineKey(TextView key) { return key.substr(0, layout::kLinePrefix.size()) == layout::kLinePrefix; }

int16_t LineNumberOf(TextView key) {
  TextView rest = key.substr(layout::kLinePrefix.size());
  if (rest.empty()) Raise(fail::kTypeMismatch);
  int64_t value = 0;
  for (char16_t c : rest) {
    if (c < u'0' || c > u'9') Raise(fail::kTypeMismatch);
    if (value <= INT16_MAX) value = value * 10 + (c - u'0');
  }
  return ToInt16(value);
}

void WriteInitialSettings(SettingsStore& store) {
  const Text app(layout::kApplication);
  store.SaveSetting(app, Text(layout::kStartup), Text(layout::kFirstRun), u"0");
  int32_t k = 1;
  for (TextView line : kDefaultTemplate) {
    store.SaveSetting(app, Text(layout::kAdressFormat), LineKey(k++), Text(line));
  }
}

std::vector<SettingEntry> ReadTemplateEntries(SettingsStore& store) {
  return store.GetAllSettings(Text(layout::kApplication), Text(layout::kAdressFormat));
}

namespace {

// A setting text read as a number: blanks around it, an optional sign, digits
// with an optional decimal point or comma, an optional exponent. Anything
// else, the empty text included, is failure 13.
double ToNumber(TextView text) {
  TextView trimmed = TrimBlanks(text);
  std::string ascii;
  bool digits = false;
  for (size_t i = 0; i < trimmed.size(); ++i) {
    char16_t c = trimmed[i];
    if (c >= u'0' && c <= u'9') {
      digits = true;
      ascii.push_back(static_cast<char>(c));
    } else if (c == u'.' || c == u',') {
      ascii.push_back('.');
    } else if (c == u'+' || c == u'-' || c == u'e' || c == u'E') {
      ascii.push_back(static_cast<char>(c));
    } else {
      Raise(fail::kTypeMismatch);
    }
  }
  if (!digits) Raise(fail::kTypeMismatch);
  char* end = nullptr;
  double value = std::strtod(ascii.c_str(), &end);
  if (end == nullptr || *end != '\0') Raise(fail::kTypeMismatch);
  if (!std::isfinite(value)) Raise(fail::kOverflow);
  return value;
}

}  // namespace

bool SettingIsOne(SettingsStore& store, TextView key) {
  Text value =
      store.GetSetting(Text(layout::kApplication), Text(layout::kStartup), Text(key), u"1");
  return ToNumber(value) == 1.0;
}

}  // namespace vx
