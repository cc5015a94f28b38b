// Writes the ribbon XML of every Outlook that gets one, as UTF-8 files into
// the folder given (made when missing), for the schema checks:
//   contact12.xml, explorer14.xml, contact14.xml, explorer16.xml, contact16.xml
// and, to prove the checks can fail, wrong_attribute.xml (explorer16.xml with
// one attribute misspelt).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "addin/CustomUI.h"

namespace {

bool Write(const std::string& folder, const std::string& name, const vx::Text& xml) {
  if (xml.empty()) {
    std::fprintf(stderr, "%s: no XML\n", name.c_str());
    return false;
  }
  std::ofstream file(folder + "/" + name, std::ios::binary);
  file << vx::ToUtf8(xml);
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: customui_docs <folder>\n");
    return 2;
  }
  const std::string folder = argv[1];
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  bool ok = Write(folder, "contact12.xml", vx::CustomUI(vx::FacesOf(12), vx::kContactRibbon));
  for (int major : {14, 16}) {
    const std::string n = std::to_string(major);
    ok &= Write(folder, "explorer" + n + ".xml", vx::CustomUI(vx::FacesOf(major), vx::kExplorerRibbon));
    ok &= Write(folder, "contact" + n + ".xml", vx::CustomUI(vx::FacesOf(major), vx::kContactRibbon));
  }
  vx::Text wrong = vx::CustomUI(vx::FacesOf(16), vx::kExplorerRibbon);
  const size_t at = wrong.find(u" keytip=");
  if (at != vx::Text::npos) wrong.replace(at, 8, u" keytyp=");
  ok &= Write(folder, "wrong_attribute.xml", wrong);
  return ok ? 0 : 1;
}
