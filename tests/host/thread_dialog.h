// The visible dialog window (#32770) of one thread, for the tests that read
// and close the boxes their own thread shows.
#pragma once

#include <windows.h>

namespace vx::host {

// The first visible #32770 window of `thread`, or nullptr.
inline HWND FindDialogOf(DWORD thread) {
  struct Search {
    DWORD thread;
    HWND found;
  } search{thread, nullptr};
  EnumWindows(
      [](HWND h, LPARAM p) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        wchar_t cls[16] = {};
        GetClassNameW(h, cls, 16);
        if (GetWindowThreadProcessId(h, nullptr) == s->thread && lstrcmpW(cls, L"#32770") == 0 &&
            IsWindowVisible(h)) {
          s->found = h;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace vx::host
