// The splash window shown from a library: its dialog and bitmap must travel
// with the object library into every module that links it, and the window
// must load them from that module, not from the executable (which has none).
#include <windows.h>

#include <gtest/gtest.h>

#include "splash/win32/resource.h"
#include "tests/fakes/memory_store.h"
#include "tests/fakes/recording_boxes.h"
#include "tests/host/thread.h"

namespace vx {
namespace {

using ShowFn = int (*)(SettingsStore*, MessageBoxes*, intptr_t);

TEST(SplashInALibrary, ShowsFromTheLibrarysOwnResources) {
  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_SPLASH), MAKEINTRESOURCEW(5)), nullptr)
      << "the executable itself must not carry the dialog";
  HMODULE library = LoadLibraryW(L"splash_library.dll");
  ASSERT_NE(library, nullptr);
  EXPECT_NE(FindResourceW(library, MAKEINTRESOURCEW(IDD_SPLASH), MAKEINTRESOURCEW(5)), nullptr);
  EXPECT_NE(FindResourceW(library, MAKEINTRESOURCEW(IDB_LOGO), MAKEINTRESOURCEW(2)), nullptr);
  auto show = reinterpret_cast<ShowFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "ShowSplashFromLibrary")));
  ASSERT_NE(show, nullptr);

  fake::MemoryStore store;
  fake::RecordingBoxes boxes;
  std::wstring platform;
  host::Thread watcher([&] {
    for (int i = 0; i < 200; ++i) {
      HWND dialog = nullptr;
      for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w;
           w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == GetCurrentProcessId() && GetDlgItem(w, IDC_BTNOK)) dialog = w;
      }
      if (dialog) {
        wchar_t text[64] = {};
        GetDlgItemTextW(dialog, IDC_PLATFORM, text, 64);
        platform = text;
        PostMessageW(GetDlgItem(dialog, IDC_BTNOK), BM_CLICK, 0, 0);
        return;
      }
      Sleep(50);
    }
  });
  EXPECT_EQ(show(&store, &boxes, 0), 0);
  watcher.join();
  EXPECT_EQ(platform, L"AddIn f\u00fcr Outlook");
  EXPECT_EQ(store.Value(u"Startup", u"ShowSplash"), u"1");
  FreeLibrary(library);
}

}  // namespace
}  // namespace vx
