// The clipboard writer of mdlAllgemein (its error report names the module
// mdlClipboard).
//
// The text goes to the clipboard twice: as CF_TEXT in the system's ANSI code
// page, and as CF_UNICODETEXT so that names the code page lacks reach
// Unicode-aware programs unchanged. Both blocks are prepared before the
// clipboard is opened and set in one open/close cycle; a block that does not
// reach the clipboard is freed, and the clipboard is never left open.
#include <algorithm>
#include <cstring>

#include "addin/mdlAllgemein.h"
#include "platform/report.h"

namespace vx {

namespace {

// A global memory block being prepared for the clipboard. Frees the block
// unless it was handed over.
class TransferBlock {
 public:
  explicit TransferBlock(ClipboardApi& api) : api_(api) {}
  TransferBlock(const TransferBlock&) = delete;
  TransferBlock& operator=(const TransferBlock&) = delete;
  ~TransferBlock() { Free(); }

  // Allocates a zeroed block of size bytes, copies the first `bytes` bytes of
  // data into it and unlocks it. False when the block cannot be allocated or
  // locked, or stays locked; nothing is written through a failed lock.
  bool Prepare(const void* data, size_t bytes, size_t size) {
    block_ = api_.Alloc(size);
    if (block_ == nullptr) return false;
    void* address = api_.Lock(block_);
    if (address == nullptr) return false;
    std::memcpy(address, data, std::min(bytes, size));
    return !api_.Unlock(block_);
  }

  explicit operator bool() const { return block_ != nullptr; }

  // Hands the block to the clipboard as format; true when the system took it.
  bool HandOver(uint32_t format) {
    if (!api_.SetData(format, block_)) return false;
    block_ = nullptr;
    return true;
  }

  void Free() {
    if (block_ == nullptr) return;
    ClipboardApi::Block block = block_;
    block_ = nullptr;
    ResumeNext([&] { api_.Free(block); });
  }

 private:
  ClipboardApi& api_;
  ClipboardApi::Block block_ = nullptr;
};

// Keeps the clipboard from staying open when a failure ends the procedure
// between opening and closing it: other programs could not use it until
// Outlook ends.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(ClipboardApi& api) : api_(api) {}
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  ~OpenedClipboard() {
    if (open_) ResumeNext([&] { api_.Close(); });
  }

  bool Open() { return open_ = api_.Open(); }

  bool Close() {
    open_ = false;
    return api_.Close();
  }

 private:
  ClipboardApi& api_;
  bool open_ = false;
};

// The length of a string as a zero-terminated copy would see it.
template <class Char>
size_t CopiedLength(const std::basic_string<Char>& s) {
  return std::find(s.begin(), s.end(), Char{}) - s.begin();
}

}  // namespace

bool mdlAllgemein::ClipBoard_SetText(const Text& text) {
  ClipboardApi& api = services.clipboard;
  bool result = false;
  Guarded(services.boxes, EnglishBox(u" in procedure ClipBoard_SetText of Modul mdlClipboard"), [&] {
    // CF_TEXT: the ANSI form and one zero byte, copied the way lstrcpy copies
    // (up to the first zero; the zeroed block supplies the terminator).
    const std::string ansi = api.ToAnsi(text);
    TransferBlock ansiBlock(api);
    if (!ansiBlock.Prepare(ansi.data(), CopiedLength(ansi), ansi.size() + 1)) return;

    // CF_UNICODETEXT, the same way in UTF-16; if it cannot be prepared, the
    // clipboard gets CF_TEXT alone.
    TransferBlock unicodeBlock(api);
    if (!unicodeBlock.Prepare(text.data(), CopiedLength(text) * sizeof(char16_t),
                              (text.size() + 1) * sizeof(char16_t))) {
      unicodeBlock.Free();
    }

    OpenedClipboard clipboard(api);
    if (!clipboard.Open()) return;  // another program holds it
    api.Empty();
    ansiBlock.HandOver(ClipboardApi::kText);
    if (unicodeBlock) unicodeBlock.HandOver(ClipboardApi::kUnicodeText);
    result = clipboard.Close();
  });
  return result;
}

}  // namespace vx
