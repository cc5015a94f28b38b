// ClipBoard_SetText against the real clipboard: the bytes that arrive per
// format in the German ANSI code page, and a clipboard held by another process.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "addin/mdlAllgemein.h"
#include "platform/win32/win32_clipboard.h"
#include "tests/fakes/memory_store.h"
#include "tests/fakes/recording_boxes.h"
#include "tests/fakes/unused_services.h"

namespace vx {
namespace {

// Every byte of the clipboard's block of a format; nothing when it holds none.
std::optional<std::string> ClipboardBytes(UINT format) {
  if (!OpenClipboard(nullptr)) {
    ADD_FAILURE() << "clipboard busy";
    return std::nullopt;
  }
  std::optional<std::string> bytes;
  if (HANDLE data = GetClipboardData(format)) {
    const char* p = static_cast<const char*>(GlobalLock(data));
    if (p != nullptr) bytes = std::string(p, GlobalSize(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return bytes;
}

std::optional<Text> UnicodeOnClipboard() {
  auto bytes = ClipboardBytes(CF_UNICODETEXT);
  if (!bytes) return std::nullopt;
  Text text(reinterpret_cast<const char16_t*>(bytes->data()), bytes->size() / 2);
  return text.substr(0, text.find(u'\0'));
}

// Puts text on the clipboard as another program would.
void PutOtherContent(const std::string& ansi) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, ansi.size() + 1);
  memcpy(GlobalLock(block), ansi.c_str(), ansi.size() + 1);
  GlobalUnlock(block);
  ASSERT_NE(SetClipboardData(CF_TEXT, block), nullptr);
  CloseClipboard();
}

// Another program's thread holding the clipboard open (for a window of its
// own, as programs do) for a while from the moment Ready() returns.
class ClipboardHolder {
 public:
  explicit ClipboardHolder(DWORD ms)
      : ms_(ms), ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        thread_(CreateThread(nullptr, 0, &Run, this, 0, nullptr)) {}
  ~ClipboardHolder() {
    Join();
    CloseHandle(thread_);
    CloseHandle(ready_);
  }
  ClipboardHolder(const ClipboardHolder&) = delete;
  ClipboardHolder& operator=(const ClipboardHolder&) = delete;

  // Whether it holds the clipboard now.
  bool Ready() {
    HANDLE waitFor[] = {ready_, thread_};
    return WaitForMultipleObjects(2, waitFor, FALSE, 10000) == WAIT_OBJECT_0;
  }
  // Waits until it has let go again.
  void Join() { WaitForSingleObject(thread_, 30000); }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* holder = static_cast<ClipboardHolder*>(self);
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    if (window && OpenClipboard(window)) {
      SetEvent(holder->ready_);
      Sleep(holder->ms_);
      CloseClipboard();
    }
    if (window) DestroyWindow(window);
    return 0;
  }

  DWORD ms_;
  HANDLE ready_;
  HANDLE thread_;
};

constexpr char16_t kBusyPrompt[] =
    u"Die Zwischenablage wird gerade von einem anderen Programm verwendet. "
    u"Die Adresse wurde nicht kopiert.";

class RealClipboard : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(GetACP(), 1252u) << "the tests run with a German locale"; }

  fake::MemoryStore store;
  fake::RecordingBoxes boxes;
  win::Win32Clipboard clipboard;
  fake::UnusedSplash splash;
  mdlAllgemein module{AddinServices{store, boxes, clipboard, splash}};
};

TEST_F(RealClipboard, MultiLineTextArrivesWithCrLfAndOneTerminatingZero) {
  const Text text = u"Hans Meier\r\nMeier & Co. KG\r\nAm Markt 3\r\n20095 Hamburg";
  ASSERT_TRUE(module.ClipBoard_SetText(text));
  EXPECT_EQ(ClipboardBytes(CF_TEXT),
            std::string("Hans Meier\r\nMeier & Co. KG\r\nAm Markt 3\r\n20095 Hamburg") + '\0');
  EXPECT_EQ(UnicodeOnClipboard(), text);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(RealClipboard, UmlautsArriveAsTheir1252Bytes) {
  ASSERT_TRUE(module.ClipBoard_SetText(u"Müller, Straße"));
  EXPECT_EQ(ClipboardBytes(CF_TEXT),
            std::string("\x4D\xFC\x6C\x6C\x65\x72\x2C\x20\x53\x74\x72\x61\xDF\x65\x00", 15));
  EXPECT_EQ(UnicodeOnClipboard(), u"Müller, Straße");
}

TEST_F(RealClipboard, EmptyTextIsASingleZeroByte) {
  PutOtherContent("vorher");
  ASSERT_TRUE(module.ClipBoard_SetText(u""));
  EXPECT_EQ(ClipboardBytes(CF_TEXT), std::string(1, '\0'));
  EXPECT_EQ(UnicodeOnClipboard(), u"");
}

TEST_F(RealClipboard, NamesTheCodePageLacksAreReplacedInAnsiOnly) {
  ASSERT_TRUE(module.ClipBoard_SetText(u"Łukasz Wałęsa"));
  // The platform's default replacement (best fit) for CP 1252.
  EXPECT_EQ(ClipboardBytes(CF_TEXT), std::string("Lukasz Walesa") + '\0');
  EXPECT_EQ(UnicodeOnClipboard(), u"Łukasz Wałęsa");
}

TEST_F(RealClipboard, AClipboardHeldByAnotherProcessGivesFalseAndStaysAsItWas) {
  PutOtherContent("Inhalt eines anderen Programms");

  const std::wstring suffix = std::to_wstring(GetCurrentProcessId());
  const std::wstring readyName = L"VelloxHolderReady" + suffix;
  const std::wstring releaseName = L"VelloxHolderRelease" + suffix;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str());
  ASSERT_TRUE(ready && release);

  wchar_t self[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring holder(self, length);
  holder = holder.substr(0, holder.find_last_of(L"\\/") + 1) + L"clipboard_holder.exe";
  std::wstring command = L"\"" + holder + L"\" " + readyName + L" " + releaseName;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessW(holder.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process))
      << GetLastError();

  HANDLE waitFor[] = {ready, process.hProcess};
  DWORD signalled = WaitForMultipleObjects(2, waitFor, FALSE, 30000);
  bool held = signalled == WAIT_OBJECT_0;
  bool result = held ? module.ClipBoard_SetText(u"Neuer Text") : true;
  SetEvent(release);
  WaitForSingleObject(process.hProcess, 30000);
  DWORD exitCode = 99;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(ready);
  CloseHandle(release);

  ASSERT_TRUE(held) << "the holder did not get the clipboard, exit code " << exitCode;
  EXPECT_EQ(exitCode, 0u);
  EXPECT_FALSE(result);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].prompt, Text(kBusyPrompt));
  EXPECT_EQ(ClipboardBytes(CF_TEXT), std::string("Inhalt eines anderen Programms") + '\0');
}

// A clipboard tool that holds the clipboard for 50 ms is waited for; one that
// holds it for 2 s outlasts the tries (about a quarter of a second): the user
// is told, and the clipboard keeps what it had.
TEST_F(RealClipboard, AClipboardHeldForAMomentIsWaitedForAndOneHeldLongerIsReported) {
  PutOtherContent("vorher");
  {
    ClipboardHolder holder(50);
    ASSERT_TRUE(holder.Ready());
    EXPECT_TRUE(module.ClipBoard_SetText(u"Anna Müller"));
  }
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(ClipboardBytes(CF_TEXT), std::string("Anna M\xFCller") + '\0');
  EXPECT_EQ(UnicodeOnClipboard(), u"Anna Müller");

  {
    ClipboardHolder holder(2000);
    ASSERT_TRUE(holder.Ready());
    EXPECT_FALSE(module.ClipBoard_SetText(u"Jürgen Weiß"));
  }
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].prompt, Text(kBusyPrompt));
  EXPECT_EQ(boxes.shown[0].style, 0);
  EXPECT_EQ(boxes.shown[0].title, u"Vellox");
  EXPECT_EQ(ClipboardBytes(CF_TEXT), std::string("Anna M\xFCller") + '\0');
}

}  // namespace
}  // namespace vx
