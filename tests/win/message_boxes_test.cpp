// The real message box, read and closed as a person would: a watcher thread
// finds the box, reads it and presses OK.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "platform/win32/message_boxes.h"
#include "platform/win32/wide.h"
#include "tests/host/thread.h"
#include "tests/host/thread_dialog.h"

namespace vx {
namespace {

struct SeenBox {
  Text prompt;
  Text title;
  HWND owner = nullptr;
  bool ownerEnabled = true;
  bool hasCancel = false;
  bool hasIcon = false;
};

Text TextOf(HWND h) {
  wchar_t buffer[1024] = {};
  int n = GetWindowTextW(h, buffer, 1024);
  return win::FromWide(buffer, n);
}

// Shows a box on this thread while a watcher reads it and presses OK.
std::optional<SeenBox> ShowAndRead(const Text& prompt, int32_t style, const Text& title) {
  std::optional<SeenBox> seen;
  const DWORD thread = GetCurrentThreadId();
  host::Thread watcher([&] {
    for (int i = 0; i < 500; ++i) {
      if (HWND box = host::FindDialogOf(thread)) {
        SeenBox s;
        s.prompt = TextOf(GetDlgItem(box, 0xFFFF));
        s.title = TextOf(box);
        s.owner = GetWindow(box, GW_OWNER);
        s.ownerEnabled = s.owner != nullptr && IsWindowEnabled(s.owner);
        s.hasCancel = GetDlgItem(box, IDCANCEL) != nullptr;
        s.hasIcon = SendDlgItemMessageW(box, 0x0440, STM_GETICON, 0, 0) != 0;
        seen = s;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      Sleep(20);
    }
  });
  win::Win32MessageBoxes().Show(prompt, style, title);
  watcher.join();
  return seen;
}

TEST(MessageBoxes, TheBoxIsOwnedByTheActiveWindowWhichWaitsUntilItCloses) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VelloxTestOwner";
  RegisterClassW(&wc);
  HWND outlook = CreateWindowExW(0, wc.lpszClassName, L"Kontakte", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 10, 10, 400, 300, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(outlook, nullptr);
  SetForegroundWindow(outlook);
  SetActiveWindow(outlook);
  ASSERT_EQ(GetActiveWindow(), outlook);

  const Text prompt = u"13: Typen unverträglich\r\n\r\n in Funktion 'ReadAdressFormat' von Designer 'Connect'";
  auto seen = ShowAndRead(prompt, 16, u"ReadAdressFormat");
  ASSERT_TRUE(seen) << "no box appeared (is there a display?)";
  EXPECT_EQ(seen->prompt, prompt);
  EXPECT_EQ(seen->title, u"ReadAdressFormat");
  EXPECT_EQ(seen->owner, outlook);
  EXPECT_FALSE(seen->ownerEnabled) << "the owner waits while the box is open";
  EXPECT_FALSE(seen->hasCancel);
  EXPECT_TRUE(seen->hasIcon);
  EXPECT_TRUE(IsWindowEnabled(outlook)) << "and works again once it is closed";

  seen = ShowAndRead(u"Hinweis", 0, u"Vellox");
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->title, u"Vellox");
  EXPECT_FALSE(seen->hasCancel);
  EXPECT_FALSE(seen->hasIcon);
  DestroyWindow(outlook);
}

}  // namespace
}  // namespace vx
