#include "platform/win32/message_boxes.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace vx::win {

void Win32MessageBoxes::Show(const Text& prompt, int32_t style, const Text& title) {
  MessageBoxW(GetActiveWindow(), Wide(prompt), Wide(title), static_cast<UINT>(style));
}

}  // namespace vx::win
