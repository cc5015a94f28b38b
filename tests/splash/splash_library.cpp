// A library that links the splash window the way the add-in and the control
// library do, for the test that shows it from another module.
#include <cstdint>

#include "splash/win32/SplashDialog.h"

extern "C" __declspec(dllexport) int ShowSplashFromLibrary(vx::SettingsStore* store,
                                                           vx::MessageBoxes* boxes,
                                                           intptr_t owner) {
  try {
    vx::win32::SplashDialog(*store, *boxes).ShowModal(owner);
    return 0;
  } catch (...) {
    return -1;
  }
}
