#include "platform/win32/win32_clipboard.h"

#include <windows.h>

#include <climits>

#include "platform/failure.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_error.h"

namespace vx::win {

std::string Win32Clipboard::ToAnsi(const Text& text) {
  if (text.empty()) return {};
  if (text.size() > INT_MAX) Raise(fail::kOverflow);
  const int length = static_cast<int>(text.size());
  int bytes = WideCharToMultiByte(CP_ACP, 0, Wide(text), length, nullptr, 0, nullptr, nullptr);
  if (bytes == 0) RaiseWin32Error(GetLastError());
  std::string ansi(static_cast<size_t>(bytes), '\0');
  bytes = WideCharToMultiByte(CP_ACP, 0, Wide(text), length, ansi.data(), bytes, nullptr, nullptr);
  if (bytes == 0) RaiseWin32Error(GetLastError());
  ansi.resize(static_cast<size_t>(bytes));
  return ansi;
}

ClipboardApi::Block Win32Clipboard::Alloc(size_t bytes) {
  return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
}

void* Win32Clipboard::Lock(Block block) { return GlobalLock(block); }

bool Win32Clipboard::Unlock(Block block) { return GlobalUnlock(block) != 0; }

void Win32Clipboard::Free(Block block) { GlobalFree(block); }

bool Win32Clipboard::Open() { return OpenClipboard(nullptr) != 0; }

void Win32Clipboard::Wait(uint32_t milliseconds) { Sleep(milliseconds); }

void Win32Clipboard::Empty() { EmptyClipboard(); }

bool Win32Clipboard::SetData(uint32_t format, Block block) {
  return SetClipboardData(format, block) != nullptr;
}

bool Win32Clipboard::Close() { return CloseClipboard() != 0; }

}  // namespace vx::win
