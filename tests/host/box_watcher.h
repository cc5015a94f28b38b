// Reads and closes the modal windows of this process as a person would: a
// thread looks for visible dialog windows (#32770) every few milliseconds.
//   - a message box (it has the static text 0xFFFF): its title, prompt, icon
//     and buttons are recorded, then it is answered with its first button
//     (OK when it has one) by WM_COMMAND;
//   - any other dialog with a "&OK" button (the splash window): its title and
//     texts are recorded and "&OK" is clicked (BM_CLICK).
// Other windows are left alone. How the splash is answered can be chosen
// (SplashAnswer): after a while, with its check box cleared, or not at all,
// telling a window of the test's instead.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/lock.h"
#include "tests/host/thread.h"

namespace vx::host {

// Milliseconds on the process's one clock (QueryPerformanceCounter), for
// telling what happened before what across threads.
double ClockMs();

// How the watcher answers a splash window.
struct SplashAnswer {
  DWORD delayMs = 0;           // it stays up this long before "&OK" is clicked
  bool clearCheckBox = false;  // the check box is cleared before
  // When set: no "&OK"; kSplashUp is posted to this window instead, and the
  // splash is left to whoever ends it.
  HWND notify = nullptr;
};
inline constexpr UINT kSplashUp = WM_APP + 0x5A;

struct Box {
  bool splash = false;
  HWND owner = nullptr;       // the window owning it
  bool ownerEnabled = true;   // whether that window took input while it was up
  RECT rect{}, ownerRect{};   // where it and its owner were on the screen
  double seenAt = 0;          // ClockMs() when it was found
  double answeredAt = 0;      // ... and when it was answered (0: left alone)
  std::wstring title;
  std::wstring prompt;              // message box text (empty for a splash)
  bool icon = false;                // a message box shows an icon
  std::vector<int> buttons;         // a message box's visible command buttons (IDOK, ...)
  std::vector<std::wstring> texts;  // a splash window's child texts, in z order
};

class BoxWatcher {
 public:
  BoxWatcher();
  ~BoxWatcher();
  BoxWatcher(const BoxWatcher&) = delete;
  BoxWatcher& operator=(const BoxWatcher&) = delete;

  std::vector<Box> Take();  // what was closed since the last call
  size_t Count() const;
  void SetSplashAnswer(const SplashAnswer& answer);

 private:
  void Run();
  void Handle(HWND dialog);

  std::atomic<bool> stop_{false};
  mutable win::CriticalSection mutex_;
  std::vector<Box> boxes_;
  SplashAnswer answer_;
  std::set<HWND> handled_;
  // Boxes seen before their texts were in place: how often each was looked at.
  std::map<HWND, int> early_;
  host::Thread thread_;
};

}  // namespace vx::host
