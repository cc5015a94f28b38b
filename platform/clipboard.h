// The Win32 clipboard and global-memory calls the clipboard writer makes, one
// method per call, so that the writer's steps run against a recording double
// in tests and against the real clipboard on Windows
// (platform/win32/win32_clipboard.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/text.h"

namespace vx {

class ClipboardApi {
 public:
  using Block = void*;  // a global memory handle
  static constexpr uint32_t kText = 1;          // CF_TEXT
  static constexpr uint32_t kUnicodeText = 13;  // CF_UNICODETEXT

  virtual ~ClipboardApi() = default;

  // The text in the system's ANSI code page, characters it lacks replaced by
  // the platform's default (WideCharToMultiByte, CP_ACP, no flags). Raises a
  // numbered failure when the text cannot be converted.
  virtual std::string ToAnsi(const Text& text) = 0;

  // GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes); null on failure.
  virtual Block Alloc(size_t bytes) = 0;
  // GlobalLock; null on failure. The address is good for the block's size
  // until the matching Unlock.
  virtual void* Lock(Block block) = 0;
  // GlobalUnlock; true when the block is still locked afterwards.
  virtual bool Unlock(Block block) = 0;
  // GlobalFree, for a block that was not handed to the clipboard (locked or
  // not).
  virtual void Free(Block block) = 0;

  // OpenClipboard(0); false when another program holds it.
  virtual bool Open() = 0;
  // Sleep: waits that long on the calling thread, pumping nothing (between
  // two tries of Open).
  virtual void Wait(uint32_t milliseconds) = 0;
  // EmptyClipboard.
  virtual void Empty() = 0;
  // SetClipboardData; true when the system took the block.
  virtual bool SetData(uint32_t format, Block block) = 0;
  // CloseClipboard; true on success.
  virtual bool Close() = 0;
};

}  // namespace vx
