// Which of the add-in's faces an Outlook gets, decided once at connection
// from its Version:
//   major < 12 (2000, XP, 2003): command-bar buttons in folder and contact windows
//   major 12 (2007):  command-bar button in folder windows, ribbon in contact windows
//   major >= 14 (2010 and later): ribbon everywhere and ribbon context menus,
//                     no command-bar button at all
#pragma once

#include <cstdint>

#include "platform/text.h"

namespace vx {

// The Outlook version assumed when Version is missing, empty or unparsable:
// the command-bar faces, which every Outlook offers.
inline constexpr int32_t kClassicMajor = 9;

// The integer before the first "." of a Version text ("9.0.0.2711" → 9,
// "16.0.0.0" → 16, "12" → 12), blanks around it allowed. Anything else (no
// digits, a sign, other characters, beyond 32 bits) → kClassicMajor.
int32_t MajorVersion(TextView version);

struct Faces {
  int32_t major = kClassicMajor;
  bool explorerButton = true;    // "&Zwischenablage" on the folder window's toolbar
  bool inspectorButton = true;   // ... and on each contact window's
  bool explorerRibbon = false;   // the group in the Contacts module's Home tab
  bool inspectorRibbon = false;  // the group in the contact window's tab
  bool contextMenus = false;     // the entry in the contact context menus
};

Faces FacesOf(int32_t major);

}  // namespace vx
