// Which of the add-in's faces an Outlook gets, decided once at connection
// from its Version:
//   major < 12 (2000, XP, 2003): command-bar buttons in folder and contact windows
//   major 12 (2007):  command-bar button in folder windows, ribbon in contact windows
//   major >= 14 (2010 and later): ribbon everywhere and ribbon context menus,
//                     no command-bar button at all
// and how the add-in starts and stops there:
//   major >= 14: Outlook ends whatever an add-in holds (fast shutdown), so the
//                add-in keeps what it holds until it is disconnected, and a
//                start without a window waits for the first one
//   major >= 15 (2013 and later): Outlook times the connection, so the
//                start-up splash waits until Outlook's start is complete
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
  bool holdsToTheEnd = false;    // nothing let go when Outlook's last window closes
  bool splashAfterStart = false; // the start-up splash after the start, not inside it
};

Faces FacesOf(int32_t major);

}  // namespace vx
