// The settings procedures of the add-in library: SaveInitialSettings and
// ReadAdressFormat over the shared template list AdressFormatLines.
#include "addin/mdlAllgemein.h"

#include <iterator>

#include "platform/failure.h"
#include "platform/report.h"

namespace vx {

void mdlAllgemein::SaveInitialSettings() {
  static const ErrorBox box = GermanBox(u"SaveInitialSettings", u"Designer", u"Connect");
  Guarded(services.boxes, box, [&] {
    WriteInitialSettings(services.store);
    AdressFormatLines = std::vector<Text>(std::begin(kDefaultTemplate), std::end(kDefaultTemplate));
  });
}

void mdlAllgemein::ReadAdressFormat() {
  static const ErrorBox box = GermanBox(u"ReadAdressFormat", u"Designer", u"Connect");
  Guarded(services.boxes, box, [&] {
    std::vector<SettingEntry> entries = ReadTemplateEntries(services.store);
    if (entries.empty()) {
      services.boxes.Show(Text(kNoTemplateMessage), mb::kCritical, Text(kAppTitle));
      SaveInitialSettings();
      return;
    }
    // A new list of n empty lines; the old one is discarded, not merged.
    const size_t n = entries.size();
    AdressFormatLines = std::vector<Text>(n);
    for (SettingEntry& entry : entries) {
      if (!IsLineKey(entry.key)) continue;
      const int32_t k = LineNumberOf(entry.key);
      if (k < 1 || static_cast<size_t>(k) > n) Raise(fail::kSubscriptOutOfRange);
      (*AdressFormatLines)[static_cast<size_t>(k - 1)] = std::move(entry.value);
    }
  });
}

}  // namespace vx
