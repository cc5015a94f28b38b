// Reads and closes the modal windows of this process as a person would: a
// thread looks for visible dialog windows (#32770) every few milliseconds.
//   - a message box (it has the static text 0xFFFF): its title, prompt, icon
//     and buttons are recorded, then it is answered with its first button
//     (OK when it has one) by WM_COMMAND;
//   - any other dialog with a "&OK" button (the splash window): its title and
//     texts are recorded and "&OK" is clicked (BM_CLICK).
// Other windows are left alone.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/lock.h"
#include "tests/host/thread.h"

namespace vx::host {

struct Box {
  bool splash = false;
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

 private:
  void Run();
  void Handle(HWND dialog);

  std::atomic<bool> stop_{false};
  mutable win::CriticalSection mutex_;
  std::vector<Box> boxes_;
  std::set<HWND> handled_;
  host::Thread thread_;
};

}  // namespace vx::host
