// Two tools on the page in its dialog, run by options of ocx_tests instead
// of the tests:
//   --screenshot=<file.bmp>  the dialog with the page as a user sees it
//   --bench=<n> [--lines=<k>] opening the page n times with a k-line template (50)
//                            (control created, lists filled), timings printed
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ocx_test.h"
#include "tests/host/property_dialog.h"

namespace vx::test {

using host::PageDialog;
using host::PageSite;

int Screenshot(const std::wstring& path) {
  StoreTemplate({L"<FullName>", L"<CompanyName>", L"z. Hd. Frau Müller",
                 L"<MailingAddressStreet>", L"<MailingAddressPostalCode> <MailingAddressCity>"});
  PageSite site;
  PageDialog dialog(site);
  if (FAILED(dialog.Open(Factory(), L"Eigenschaften von \"Kontakte\""))) return 1;
  HWND page = dialog.pageWindow();
  SendDlgItemMessageW(page, 102, LB_SETCURSEL, 4, 0);
  SendMessageW(GetDlgItem(page, 107), BM_CLICK, 0, 0);  // Insert: the page changes, Apply lights up
  SetForegroundWindow(dialog.window());
  SetFocus(GetDlgItem(page, 105));
  RedrawWindow(dialog.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  for (int i = 0; i < 20; ++i) {
    PageDialog::Pump();
    Sleep(25);
  }
  return dialog.SaveBitmap(path) ? 0 : 1;
}

int Benchmark(int runs) {
  std::vector<std::wstring> lines;
  const int count = Opts().pageLines;
  for (int i = 1; i <= count; ++i) lines.push_back(L"Zeile " + std::to_wstring(i) + L" <FullName>");
  StoreTemplate(lines);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<double> ms;
  for (int i = 0; i <= runs; ++i) {
    PageSite site;
    PageDialog dialog(site);
    if (FAILED(dialog.OpenWindow(L"Eigenschaften von Kontakte"))) return 1;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const HRESULT hr = dialog.AddPage(Factory());
    QueryPerformanceCounter(&end);
    if (FAILED(hr) || ListView_GetItemCount(GetDlgItem(dialog.pageWindow(), 105)) != count) {
      std::fprintf(stderr, "the page did not open with all lines\n");
      return 1;
    }
    if (i > 0) ms.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("page opened %d times in its dialog with a %d-line template (control created, lists filled, "
              "placed and shown): median %.2f ms, min %.2f ms, max %.2f ms\n",
              runs, count, ms[ms.size() / 2], ms.front(), ms.back());
  return 0;
}

}  // namespace vx::test
