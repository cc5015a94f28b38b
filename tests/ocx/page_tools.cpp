// Two tools on the page in its dialog, run by options of ocx_tests instead
// of the tests:
//   --screenshot=<file.bmp>  the dialog with the page as a user sees it
//   --bench=<n> [--lines=<k>] opening the page n times with a k-line template (50)
//                            (control created, lists filled), timings printed
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "ocx_test.h"
#include "page_dialog.h"

namespace vx::test {

namespace {

bool WriteBitmap(HWND window, const std::wstring& path) {
  RECT r{};
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = w;
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = 24;
  const int stride = (w * 3 + 3) & ~3;
  std::vector<char> pixels(static_cast<size_t>(stride) * h);
  GetDIBits(memory, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(std::string(path.begin(), path.end()), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof(file));
  out.write(reinterpret_cast<const char*>(&info), sizeof(info));
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  return out.good();
}

}  // namespace

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
  return WriteBitmap(dialog.window(), path) ? 0 : 1;
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
