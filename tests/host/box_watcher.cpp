#include "tests/host/box_watcher.h"

namespace vx::host {

namespace {

// Texts are read with a time limit: the owning thread may not be pumping
// messages any more when the watcher looks.
std::wstring TextOf(HWND h) {
  wchar_t buffer[4096];
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(h, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer),
                           SMTO_ABORTIFHUNG, 2000, &copied)) {
    return {};
  }
  return std::wstring(buffer, copied);
}

std::wstring ClassOf(HWND h) {
  wchar_t name[64];
  int n = GetClassNameW(h, name, 64);
  return std::wstring(name, n > 0 ? static_cast<size_t>(n) : 0);
}

BOOL CALLBACK CollectOwnDialogs(HWND h, LPARAM param) {
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (pid == GetCurrentProcessId() && IsWindowVisible(h) && ClassOf(h) == L"#32770") {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(h);
  }
  return TRUE;
}

struct Children {
  std::vector<HWND> all;
};

BOOL CALLBACK CollectChildren(HWND h, LPARAM param) {
  reinterpret_cast<Children*>(param)->all.push_back(h);
  return TRUE;
}

bool IsButton(HWND h) {
  if (ClassOf(h) != L"Button") return false;
  LONG style = GetWindowLongW(h, GWL_STYLE) & 0x0F;
  return style == BS_PUSHBUTTON || style == BS_DEFPUSHBUTTON;
}

}  // namespace

double ClockMs() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void BoxWatcher::SetSplashAnswer(const SplashAnswer& answer) {
  std::lock_guard<win::CriticalSection> lock(mutex_);
  answer_ = answer;
}

BoxWatcher::BoxWatcher() : thread_([this] { Run(); }) {}

BoxWatcher::~BoxWatcher() {
  stop_ = true;
  thread_.join();
}

std::vector<Box> BoxWatcher::Take() {
  std::lock_guard<win::CriticalSection> lock(mutex_);
  std::vector<Box> out;
  out.swap(boxes_);
  return out;
}

size_t BoxWatcher::Count() const {
  std::lock_guard<win::CriticalSection> lock(mutex_);
  return boxes_.size();
}

void BoxWatcher::Run() {
  while (!stop_) {
    std::vector<HWND> dialogs;
    EnumWindows(CollectOwnDialogs, reinterpret_cast<LPARAM>(&dialogs));
    // Forget windows that are gone: a handle may be reused.
    for (auto it = handled_.begin(); it != handled_.end();) {
      it = IsWindow(*it) ? std::next(it) : handled_.erase(it);
    }
    for (auto it = early_.begin(); it != early_.end();) {
      it = IsWindow(it->first) ? std::next(it) : early_.erase(it);
    }
    for (HWND h : dialogs) {
      if (!handled_.count(h)) Handle(h);
    }
    Sleep(5);
  }
}

void BoxWatcher::Handle(HWND dialog) {
  Children children;
  EnumChildWindows(dialog, CollectChildren, reinterpret_cast<LPARAM>(&children));
  Box box;
  box.seenAt = ClockMs();
  box.owner = GetWindow(dialog, GW_OWNER);
  box.ownerEnabled = !box.owner || IsWindowEnabled(box.owner);
  GetWindowRect(dialog, &box.rect);
  if (box.owner) GetWindowRect(box.owner, &box.ownerRect);
  box.title = TextOf(dialog);
  HWND text = GetDlgItem(dialog, 0xFFFF);
  if (text) {
    box.prompt = TextOf(text);
    int firstButton = 0;
    for (HWND child : children.all) {
      if (!IsWindowVisible(child)) continue;
      if (IsButton(child)) {
        int id = GetDlgCtrlID(child);
        box.buttons.push_back(id);
        if (!firstButton || id == IDOK) firstButton = id;
      } else if (ClassOf(child) == L"Static" && child != text &&
                 (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        // The icon control is there in every box; it holds an icon or none.
        DWORD_PTR icon = 0;
        SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon);
        box.icon = box.icon || icon != 0;
      }
    }
    // A box may show before its texts are set (or while its thread is too
    // busy to answer): it is read again next round, for a second at most.
    if ((box.title.empty() || box.prompt.empty()) && ++early_[dialog] < 200) return;
    early_.erase(dialog);
    handled_.insert(dialog);
    box.answeredAt = ClockMs();
    {
      std::lock_guard<win::CriticalSection> lock(mutex_);
      boxes_.push_back(box);
    }
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(firstButton ? firstButton : IDOK, BN_CLICKED), 0);
    return;
  }
  HWND ok = nullptr;
  for (HWND child : children.all) {
    if (!ok && IsButton(child) && TextOf(child) == L"&OK") ok = child;
  }
  if (!ok) return;  // not ours to close; looked at again next round
  box.splash = true;
  for (HWND child : children.all) {
    std::wstring t = TextOf(child);
    if (!t.empty()) box.texts.push_back(t);
  }
  handled_.insert(dialog);
  SplashAnswer answer;
  {
    std::lock_guard<win::CriticalSection> lock(mutex_);
    answer = answer_;
  }
  DWORD_PTR ignored = 0;
  if (answer.notify) {
    {
      std::lock_guard<win::CriticalSection> lock(mutex_);
      boxes_.push_back(box);
    }
    PostMessageW(answer.notify, kSplashUp, 0, 0);
    return;
  }
  if (answer.delayMs) Sleep(answer.delayMs);
  if (answer.clearCheckBox) {
    for (HWND child : children.all) {
      if (ClassOf(child) == L"Button" && (GetWindowLongW(child, GWL_STYLE) & 0x0F) == BS_AUTOCHECKBOX) {
        SendMessageTimeoutW(child, BM_SETCHECK, BST_UNCHECKED, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
      }
    }
  }
  box.answeredAt = ClockMs();
  {
    std::lock_guard<win::CriticalSection> lock(mutex_);
    boxes_.push_back(box);
  }
  SendMessageTimeoutW(ok, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
}

}  // namespace vx::host
