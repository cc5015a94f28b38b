#include "tests/fakes/recording_clipboard.h"

#include <algorithm>
#include <cstring>

#include "platform/failure.h"

namespace vx::fake {

namespace {

// Code page 1252 at 0x80..0x9F; 0 where it has no character.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char ToCp1252(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (int i = 0; i < 32; ++i) {
    if (kCp1252High[i] != 0 && kCp1252High[i] == c) return static_cast<char>(0x80 + i);
  }
  return '?';
}

char16_t FromCp1252(unsigned char b) {
  if (b >= 0x80 && b < 0xA0 && kCp1252High[b - 0x80] != 0) return kCp1252High[b - 0x80];
  return b;
}

}  // namespace

void RecordingClipboard::Call(const std::string& name, const std::string& step) {
  steps.push_back(step);
  int n = ++calls_[name];
  if (name == raiseAt && n == raiseAtNth) Raise(raiseNumber);
}

RecordingClipboard::MemoryBlock* RecordingClipboard::Find(Block block) {
  for (auto& b : blocks_) {
    if (b.get() == block && b->state == MemoryBlock::kAllocated) return b.get();
  }
  ++misuses;
  return nullptr;
}

std::string RecordingClipboard::ToAnsi(const Text& text) {
  Call("ToAnsi", "ToAnsi");
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF;
    if (pair) ++i;
    out.push_back(pair ? '?' : ToCp1252(c));
  }
  return out;
}

ClipboardApi::Block RecordingClipboard::Alloc(size_t bytes) {
  Call("Alloc", "Alloc " + std::to_string(bytes));
  if (calls_["Alloc"] == failAllocOf) {
    steps.back() += " failed";
    return nullptr;
  }
  blocks_.push_back(std::make_unique<MemoryBlock>(
      MemoryBlock{static_cast<int>(blocks_.size()) + 1, std::string(bytes, '\0')}));
  steps.back() += " #" + std::to_string(blocks_.back()->number);
  return blocks_.back().get();
}

void* RecordingClipboard::Lock(Block block) {
  MemoryBlock* b = Find(block);
  Call("Lock", "Lock #" + std::to_string(b ? b->number : 0));
  if (b == nullptr || b->number == failLockOf) return nullptr;
  ++b->locks;
  return b->bytes.data();
}

bool RecordingClipboard::Unlock(Block block) {
  MemoryBlock* b = Find(block);
  Call("Unlock", "Unlock #" + std::to_string(b ? b->number : 0));
  if (b == nullptr) return false;
  if (b->number != failUnlockOf && b->locks > 0) --b->locks;
  return b->locks > 0;
}

void RecordingClipboard::Free(Block block) {
  MemoryBlock* b = Find(block);
  steps.push_back("Free #" + std::to_string(b ? b->number : 0));
  if (b != nullptr) b->state = MemoryBlock::kFreed;
}

bool RecordingClipboard::Open() {
  Call("Open", "Open");
  if (busy || open_ || calls_["Open"] <= busyFor) return false;
  open_ = true;
  return true;
}

void RecordingClipboard::Wait(uint32_t milliseconds) {
  steps.push_back("Wait " + std::to_string(milliseconds));
}

void RecordingClipboard::Empty() {
  Call("Empty", "Empty");
  if (!open_) {
    ++misuses;
    return;
  }
  contents_.clear();
}

bool RecordingClipboard::SetData(uint32_t format, Block block) {
  MemoryBlock* b = Find(block);
  Call("SetData", "SetData " + std::to_string(format) + " #" + std::to_string(b ? b->number : 0));
  if (!open_) ++misuses;
  if (b == nullptr || !open_ || format == failSetDataOf) return false;
  b->state = MemoryBlock::kOnClipboard;
  contents_[format] = b->bytes;
  return true;
}

bool RecordingClipboard::Close() {
  Call("Close", "Close");
  if (!open_) {
    ++misuses;
    return false;
  }
  open_ = false;
  return !failClose;
}

std::optional<std::string> RecordingClipboard::Bytes(uint32_t format) const {
  auto it = contents_.find(format);
  if (it == contents_.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> RecordingClipboard::AnsiText() const {
  auto bytes = Bytes(kText);
  if (!bytes) return std::nullopt;
  return bytes->substr(0, bytes->find('\0'));
}

std::optional<Text> RecordingClipboard::TextFromAnsi() const {
  auto ansi = AnsiText();
  if (!ansi) return std::nullopt;
  Text out;
  for (char c : *ansi) out.push_back(FromCp1252(static_cast<unsigned char>(c)));
  return out;
}

std::optional<Text> RecordingClipboard::UnicodeText() const {
  auto bytes = Bytes(kUnicodeText);
  if (!bytes) return std::nullopt;
  Text out;
  for (size_t i = 0; i + 1 < bytes->size(); i += sizeof(char16_t)) {
    char16_t c;
    std::memcpy(&c, bytes->data() + i, sizeof c);
    if (c == 0) break;
    out.push_back(c);
  }
  return out;
}

void RecordingClipboard::Put(uint32_t format, std::string bytes) {
  contents_[format] = std::move(bytes);
}

int RecordingClipboard::LiveBlocks() const {
  return static_cast<int>(std::count_if(blocks_.begin(), blocks_.end(), [](const auto& b) {
    return b->state == MemoryBlock::kAllocated;
  }));
}

}  // namespace vx::fake
