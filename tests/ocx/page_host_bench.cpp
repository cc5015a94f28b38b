// Timing of the options page in the substitute Outlook (a measuring program,
// not a test): with Vellox.DLL connected and a 50-line template stored, the
// folder's properties dialog is opened and the page the add-in announced is
// created from its ProgID, filled and shown. Registers both libraries for its
// run and removes them after.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/host/property_dialog.h"
#include "tests/e2e/vellox_install.h"
#include "tests/host/host.h"

int main() {
  if (vx::e2e::Regsvr32(false) != 0 || vx::e2e::RegisterOcx(false) != 0) {
    std::fprintf(stderr, "registration failed\n");
    return 1;
  }
  vx::e2e::DeleteSettings();
  vx::e2e::WriteSetting(L"Startup", L"FirstRun", L"0");
  vx::e2e::WriteSetting(L"Startup", L"ShowSplash", L"0");
  std::vector<std::wstring> lines;
  for (int i = 1; i <= 50; ++i) lines.push_back(L"Zeile " + std::to_wstring(i) + L": <FullName>");
  vx::e2e::WriteTemplate(lines);
  int status = 0;
  {
    vx::host::Host host;
    host.OpenExplorer(host.Contacts());
    host.Startup();
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    std::vector<double> ms;
    for (int run = 0; run <= 30 && status == 0; ++run) {
      vx::host::PageSite site;
      vx::host::PageDialog dialog(site);
      vx::host::PagesObj* pages = host.OpenFolderProperties(host.Contacts());
      if (pages->pages.size() != 1 || FAILED(dialog.OpenWindow(L"Eigenschaften von Kontakte"))) {
        std::fprintf(stderr, "no page announced (%zu)\n", pages->pages.size());
        status = 1;
        break;
      }
      LARGE_INTEGER start, end;
      QueryPerformanceCounter(&start);
      CLSID clsid{};
      IClassFactory* factory = nullptr;
      HRESULT hr = CLSIDFromProgID(pages->pages[0].progId.c_str(), &clsid);
      if (SUCCEEDED(hr)) {
        hr = CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                              reinterpret_cast<void**>(&factory));
      }
      if (SUCCEEDED(hr)) hr = dialog.AddPage(factory);
      QueryPerformanceCounter(&end);
      if (factory) factory->Release();
      if (FAILED(hr) || ListView_GetItemCount(GetDlgItem(dialog.pageWindow(), 105)) != 50) {
        std::fprintf(stderr, "hr %08lx, %d lines\n", static_cast<unsigned long>(hr),
                     ListView_GetItemCount(GetDlgItem(dialog.pageWindow(), 105)));
        status = 1;
        break;
      }
      if (run > 0) ms.push_back(1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / f.QuadPart);
    }
    if (status == 0 && !ms.empty()) {
      std::sort(ms.begin(), ms.end());
      std::printf("page opened %zu times in the substitute Outlook, 50-line template (from the ProgID: control "
                  "created, lists filled, shown): median %.2f ms, min %.2f ms, max %.2f ms\n",
                  ms.size(), ms[ms.size() / 2], ms.front(), ms.back());
    }
    host.Shutdown();
  }
  vx::e2e::DeleteSettings();
  vx::e2e::RegisterOcx(true);
  vx::e2e::Regsvr32(true);
  return status;
}
