// A clipboard that records every call in order and keeps what was set on it,
// per format. Each call can be told to fail the way the Win32 call fails, or
// to raise a failure; "busy" stands for another program holding the
// clipboard open.
//
// Blocks are numbered 1, 2, ... in the order they are allocated; the steps
// read like "Alloc 15 #1", "Lock #1", "Unlock #1", "Open", "Empty",
// "SetData 1 #1", "Close", "Free #2", "Wait 25". Wait only records.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/clipboard.h"

namespace vx::fake {

class RecordingClipboard : public ClipboardApi {
 public:
  // ToAnsi maps to code page 1252; characters it lacks become '?'.
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

  // ---- what landed on the clipboard ----

  // The CF_TEXT bytes up to their terminating zero; nothing when the
  // clipboard holds no CF_TEXT.
  std::optional<std::string> AnsiText() const;
  // The same, read back from code page 1252 as a text.
  std::optional<Text> TextFromAnsi() const;
  // The CF_UNICODETEXT characters up to their terminating zero.
  std::optional<Text> UnicodeText() const;
  // The whole block set for a format, every byte of it.
  std::optional<std::string> Bytes(uint32_t format) const;
  // Puts data on the clipboard directly, as another program would.
  void Put(uint32_t format, std::string bytes);
  // Forgets the calls made so far (the clipboard keeps its contents).
  void ClearSteps() { steps.clear(); }

  std::vector<std::string> steps;

  // Blocks allocated and neither freed nor taken by the clipboard.
  int LiveBlocks() const;
  // Calls with a block that was unknown, freed or owned by the clipboard, and
  // Empty/SetData/Close without the clipboard open.
  int misuses = 0;
  bool IsOpen() const { return open_; }

  // ---- failures ----

  bool busy = false;           // Open fails: another program holds the clipboard
  int busyFor = 0;             // the first n Open calls fail: held for a moment
  int failAllocOf = 0;         // the n-th Alloc returns null (0: none)
  int failLockOf = 0;          // Lock of block #n returns null
  int failUnlockOf = 0;        // block #n stays locked after Unlock
  uint32_t failSetDataOf = 0;  // SetData refuses blocks of this format
  bool failClose = false;      // Close fails

  // Raises failure raiseNumber when the call named raiseAt is made
  // ("ToAnsi", "Alloc", "Lock", "Unlock", "Open", "Empty", "SetData",
  // "Close"); with raiseAtNth > 1, only its n-th call.
  std::string raiseAt;
  int raiseAtNth = 1;
  int32_t raiseNumber = 5;

 private:
  struct MemoryBlock {
    int number;
    std::string bytes;
    int locks = 0;
    enum { kAllocated, kFreed, kOnClipboard } state = kAllocated;
  };

  void Call(const std::string& name, const std::string& step);
  MemoryBlock* Find(Block block);

  std::vector<std::unique_ptr<MemoryBlock>> blocks_;
  std::map<std::string, int> calls_;
  std::map<uint32_t, std::string> contents_;
  bool open_ = false;
};

}  // namespace vx::fake
