// Stand-ins for the template engine and the settings procedures until
// their own sources land; removed then.
#include "addin/clsVellox.h"
#include "addin/mdlAllgemein.h"
#include "tests/unit/addin_harness.h"

namespace vx {

std::optional<Text> clsVellox::BuildAddressText(
    const std::vector<std::shared_ptr<ol::Item>>& contacts) {
  if (!module_.AdressFormatLines) Raise(fail::kSubscriptOutOfRange);
  Text t;
  for (const auto& contact : contacts) {
    for (const Text& line : *module_.AdressFormatLines) {
      Text r = line.size() > 2 && line.front() == u'<' && line.back() == u'>'
                   ? contact->GetText(line.substr(1, line.size() - 2))
                   : line;
      if (r.empty() && !line.empty()) continue;
      t += r + u"\r\n";
    }
    t += u"\r\n";
  }
  if (t.size() <= 4) return std::nullopt;
  t.resize(t.size() - 4);
  return t;
}

void mdlAllgemein::SaveInitialSettings() {
  WriteInitialSettings(services.store);
  AdressFormatLines = std::vector<Text>(std::begin(kDefaultTemplate), std::end(kDefaultTemplate));
}

void mdlAllgemein::ReadAdressFormat() {
  std::vector<Text> lines;
  for (auto& e : services.store.GetAllSettings(u"Brisanto", u"AdressFormat")) lines.push_back(e.value);
  AdressFormatLines = lines;
}

}  // namespace vx
