// The ribbon XML the add-in hands Outlook for each ribbon ID.
#pragma once

#include "addin/OutlookVersion.h"
#include "platform/text.h"

namespace vx {

inline constexpr TextView kExplorerRibbon = u"Microsoft.Outlook.Explorer";
inline constexpr TextView kContactRibbon = u"Microsoft.Outlook.Contact";

// The name every control of the XML calls back on a click.
inline constexpr TextView kRibbonCallback = u"VelloxCopy";

// The XML for the ribbon of that ID in an Outlook with these faces; the empty
// text for a ribbon the add-in does not customize:
//   explorer (faces.explorerRibbon): the group "Vellox" in the Contacts
//     module's Home tab, and the entries of the contact context menus;
//   contact window (faces.inspectorRibbon): the group in the contact tab.
// Outlook 2007 reads only the 2006/01 namespace, which lacks context menus;
// later versions get 2009/07.
Text CustomUI(const Faces& faces, TextView ribbonId);

}  // namespace vx
