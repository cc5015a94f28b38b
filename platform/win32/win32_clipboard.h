// The real clipboard: the Win32 clipboard and global-memory calls.
#pragma once

#include "platform/clipboard.h"

namespace vx::win {

class Win32Clipboard : public ClipboardApi {
 public:
  // Raises the Win32 error's failure when the conversion fails.
  std::string ToAnsi(const Text& text) override;
  Block Alloc(size_t bytes) override;
  void* Lock(Block block) override;
  bool Unlock(Block block) override;
  void Free(Block block) override;
  bool Open() override;
  void Wait(uint32_t milliseconds) override;
  void Empty() override;
  bool SetData(uint32_t format, Block block) override;
  bool Close() override;
};

}  // namespace vx::win
