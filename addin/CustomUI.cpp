#include "addin/CustomUI.h"

namespace vx {

namespace {

constexpr TextView kNamespace2006 = u"http://schemas.microsoft.com/office/2006/01/customui";
constexpr TextView kNamespace2009 = u"http://schemas.microsoft.com/office/2009/07/customui";

// The group with the one large button, in the built-in tab idMso.
Text TabGroup(TextView tab, TextView buttonId) {
  Text xml = u"<ribbon><tabs><tab idMso=\"";
  xml += tab;
  xml += u"\"><group id=\"VelloxGroup\" label=\"Vellox\"><button id=\"";
  xml += buttonId;
  xml += u"\" size=\"large\" label=\"Zwischenablage\" "
         u"screentip=\"Adresse in die Zwischenablage kopieren\" keytip=\"Z\" "
         u"imageMso=\"Copy\" onAction=\"";
  xml += kRibbonCallback;
  xml += u"\"/></group></tab></tabs></ribbon>";
  return xml;
}

Text MenuEntry(TextView menu, TextView buttonId) {
  Text xml = u"<contextMenu idMso=\"";
  xml += menu;
  xml += u"\"><button id=\"";
  xml += buttonId;
  xml += u"\" label=\"Adresse in die &amp;Zwischenablage kopieren\" imageMso=\"Copy\" onAction=\"";
  xml += kRibbonCallback;
  xml += u"\"/></contextMenu>";
  return xml;
}

Text Document(TextView ns, const Text& body) {
  Text xml = u"<customUI xmlns=\"";
  xml += ns;
  xml += u"\">";
  xml += body;
  xml += u"</customUI>";
  return xml;
}

}  // namespace

Text CustomUI(const Faces& faces, TextView ribbonId) {
  TextView ns = faces.major >= 14 ? kNamespace2009 : kNamespace2006;
  if (ribbonId == kExplorerRibbon && faces.explorerRibbon) {
    Text body = TabGroup(u"TabContacts", u"VelloxCopyExplorer");
    if (faces.contextMenus) {
      body += u"<contextMenus>";
      body += MenuEntry(u"ContextMenuContactItem", u"VelloxCopyContact");
      body += MenuEntry(u"ContextMenuMultipleItems", u"VelloxCopyMultiple");
      body += u"</contextMenus>";
    }
    return Document(ns, body);
  }
  if (ribbonId == kContactRibbon && faces.inspectorRibbon) {
    return Document(ns, TabGroup(u"TabContact", u"VelloxCopyInspector"));
  }
  return Text();
}

}  // namespace vx
