// frmSplash as a modal Win32 dialog, built into both libraries.
#pragma once

#include <cstdint>

#include "platform/settings.h"
#include "platform/splash.h"
#include "platform/ui.h"

namespace vx::win32 {

// Shows the dialog IDD_SPLASH from the resources of the module that holds
// this code (the add-in library or the control library, whichever links it).
// Every showing starts from the design values: the check box checked. OK
// stores the switch through store (reporting a failure in boxes) and closes
// the window; nothing else closes it.
class SplashDialog : public SplashWindow {
 public:
  SplashDialog(SettingsStore& store, MessageBoxes& boxes) : store_(store), boxes_(boxes) {}

  // owner: 0 for the start-up splash, else the window handle of the options
  // page. Raises failure 51 when the dialog cannot be created.
  void ShowModal(intptr_t owner) override;

 private:
  SettingsStore& store_;
  MessageBoxes& boxes_;
};

}  // namespace vx::win32
