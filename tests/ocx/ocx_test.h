// Shared by the control library's Windows-side tests: where the built files
// are, the library loaded for in-process use, and a watcher that reads and
// closes the modal windows the page opens.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace vx::test {

inline constexpr CLSID kClsidCtlVellox = {
    0x87B630C7, 0x02C3, 0x4ABE, {0x9C, 0xAF, 0xFA, 0x93, 0x1F, 0x12, 0x76, 0x5B}};

// Command-line options (main.cpp).
struct Options {
  std::wstring ocx;       // the built Vellox.ocx
  std::wstring tlb32;     // the win32 type library, built for checking
  std::wstring snapshot;  // write the registered entries here
  std::wstring compare;   // compare the registered entries with this file
  int pageLines = 50;     // lines of the template in the benchmark
};
Options& Opts();

// The loaded control library and its class factory for ctlVellox.
IClassFactory* Factory();

// A modal window the page opened, as the watcher saw it.
struct SeenWindow {
  std::wstring title;
  std::wstring text;  // a message box's prompt
  HWND owner = nullptr;
  bool isSplash = false;
};

// Watches the calling thread for modal windows (#32770) while it runs
// action, reads each and closes it as a person would: OK on a message box,
// the about window's own OK button.
std::vector<SeenWindow> WatchWindows(const std::function<void()>& action);

// Reads a text value of HKCU (empty optional-like: found = false).
bool ReadUserText(const std::wstring& key, const std::wstring& name, std::wstring& value);
// Sets the stored template: HKCU\Software\VB and VBA Program Settings\Brisanto\AdressFormat.
void StoreTemplate(const std::vector<std::wstring>& lines);
const wchar_t* const kTemplateKey = L"Software\\VB and VBA Program Settings\\Brisanto\\AdressFormat";

}  // namespace vx::test
