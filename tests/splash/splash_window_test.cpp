// The splash window as the user meets it: the real dialog, shown modally on
// the test's thread and driven from a second thread the way the keyboard and
// the mouse would drive it.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>

#include "platform/failure.h"
#include "splash/win32/SplashDialog.h"
#include "splash/win32/resource.h"
#include "tests/fakes/memory_store.h"
#include "tests/fakes/recording_boxes.h"
#include "tests/host/thread.h"

namespace vx {
namespace {

using win32::SplashDialog;

std::wstring g_screenshot;  // Unix path of the PNG to write, if any

// ---- Finding and reading the window from the watcher thread ----

HWND FindSplash() {
  struct Search {
    DWORD process;
    HWND found;
  } search{GetCurrentProcessId(), nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t cls[16] = {};
        GetClassNameW(window, cls, 16);
        if (process == s->process && std::wcscmp(cls, L"#32770") == 0 &&
            GetDlgItem(window, IDC_SHOWSPLASH) && IsWindowVisible(window)) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring TextOf(HWND dialog, int id) {
  wchar_t text[512] = {};
  GetWindowTextW(GetDlgItem(dialog, id), text, 512);
  return text;
}

HWND FocusOf(DWORD thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(thread, &info);
  return info.hwndFocus;
}

RECT RectIn(HWND dialog, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

LOGFONTW FontOf(HWND control) {
  LOGFONTW font{};
  auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  GetObjectW(handle ? handle : GetStockObject(SYSTEM_FONT), sizeof font, &font);
  return font;
}

// The text's extent in the control's font: one line, or wrapped at the
// control's width.
SIZE TextExtent(HWND control, bool wrap) {
  wchar_t text[512] = {};
  GetWindowTextW(control, text, 512);
  RECT box{};
  GetClientRect(control, &box);
  HDC dc = GetDC(control);
  HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  RECT r{0, 0, box.right, 0};
  DrawTextW(dc, text, -1, &r,
            DT_CALCRECT | DT_NOPREFIX | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// ---- Input, posted to the dialog's thread as the keyboard would ----

void PostKey(HWND target, UINT key, bool alt = false) {
  LPARAM param = 1 | (static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16) |
                 (alt ? (1 << 29) : 0);
  PostMessageW(target, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, param);
  PostMessageW(target, alt ? WM_SYSKEYUP : WM_KEYUP, key, param | 0xC0000000);
}

// Alt+letter: the access key as the dialog manager receives it.
void PostAccessKey(HWND target, wchar_t letter) {
  PostMessageW(target, WM_SYSCHAR, letter, 1 | (1 << 29));
}

// ---- The fixture: show modally here, drive from a watcher thread ----

constexpr UINT kMarker = WM_APP + 1;

LRESULT CALLBACK MarkerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kMarker) {
    SetEvent(reinterpret_cast<HANDLE>(wParam));
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

class SplashWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW cls{};
    cls.lpfnWndProc = MarkerProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"VxSplashTestMarker";
    RegisterClassW(&cls);
    marker_ = CreateWindowW(L"VxSplashTestMarker", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            cls.hInstance, nullptr);
    ASSERT_NE(marker_, nullptr);
    settled_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    returned_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    uiThread_ = GetCurrentThreadId();
  }
  void TearDown() override {
    DestroyWindow(marker_);
    CloseHandle(settled_);
    CloseHandle(returned_);
  }

  // Waits until the dialog's thread has handled everything posted to it so
  // far, and whatever that posted in turn: markers travel through the same
  // queue behind the input. Ends early when the window has been closed.
  void Settle() {
    for (int round = 0; round < 3; ++round) {
      PostMessageW(marker_, kMarker, reinterpret_cast<WPARAM>(settled_), 0);
      HANDLE events[] = {settled_, returned_};
      DWORD woken = WaitForMultipleObjects(2, events, FALSE, 10000);
      ASSERT_NE(woken, static_cast<DWORD>(WAIT_TIMEOUT));
      if (woken == WAIT_OBJECT_0 + 1) return;
    }
  }

  bool Open(HWND dialog) { return IsWindow(dialog) && IsWindowVisible(dialog); }

  // Shows the window modally on this thread while script drives it. Should
  // the script leave it open, it is closed with OK so that no test hangs.
  // Returns whether the script closed it.
  bool ShowAndDrive(intptr_t owner, const std::function<void(HWND)>& script) {
    std::atomic<bool> closedByScript{false};
    ResetEvent(returned_);
    host::Thread watcher([&] {
      HWND dialog = nullptr;
      for (int i = 0; i < 200 && !dialog; ++i) {
        dialog = FindSplash();
        if (!dialog) Sleep(50);
      }
      if (!dialog) {
        ADD_FAILURE() << "the splash window did not appear";
        return;
      }
      Settle();
      script(dialog);
      Settle();
      closedByScript = !Open(dialog);
      if (!closedByScript) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_BTNOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_BTNOK)));
      }
    });
    try {
      SplashDialog(store, boxes).ShowModal(owner);
    } catch (const Failure& f) {
      ADD_FAILURE() << "ShowModal raised " << f.what();
    }
    SetEvent(returned_);
    watcher.join();
    return closedByScript;
  }

  fake::MemoryStore store;
  fake::RecordingBoxes boxes;
  DWORD uiThread_ = 0;

 private:
  HWND marker_ = nullptr;
  HANDLE settled_ = nullptr;
  HANDLE returned_ = nullptr;  // set when ShowModal has returned
};


// The design is laid out in twips, 15 to the pixel at 96 dpi; the dialog
// template carries it in dialog units of MS Sans Serif 8 pt, whose base units
// are 6 x 13 px. Where the dialog font comes out otherwise (Wine's stand-in
// has 6 x 12), the layout scales with it, as dialogs do.
struct Scale {
  double x, y;
  explicit Scale(HWND dialog) {
    RECT units{0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    x = units.right / 6.0;
    y = units.bottom / 13.0;
  }
  int X(int twips) const { return static_cast<int>(std::lround(twips / 15.0 * x)); }
  int Y(int twips) const { return static_cast<int>(std::lround(twips / 15.0 * y)); }
};

enum class Sizing { Box, ToText, ToTextRightAligned, Picture };

struct Placed {
  int id;
  int left, top, width, height;  // twips, relative to the window
  Sizing sizing;
};

constexpr int kFx = 150, kFy = 60;  // Frame1's origin
const Placed kTable[] = {
    {IDC_FRAME1, 150, 60, 7080, 3750, Sizing::Box},
    {IDC_LOGO, kFx + 180, kFy + 780, 1650, 1275, Sizing::Picture},
    {IDC_COMPANYPRODUCT, kFx + 1980, kFy + 720, 3870, 435, Sizing::ToText},
    {IDC_PRODUCTNAME, kFx + 1980, kFy + 1140, 4905, 765, Sizing::ToText},
    {IDC_PLATFORM, kFx + 4185, kFy + 2340, 2670, 360, Sizing::ToTextRightAligned},
    {IDC_VERSION, kFx + 5415, kFy + 2700, 1440, 285, Sizing::ToTextRightAligned},
    {IDC_COPYRIGHT, kFx + 4200, kFy + 3060, 2415, 255, Sizing::Box},
    {IDC_COMPANY, kFx + 4200, kFy + 3270, 2835, 255, Sizing::Box},
    {IDC_LABEL1, 150, 3900, 6945, 735, Sizing::Box},
    {IDC_LABEL2, 120, 4680, 7095, 555, Sizing::Box},
    {IDC_SHOWSPLASH, 150, 5400, 4935, 315, Sizing::Box},
    {IDC_BTNOK, 6315, 5340, 915, 435, Sizing::Box},
};

// Dialog units round to 1.5 px across and 1.625 px down.
constexpr int kSlack = 2;

void TakeScreenshot(HWND dialog) {
  if (g_screenshot.empty()) return;
  // Painted and on the X server before the picture is taken.
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(300);
  RECT r{};
  GetWindowRect(dialog, &r);
  const int margin = 12;
  std::wstring geometry = std::to_wstring(r.right - r.left + 2 * margin) + L"x" +
                          std::to_wstring(r.bottom - r.top + 2 * margin) + L"+" +
                          std::to_wstring(r.left - margin) + L"+" + std::to_wstring(r.top - margin);
  // The X server's own picture of the screen, cropped to the window.
  std::wstring command = L"start.exe /wait /unix /usr/bin/import -window root -crop " + geometry +
                         L" +repage \"" + g_screenshot + L"\"";
  // The same file as Wine's drive Z: (the Unix root) sees it.
  std::wstring dosPng = L"Z:" + g_screenshot;
  for (wchar_t& c : dosPng) {
    if (c == L'/') c = L'\\';
  }
  DeleteFileW(dosPng.c_str());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // The Unix program may outlive the start program: wait for a complete file.
  WIN32_FILE_ATTRIBUTE_DATA data{};
  DWORD lastSize = 0;
  for (int i = 0; i < 100; ++i) {
    if (GetFileAttributesExW(dosPng.c_str(), GetFileExInfoStandard, &data) &&
        data.nFileSizeLow > 0 && data.nFileSizeLow == lastSize) {
      return;
    }
    lastSize = data.nFileSizeLow;
    Sleep(100);
  }
  ADD_FAILURE() << "no screenshot was written";
}

// ---- Tests ----

TEST_F(SplashWindow, OpensAsDesignedAndOkWithTheBoxClearedStoresZero) {
  HWND seen = nullptr;
  bool closed = ShowAndDrive(0, [&](HWND dialog) {
    seen = dialog;
    TakeScreenshot(dialog);

    // Texts, read back from the controls.
    EXPECT_EQ(TextOf(dialog, IDC_FRAME1), L"");
    EXPECT_EQ(TextOf(dialog, IDC_PRODUCTNAME), L"Vellorian");
    EXPECT_EQ(TextOf(dialog, IDC_PLATFORM), L"AddIn f\u00fcr Outlook");
    EXPECT_EQ(TextOf(dialog, IDC_VERSION), L"2000 und XP");
    EXPECT_EQ(TextOf(dialog, IDC_LABEL1),
              L"Dieses AddIn erzeugt in der Symbolleiste von Kontakten eine neue Schaltfl\u00e4che "
              L"\"Zwischenablage\". Damit wird die Adresse des ausgew\u00e4hlten Kontaktes in die "
              L"Zwischenablage kopiert und kann von dort in beliebige Anwendungen eingef\u00fcgt "
              L"werden.");
    EXPECT_EQ(TextOf(dialog, IDC_LABEL2),
              L"Sie k\u00f6nnen die verwendeten Adressfelder einstellen, indem Sie mit der RECHTEN "
              L"Maustaste auf \"Kontakte\" klicken und dann \"Einstellungen\" ausw\u00e4hlen.");
    EXPECT_EQ(TextOf(dialog, IDC_SHOWSPLASH),
              L"&Diesen Bildschirm bei jedem Start von Outlook anzeigen");
    EXPECT_EQ(TextOf(dialog, IDC_BTNOK), L"&OK");
    for (int id : {IDC_COMPANYPRODUCT, IDC_COPYRIGHT, IDC_COMPANY}) {
      EXPECT_NE(TextOf(dialog, id), L"") << id;
    }

    // The state of a fresh window: checked, and the check box has the focus.
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SHOWSPLASH), BST_CHECKED);
    EXPECT_EQ(FocusOf(uiThread_), GetDlgItem(dialog, IDC_SHOWSPLASH));

    // Frame without caption or control box, off the taskbar, unowned, centred.
    LONG style = GetWindowLongW(dialog, GWL_STYLE);
    LONG exStyle = GetWindowLongW(dialog, GWL_EXSTYLE);
    EXPECT_NE(style & WS_CAPTION, WS_CAPTION) << std::hex << style;
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), nullptr);
    RECT client{}, frame{}, work{};
    GetClientRect(dialog, &client);
    const Scale scale(dialog);
    EXPECT_NEAR(client.right, scale.X(7380), kSlack);
    EXPECT_NEAR(client.bottom, scale.Y(5970), kSlack);
    GetWindowRect(dialog, &frame);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(frame.left + frame.right, work.left + work.right, 2);
    EXPECT_NEAR(frame.top + frame.bottom, work.top + work.bottom, 2);

    // The user clears the check box and presses OK.
    PostMessageW(GetDlgItem(dialog, IDC_SHOWSPLASH), BM_CLICK, 0, 0);
    Settle();
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SHOWSPLASH), BST_UNCHECKED);
    PostMessageW(GetDlgItem(dialog, IDC_BTNOK), BM_CLICK, 0, 0);
  });
  EXPECT_TRUE(closed);
  EXPECT_FALSE(IsWindow(seen));
  EXPECT_EQ(store.Value(u"Startup", u"ShowSplash"), u"0");
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SplashWindow, ControlsSitWhereTheDesignPutsThemInTheirFonts) {
  ShowAndDrive(0, [&](HWND dialog) {
    const Scale scale(dialog);
    SCOPED_TRACE("dialog scale " + std::to_string(scale.x) + " x " + std::to_string(scale.y));
    for (const Placed& p : kTable) {
      HWND control = GetDlgItem(dialog, p.id);
      ASSERT_NE(control, nullptr) << p.id;
      RECT r = RectIn(dialog, control);
      SCOPED_TRACE("control " + std::to_string(p.id) + " at " + std::to_string(r.left) + "," +
                   std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
                   std::to_string(r.bottom - r.top));
      EXPECT_NEAR(r.top, scale.Y(p.top), kSlack);
      if (p.sizing == Sizing::ToTextRightAligned) {
        EXPECT_NEAR(r.right, scale.X(p.left + p.width), kSlack);
      } else {
        EXPECT_NEAR(r.left, scale.X(p.left), kSlack);
      }
      switch (p.sizing) {
        case Sizing::Box:
          EXPECT_NEAR(r.right - r.left, scale.X(p.width), kSlack);
          EXPECT_NEAR(r.bottom - r.top, scale.Y(p.height), kSlack);
          break;
        case Sizing::Picture:  // shown at its own size in pixels
          EXPECT_EQ(r.right - r.left, p.width / 15);
          EXPECT_EQ(r.bottom - r.top, p.height / 15);
          break;
        case Sizing::ToText:
        case Sizing::ToTextRightAligned: {
          SIZE text = TextExtent(control, false);
          EXPECT_EQ(r.right - r.left, text.cx);
          EXPECT_EQ(r.bottom - r.top, text.cy);
          break;
        }
      }
    }
    // Every label shows its whole text: the short ones on one line, the two
    // paragraphs wrapped within their box. The maker's name, our own text,
    // is no wider than the design's.
    EXPECT_LE(TextExtent(GetDlgItem(dialog, IDC_COMPANYPRODUCT), false).cx, 3870 / 15);
    for (int id : {IDC_COPYRIGHT, IDC_COMPANY}) {
      HWND control = GetDlgItem(dialog, id);
      RECT r = RectIn(dialog, control);
      EXPECT_LE(TextExtent(control, false).cx, r.right - r.left) << id;
    }
    for (int id : {IDC_LABEL1, IDC_LABEL2}) {
      HWND control = GetDlgItem(dialog, id);
      RECT r = RectIn(dialog, control);
      EXPECT_LE(TextExtent(control, true).cy, r.bottom - r.top) << id;
    }

    // Fonts: face, height in pixels at 96 dpi, weight.
    struct Expected {
      int id;
      const wchar_t* face;
      int height;
      int weight;
    };
    const Expected fonts[] = {
        {IDC_COMPANYPRODUCT, L"Arial", 24, 700}, {IDC_PRODUCTNAME, L"Arial", 43, 700},
        {IDC_PLATFORM, L"Arial", 21, 700},       {IDC_VERSION, L"Arial", 16, 700},
        {IDC_COPYRIGHT, L"Arial", 11, 400},      {IDC_COMPANY, L"Arial", 11, 400},
        {IDC_LABEL1, L"Arial", 11, 400},         {IDC_LABEL2, L"Arial", 12, 700},
        {IDC_BTNOK, L"MS Sans Serif", 11, 700},  {IDC_SHOWSPLASH, L"MS Sans Serif", 11, 400},
    };
    for (const Expected& e : fonts) {
      LOGFONTW font = FontOf(GetDlgItem(dialog, e.id));
      EXPECT_STREQ(font.lfFaceName, e.face) << e.id;
      EXPECT_EQ(std::abs(font.lfHeight), e.height) << e.id;
      EXPECT_EQ(font.lfWeight, e.weight) << e.id;
    }

    // Label2 is drawn in red, the other labels are not.
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_LABEL2)));
    EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
    SetTextColor(dc, RGB(0, 0, 0));
    SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_LABEL1)));
    EXPECT_NE(GetTextColor(dc), RGB(255, 0, 0));
    DeleteDC(dc);

    // Our own logo, 110 x 85.
    auto logo = reinterpret_cast<HBITMAP>(
        SendDlgItemMessageW(dialog, IDC_LOGO, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP bitmap{};
    ASSERT_TRUE(GetObjectW(logo, sizeof bitmap, &bitmap));
    EXPECT_EQ(bitmap.bmWidth, 110);
    EXPECT_EQ(bitmap.bmHeight, 85);
  });
}

TEST_F(SplashWindow, EscEnterAndAltF4LeaveItOpen) {
  bool closed = ShowAndDrive(0, [&](HWND dialog) {
    HWND check = GetDlgItem(dialog, IDC_SHOWSPLASH);
    PostKey(check, VK_ESCAPE);
    Settle();
    EXPECT_TRUE(Open(dialog)) << "Esc";
    PostKey(check, VK_RETURN);
    Settle();
    EXPECT_TRUE(Open(dialog)) << "Enter on the check box";
    PostKey(check, VK_F4, true);
    Settle();
    EXPECT_TRUE(Open(dialog)) << "Alt+F4";
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    Settle();
    EXPECT_TRUE(Open(dialog)) << "close, cancel and default commands";
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SHOWSPLASH), BST_CHECKED);
    EXPECT_EQ(FocusOf(uiThread_), check);

    // The same kind of input does reach the window: Alt+O closes it.
    PostAccessKey(check, L'o');
  });
  EXPECT_TRUE(closed);
  EXPECT_EQ(store.Value(u"Startup", u"ShowSplash"), u"1");
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SplashWindow, TabAndAccessKeysReachCheckBoxAndButton) {
  bool closed = ShowAndDrive(0, [&](HWND dialog) {
    HWND check = GetDlgItem(dialog, IDC_SHOWSPLASH);
    HWND ok = GetDlgItem(dialog, IDC_BTNOK);
    PostKey(check, VK_TAB);
    Settle();
    EXPECT_EQ(FocusOf(uiThread_), ok);
    PostKey(ok, VK_TAB);
    Settle();
    EXPECT_EQ(FocusOf(uiThread_), check) << "only two controls take the focus";

    PostAccessKey(check, L'd');  // Alt+D toggles the check box
    Settle();
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SHOWSPLASH), BST_UNCHECKED);
    EXPECT_TRUE(Open(dialog));
    PostKey(check, VK_RETURN);  // still no default button
    Settle();
    EXPECT_TRUE(Open(dialog));

    PostKey(check, VK_TAB);  // Enter on the focused button presses it
    PostKey(ok, VK_RETURN);
  });
  EXPECT_TRUE(closed);
  EXPECT_EQ(store.Value(u"Startup", u"ShowSplash"), u"0");
}

TEST_F(SplashWindow, AFailedWriteIsReportedAndTheWindowStillCloses) {
  store.failSave = 70;
  HWND seen = nullptr;
  bool closed = ShowAndDrive(0, [&](HWND dialog) {
    seen = dialog;
    PostMessageW(GetDlgItem(dialog, IDC_BTNOK), BM_CLICK, 0, 0);
  });
  EXPECT_TRUE(closed);
  EXPECT_FALSE(IsWindow(seen));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].title, u"btnOK_Click");
  EXPECT_EQ(boxes.shown[0].style, 16);
  EXPECT_EQ(boxes.shown[0].prompt,
            u"70: Zugriff verweigert\r\n\r\n in Funktion 'btnOK_Click' von Formular 'frmSplash'");
}

TEST_F(SplashWindow, AsAboutBoxItIsOwnedByThePageAndStartsCheckedWhateverIsStored) {
  store.Put(u"Startup", u"ShowSplash", u"0");
  HWND page = CreateWindowExW(0, L"Static", L"page", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(page, nullptr);
  bool closed = ShowAndDrive(reinterpret_cast<intptr_t>(page), [&](HWND dialog) {
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), page);
    EXPECT_FALSE(IsWindowEnabled(page));
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SHOWSPLASH), BST_CHECKED);
    PostAccessKey(GetDlgItem(dialog, IDC_SHOWSPLASH), L'o');
  });
  EXPECT_TRUE(closed);
  EXPECT_TRUE(IsWindowEnabled(page));
  EXPECT_EQ(store.Value(u"Startup", u"ShowSplash"), u"1");
  DestroyWindow(page);
}

TEST(SplashWindowFailure, AnOwnerThatIsNoWindowIsAFailure) {
  fake::MemoryStore store;
  fake::RecordingBoxes boxes;
  try {
    SplashDialog(store, boxes).ShowModal(0x7ff0);
    ADD_FAILURE() << "the window was shown";
  } catch (const Failure& f) {
    EXPECT_EQ(f.number(), 51);
  }
}

}  // namespace
}  // namespace vx

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    const std::string flag = "--screenshot=";
    if (arg.rfind(flag, 0) == 0) {
      std::string path = arg.substr(flag.size());
      vx::g_screenshot.assign(path.begin(), path.end());
    }
  }
  return RUN_ALL_TESTS();
}
