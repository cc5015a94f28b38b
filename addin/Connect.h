// The add-in's entry object, as the logic sees it: the five notifications of
// Outlook's add-in connection interface, and ReReadSettings. The COM face
// (addin/com/) maps IDTExtensibility2 and _Connect onto this class.
#pragma once

#include <memory>

#include "addin/OutlookVersion.h"
#include "addin/clsVellox.h"
#include "addin/mdlAllgemein.h"

namespace vx {

class Connect {
 public:
  explicit Connect(mdlAllgemein& module) : module_(module) {}

  // self: this add-in as an automation object, published as the Object of
  // its entry in Outlook's COM add-in collection.
  void AddinInstance_OnConnection(const std::shared_ptr<ol::Application>& Application,
                                  const std::shared_ptr<ol::Automation>& self);
  void AddinInstance_OnDisconnection();
  void AddinInstance_OnAddInsUpdate() {}
  void AddinInstance_OnStartupComplete() {}
  void AddinInstance_OnBeginShutdown() {}

  // Reloads the template (called by the options page by name).
  void ReReadSettings();

  // The ribbon XML for that ribbon ID (Outlook asks once per ribbon); the
  // empty text for no customization, and always while not connected with a
  // window.
  Text GetCustomUI(TextView ribbonId) const;

  // The callback of every ribbon control: context is the control's Context.
  // Nothing happens while not connected with a window.
  void VelloxCopy(const std::shared_ptr<ol::Object>& context);

  // The working object while connected with a window, else empty.
  clsVellox* working() const { return mobjVellox.get(); }
  // The faces decided at the last connection with a window.
  const Faces& faces() const { return faces_; }

 private:
  void ShowSplash();

  mdlAllgemein& module_;
  std::unique_ptr<clsVellox> mobjVellox;
  Faces faces_;
};

}  // namespace vx
