#include "tests/e2e/vellox_install.h"

#include <shlwapi.h>

namespace vx::e2e {

namespace {

constexpr wchar_t kSettingsRoot[] = L"Software\\VB and VBA Program Settings\\Brisanto";

std::wstring Section(const std::wstring& section) { return std::wstring(kSettingsRoot) + L"\\" + section; }

}  // namespace

DWORD Regsvr32(const wchar_t* library, bool unregister) {
  std::wstring command = L"regsvr32.exe /s ";
  if (unregister) command += L"/u ";
  command += L"\"" + std::wstring(library) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    return GetLastError();
  }
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

DWORD Regsvr32(bool unregister) { return Regsvr32(VX_VELLOX_DLL, unregister); }

void DeleteSettings() { SHDeleteKeyW(HKEY_CURRENT_USER, kSettingsRoot); }

std::wstring ReadSetting(const std::wstring& section, const std::wstring& key, bool* found) {
  if (found) *found = false;
  HKEY h = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Section(section).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) {
    return {};
  }
  wchar_t buffer[2048] = L"";
  DWORD type = 0, size = sizeof(buffer) - sizeof(wchar_t);
  LONG rc = RegQueryValueExW(h, key.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(h);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return {};
  if (found) *found = true;
  return std::wstring(buffer, wcsnlen(buffer, size / sizeof(wchar_t)));
}

void WriteSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
  HKEY h = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, Section(section).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                      &h, nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExW(h, key.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(h);
}

void WriteTemplate(const std::vector<std::wstring>& lines) {
  SHDeleteKeyW(HKEY_CURRENT_USER, Section(L"AdressFormat").c_str());
  for (size_t i = 0; i < lines.size(); ++i) {
    WriteSetting(L"AdressFormat", L"Line" + std::to_wstring(i + 1), lines[i]);
  }
}

HRESULT AddinCanUnloadNow() {
  HMODULE module = GetModuleHandleW(L"Vellox.DLL");
  if (!module) return E_FAIL;
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  auto can = reinterpret_cast<CanUnload>(
      reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
  return can ? can() : E_FAIL;
}

}  // namespace vx::e2e
