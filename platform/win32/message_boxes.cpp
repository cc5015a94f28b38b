#include "platform/win32/message_boxes.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace vx::win {

void Win32MessageBoxes::Display(const Text& prompt, int32_t style, const Text& title) {
  HWND owner = reinterpret_cast<HWND>(owner_);
  if (!owner || !IsWindow(owner)) owner = GetActiveWindow();
  MessageBoxW(owner, Wide(prompt), Wide(title), static_cast<UINT>(style));
}

intptr_t Win32MessageBoxes::SetOwner(intptr_t owner) noexcept {
  intptr_t previous = owner_;
  owner_ = owner;
  return previous;
}

}  // namespace vx::win
