// The clipboard writer of mdlAllgemein (its error report names the module
// mdlClipboard).
//
// The text goes to the clipboard twice: as CF_TEXT in the system's ANSI code
// page, and as CF_UNICODETEXT so that names the code page lacks reach
// Unicode-aware programs unchanged. Both blocks are prepared before the
// clipboard is opened and set in one open/close cycle; a block that does not
// reach the clipboard is freed, and the clipboard is never left open.
//
// Other programs open the clipboard for a moment after every change
// (clipboard history, remote desktop sharing, password managers), so a busy
// clipboard is tried again for a short while. When it stays busy the user is
// told that nothing was copied: he would otherwise paste what was there
// before, another address.
#include <algorithm>
#include <cstring>

#include "addin/mdlAllgemein.h"
#include "platform/report.h"

namespace vx {

namespace {

// How often the clipboard is tried, and the wait between two tries: about a
// quarter of a second in all, short enough for a click.
constexpr int kOpenTries = 10;
constexpr uint32_t kOpenRetryMs = 25;

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

  // Opens it, trying again while another program holds it; false when it
  // stayed busy.
  bool Open() {
    for (int tries = 1;; ++tries) {
      if ((open_ = api_.Open())) return true;
      if (tries == kOpenTries) return false;
      api_.Wait(kOpenRetryMs);
    }
  }

  bool Close() {
    open_ = false;
    return api_.Close();
  }

 private:
  ClipboardApi& api_;
  bool open_ = false;
};

constexpr TextView kBusyPrompt =
    u"Die Zwischenablage wird gerade von einem anderen Programm verwendet. "
    u"Die Adresse wurde nicht kopiert.";

// The length of a string as a zero-terminated copy would see it.
template <class Char>
size_t CopiedLength(const std::basic_string<Char>& s) {
  return std::find(s.begin(), s.end(), Char{}) - s.begin();
}

// Prepares both blocks and hands them over; result is true when the
// clipboard was closed after the hand-over. False only when another program
// held the clipboard throughout: then nothing changed and both blocks are
// freed.
bool HandOver(ClipboardApi& api, const Text& text, bool& result) {
  // CF_TEXT: the ANSI form and one zero byte, copied the way lstrcpy copies
  // (up to the first zero; the zeroed block supplies the terminator).
  const std::string ansi = api.ToAnsi(text);
  TransferBlock ansiBlock(api);
  if (!ansiBlock.Prepare(ansi.data(), CopiedLength(ansi), ansi.size() + 1)) return true;

  // CF_UNICODETEXT, the same way in UTF-16; if it cannot be prepared, the
  // clipboard gets CF_TEXT alone.
  TransferBlock unicodeBlock(api);
  if (!unicodeBlock.Prepare(text.data(), CopiedLength(text) * sizeof(char16_t),
                            (text.size() + 1) * sizeof(char16_t))) {
    unicodeBlock.Free();
  }

  OpenedClipboard clipboard(api);
  if (!clipboard.Open()) return false;
  api.Empty();
  ansiBlock.HandOver(ClipboardApi::kText);
  if (unicodeBlock) unicodeBlock.HandOver(ClipboardApi::kUnicodeText);
  result = clipboard.Close();
  return true;
}

}  // namespace

bool mdlAllgemein::ClipBoard_SetText(const Text& text) {
  ClipboardApi& api = services.clipboard;
  bool result = false;
  Guarded(services.boxes, EnglishBox(u" in procedure ClipBoard_SetText of Modul mdlClipboard"), [&] {
    if (!HandOver(api, text, result)) {
      // Still busy: nothing was copied, the blocks are freed already.
      services.boxes.Show(Text(kBusyPrompt), mb::kOkOnly, Text(kAppTitle));
    }
  });
  return result;
}

}  // namespace vx
