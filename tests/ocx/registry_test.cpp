// What regsvr32 leaves in the registry for Vellox.ocx: run by CTest after
// registering (Registered.*, twice: the second run compares with the first)
// and after unregistering (Unregistered.*).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ocx_test.h"
#include "tests/host/this_build.h"

namespace vx::test {
namespace {

const wchar_t kClsid[] = L"{87B630C7-02C3-4ABE-9CAF-FA931F12765B}";
const wchar_t kLibid[] = L"{A827D05F-C205-4450-A63D-BEBB40AC241B}";
const wchar_t kIid[] = L"{CFA76581-054C-4F50-B556-B01542F167D8}";
const wchar_t kEvents[] = L"{4BA24B0D-34B7-4C33-A543-F78D313F96FF}";
const wchar_t kPropertyPage[] = L"{0006307E-0000-0000-C000-000000000046}";

bool Exists(const std::wstring& key) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

std::wstring Default(const std::wstring& key, const wchar_t* name = nullptr) {
  wchar_t buffer[1024] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
      ERROR_SUCCESS) {
    ADD_FAILURE() << "missing: " << std::string(key.begin(), key.end());
  }
  return buffer;
}

// Every key and string value below key, one line each, sorted.
void Collect(const std::wstring& key, std::vector<std::wstring>& out) {
  HKEY h = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return;
  out.push_back(key);
  wchar_t name[256];
  BYTE data[2048];
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = 256, dataLen = sizeof(data) - 2, type = 0;
    if (RegEnumValueW(h, i, name, &nameLen, nullptr, &type, data, &dataLen) != ERROR_SUCCESS) break;
    data[dataLen] = data[dataLen + 1] = 0;
    out.push_back(key + L" [" + name + L"] = " +
                  (type == REG_SZ ? std::wstring(reinterpret_cast<wchar_t*>(data)) : L"#" + std::to_wstring(type)));
  }
  std::vector<std::wstring> subkeys;
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = 256;
    if (RegEnumKeyExW(h, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    subkeys.push_back(name);
  }
  RegCloseKey(h);
  for (const auto& s : subkeys) Collect(key + L"\\" + s, out);
}

std::vector<std::wstring> Entries() {
  std::vector<std::wstring> all;
  for (std::wstring key : {std::wstring(L"CLSID\\") + kClsid, std::wstring(L"Vellox.ctlVellox"),
                           std::wstring(L"TypeLib\\") + kLibid, std::wstring(L"Interface\\") + kIid,
                           std::wstring(L"Interface\\") + kEvents}) {
    Collect(key, all);
  }
  std::sort(all.begin(), all.end());
  return all;
}

std::wstring Upper(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(std::towupper(c));
  return s;
}

// The library's path as Windows names it.
std::wstring LibraryPath() {
  HMODULE library = LoadLibraryExW(Opts().ocx.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(library, path, MAX_PATH);
  FreeLibrary(library);
  return path;
}

TEST(Registered, TheControlsEntries) {
  const std::wstring cls = std::wstring(L"CLSID\\") + kClsid;
  const std::wstring path = LibraryPath();
  EXPECT_EQ(Default(cls), L"Vellox.ctlVellox");
  EXPECT_EQ(Upper(Default(cls + L"\\InprocServer32")), Upper(path));
  EXPECT_EQ(Default(cls + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(Default(cls + L"\\ProgID"), L"Vellox.ctlVellox");
  EXPECT_EQ(Default(cls + L"\\TypeLib"), kLibid);
  EXPECT_EQ(Default(cls + L"\\Version"), L"24.0");
  EXPECT_TRUE(Exists(cls + L"\\Control"));
  EXPECT_EQ(Default(cls + L"\\MiscStatus"), L"0");
  EXPECT_EQ(Default(cls + L"\\MiscStatus\\1"), L"131473");
  EXPECT_EQ(Upper(Default(cls + L"\\ToolboxBitmap32")), Upper(path + L", 30000"));
  EXPECT_EQ(Default(L"Vellox.ctlVellox\\CLSID"), kClsid);

  const std::wstring lib = std::wstring(L"TypeLib\\") + kLibid + L"\\18.0";
  EXPECT_EQ(Default(lib), L"Property Page for Vellox");
  // The control flag (Wine adds the has-disk-image bit, 8), neither
  // restricted nor hidden.
  EXPECT_EQ(std::stoi(Default(lib + L"\\FLAGS")) & 7, LIBFLAG_FCONTROL);
  EXPECT_NE(Upper(Default(lib + L"\\0\\" + host::kThisPlatform)).find(L"VELLOX.OCX"), std::wstring::npos);
  for (const wchar_t* iid : {kIid, kEvents}) {
    const std::wstring key = std::wstring(L"Interface\\") + iid;
    EXPECT_EQ(Default(key + L"\\TypeLib"), kLibid);
    EXPECT_EQ(Default(key + L"\\TypeLib", L"Version"), L"18.0");
  }
  EXPECT_FALSE(Exists(std::wstring(L"Interface\\") + kPropertyPage + L"\\TypeLib") &&
               Default(std::wstring(L"Interface\\") + kPropertyPage + L"\\TypeLib") == kLibid)
      << "Outlook's PropertyPage is never claimed for our library";

  const std::vector<std::wstring> now = Entries();
  if (!Opts().snapshot.empty()) {
    std::wofstream out(std::string(Opts().snapshot.begin(), Opts().snapshot.end()));
    for (const auto& e : now) out << e << L"\n";
  }
  if (!Opts().compare.empty()) {
    std::wifstream in(std::string(Opts().compare.begin(), Opts().compare.end()));
    std::vector<std::wstring> before;
    for (std::wstring line; std::getline(in, line);) before.push_back(line);
    EXPECT_EQ(before, now) << "registering twice leaves the same entries";
  }
}

TEST(Unregistered, NothingIsLeft) {
  EXPECT_EQ(Entries(), std::vector<std::wstring>{});
  EXPECT_FALSE(Exists(L"Vellox.ctlVellox"));
}

}  // namespace
}  // namespace vx::test
