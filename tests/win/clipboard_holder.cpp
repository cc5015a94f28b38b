// Another program holding the clipboard open:
//   clipboard_holder <ready event> <release event>
// opens the clipboard for a window of its own (as programs do; Wine lets two
// processes open it without a window at once), signals the ready event, waits
// (at most 60 s) for the release event, closes the clipboard. Exit code 0
// when it held the clipboard.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[1]);
  HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, argv[2]);
  if (ready == nullptr || release == nullptr) return 3;
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                nullptr);
  if (window == nullptr || !OpenClipboard(window)) return 4;
  SetEvent(ready);
  DWORD waited = WaitForSingleObject(release, 60000);
  CloseClipboard();
  DestroyWindow(window);
  return waited == WAIT_OBJECT_0 ? 0 : 5;
}
