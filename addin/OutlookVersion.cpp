#include "addin/OutlookVersion.h"

namespace vx {

int32_t MajorVersion(TextView version) {
  TextView major = TrimBlanks(version.substr(0, version.find(u'.')));
  if (major.empty()) return kClassicMajor;
  int64_t value = 0;
  for (char16_t c : major) {
    if (c < u'0' || c > u'9') return kClassicMajor;
    value = value * 10 + (c - u'0');
    if (value > INT32_MAX) return kClassicMajor;
  }
  return static_cast<int32_t>(value);
}

Faces FacesOf(int32_t major) {
  Faces faces;
  faces.major = major;
  faces.explorerButton = major < 14;
  faces.inspectorButton = major < 12;
  faces.explorerRibbon = major >= 14;
  faces.inspectorRibbon = major >= 12;
  faces.contextMenus = major >= 14;
  faces.holdsToTheEnd = major >= 14;
  faces.splashAfterStart = major >= 15;
  return faces;
}

}  // namespace vx
