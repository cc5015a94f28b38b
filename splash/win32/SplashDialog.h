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

  // owner: the window handle of the options page (about box), or of
  // Outlook's folder window (start-up splash, centred on it; 0 for none).
  // Raises failure 51 when the dialog cannot be created.
  void ShowModal(intptr_t owner) override;
  void ShowStartup(intptr_t owner) override;
  void End() noexcept override;

 private:
  class Showing;
  void Show(intptr_t owner, bool startup);

  SettingsStore& store_;
  MessageBoxes& boxes_;
  Showing* current_ = nullptr;  // the start-up splash or about box up now
};

}  // namespace vx::win32
