// Vellox.DLL installed in the test prefix as a user installs it, and the
// user's settings, for the programs that run the add-in in the substitute
// Outlook (end-to-end tests, benchmark).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vx::e2e {

inline constexpr wchar_t kProgId[] = L"Vellorian.Connect";
inline constexpr wchar_t kCaption[] = L"&Zwischenablage";
inline constexpr wchar_t kTooltip[] = L"Adresse in die Zwischenablage kopieren";

// Runs "regsvr32 /s [/u] <library>" and returns its exit code.
DWORD Regsvr32(const wchar_t* library, bool unregister);
// The same for Vellox.DLL of this build.
DWORD Regsvr32(bool unregister);
#ifdef VX_VELLOX_OCX
// The same for Vellox.ocx of this build (programs that define VX_VELLOX_OCX).
inline DWORD RegisterOcx(bool unregister) { return Regsvr32(VX_VELLOX_OCX, unregister); }
#endif

// HKCU\Software\VB and VBA Program Settings\Brisanto and everything below it.
void DeleteSettings();
// One stored setting, or nothing (found = false).
std::wstring ReadSetting(const std::wstring& section, const std::wstring& key, bool* found = nullptr);
void WriteSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value);
// The template section replaced by Line1..LineN.
void WriteTemplate(const std::vector<std::wstring>& lines);

// The module of the loaded add-in's DllCanUnloadNow, or E_FAIL when the
// library is not loaded.
HRESULT AddinCanUnloadNow();

}  // namespace vx::e2e
