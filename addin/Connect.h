// The add-in's entry object, as the logic sees it: the five notifications of
// Outlook's add-in connection interface, and ReReadSettings. The COM face
// (addin/com/) maps IDTExtensibility2 and _Connect onto this class.
#pragma once

#include <memory>

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

  // The working object while connected with a window, else empty.
  clsVellox* working() const { return mobjVellox.get(); }

 private:
  void ShowSplash();

  mdlAllgemein& module_;
  std::unique_ptr<clsVellox> mobjVellox;
};

}  // namespace vx
