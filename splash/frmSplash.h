// frmSplash: the start-up splash that doubles as the about box of the options
// page. This is what the window does; splash/win32/ draws it and hands the
// clicks over.
#pragma once

#include "platform/settings.h"
#include "platform/ui.h"

namespace vx {

class frmSplash {
 public:
  frmSplash(SettingsStore& store, MessageBoxes& boxes) : store_(store), boxes_(boxes) {}

  // The check box's state at every opening: checked, whatever "ShowSplash"
  // holds. The window never reads that setting.
  static constexpr bool kShowSplashWhenOpened = true;

  // A click on btnOK. Stores the check box state ("1" checked, "0" cleared)
  // under "Startup"/"ShowSplash". A failed write is reported in the box
  // titled "btnOK_Click" and goes no further: the caller closes the window
  // afterwards in every case.
  void btnOK_Click(bool checked) noexcept;

 private:
  SettingsStore& store_;
  MessageBoxes& boxes_;
};

}  // namespace vx
