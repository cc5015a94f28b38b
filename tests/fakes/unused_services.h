// Dummies for the services a test or benchmark does not use: a clipboard
// that does nothing and fails every step, a splash that shows nothing.
#pragma once

#include "platform/clipboard.h"
#include "platform/splash.h"

namespace vx::fake {

class UnusedClipboard : public ClipboardApi {
 public:
  std::string ToAnsi(const Text&) override { return {}; }
  Block Alloc(size_t) override { return nullptr; }
  void* Lock(Block) override { return nullptr; }
  bool Unlock(Block) override { return false; }
  void Free(Block) override {}
  bool Open() override { return false; }
  void Wait(uint32_t) override {}
  void Empty() override {}
  bool SetData(uint32_t, Block) override { return false; }
  bool Close() override { return false; }
};

class UnusedSplash : public SplashWindow {
 public:
  void ShowModal(intptr_t) override {}
  void ShowStartup(intptr_t) override {}
  void End() noexcept override {}
};

}  // namespace vx::fake
