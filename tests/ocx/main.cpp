// Runs the control library's Windows-side tests in one apartment:
//   ocx_tests --ocx=<Vellox.ocx> [--tlb32=<tlb>] [--snapshot=f | --compare=f]
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "ocx_test.h"
#include "tests/host/thread.h"
#include "tests/host/thread_dialog.h"

namespace vx::test {

Options& Opts() {
  static Options options;
  return options;
}

IClassFactory* Factory() {
  static IClassFactory* factory = [] {
    HMODULE library = LoadLibraryW(Opts().ocx.c_str());
    if (!library) return static_cast<IClassFactory*>(nullptr);
    auto get = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")));
    IClassFactory* f = nullptr;
    const CLSID clsid = {0x87B630C7, 0x02C3, 0x4ABE, {0x9C, 0xAF, 0xFA, 0x93, 0x1F, 0x12, 0x76, 0x5B}};
    if (!get || FAILED(get(clsid, IID_IClassFactory, reinterpret_cast<void**>(&f)))) return f;
    return f;
  }();
  return factory;
}

namespace {

std::wstring TextOf(HWND h) {
  wchar_t buffer[1024] = {};
  int n = h ? GetWindowTextW(h, buffer, 1024) : 0;
  return std::wstring(buffer, n);
}

}  // namespace

std::vector<SeenWindow> WatchWindows(const std::function<void()>& action) {
  std::vector<SeenWindow> seen;
  std::atomic<bool> done{false};
  const DWORD thread = GetCurrentThreadId();
  host::Thread watcher([&] {
    HWND last = nullptr;
    while (!done) {
      HWND box = host::FindDialogOf(thread);
      if (box && box != last) {
        SeenWindow s;
        s.title = TextOf(box);
        s.text = TextOf(GetDlgItem(box, 0xFFFF));
        s.owner = GetWindow(box, GW_OWNER);
        constexpr int kSplashOk = 221;  // frmSplash's btnOK
        s.isSplash = GetDlgItem(box, kSplashOk) != nullptr;
        seen.push_back(s);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(s.isSplash ? kSplashOk : IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, s.isSplash ? kSplashOk : IDOK)));
        last = box;
      }
      Sleep(20);
    }
  });
  action();
  done = true;
  watcher.join();
  return seen;
}

bool ReadUserText(const std::wstring& key, const std::wstring& name, std::wstring& value) {
  wchar_t buffer[2048] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buffer, &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  value = buffer;
  return true;
}

void StoreTemplate(const std::vector<std::wstring>& lines) {
  RegDeleteKeyW(HKEY_CURRENT_USER, kTemplateKey);  // values only, no subkeys
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, kTemplateKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::wstring name = L"Line" + std::to_wstring(i + 1);
    RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(lines[i].c_str()),
                   static_cast<DWORD>((lines[i].size() + 1) * sizeof(wchar_t)));
  }
  RegCloseKey(key);
}

int Screenshot(const std::wstring& path);
int Benchmark(int runs);

}  // namespace vx::test

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  auto& o = vx::test::Opts();
  std::wstring screenshot, bench;
  for (int i = 1; i < argc; ++i) {
    std::wstring a = argv[i];
    auto take = [&](const wchar_t* prefix, std::wstring& into) {
      const size_t n = wcslen(prefix);
      if (a.compare(0, n, prefix) == 0) into = a.substr(n);
    };
    take(L"--ocx=", o.ocx);
    take(L"--tlb32=", o.tlb32);
    take(L"--snapshot=", o.snapshot);
    take(L"--compare=", o.compare);
    take(L"--screenshot=", screenshot);
    take(L"--bench=", bench);
    std::wstring lines;
    take(L"--lines=", lines);
    if (!lines.empty()) o.pageLines = std::stoi(lines);
  }
  OleInitialize(nullptr);
  if (!screenshot.empty() || !bench.empty()) {
    const int tool = screenshot.empty() ? vx::test::Benchmark(std::stoi(bench)) : vx::test::Screenshot(screenshot);
    OleUninitialize();
    return tool;
  }
  const int result = RUN_ALL_TESTS();
  OleUninitialize();
  return result;
}
