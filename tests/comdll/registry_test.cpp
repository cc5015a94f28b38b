// What regsvr32 leaves in the registry: run by CTest after registering
// (Registered.*, twice) and after unregistering (Unregistered.*).
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "comdll_test.h"
#include "tests/host/this_build.h"

namespace vx::test {
namespace {

const wchar_t kLibid[] = L"{A41A75E7-42E1-4D75-8FBD-91180C539543}";
const wchar_t kConnect[] = L"{8F627BA0-28B9-4A31-AB73-5C3FB26E0AA0}";
const wchar_t kClsVellox[] = L"{5DF55A09-EF15-4B40-8D69-0095F2CCF91F}";
const wchar_t kIConnect[] = L"{AFEDC9CA-EA94-47BB-88A9-A25DD1A95DE4}";
const wchar_t kIClsVellox[] = L"{4E094890-F53F-43B8-9765-63F5F053AF4C}";
const wchar_t kAutomationMarshaller[] = L"{00020424-0000-0000-C000-000000000046}";
const wchar_t kAddinKey[] = L"Software\\Microsoft\\Office\\Outlook\\Addins\\Vellorian.Connect";

struct Value {
  bool found = false;
  DWORD type = REG_NONE;
  std::wstring text;
  DWORD number = 0;
};

Value Read(HKEY root, const std::wstring& key, const wchar_t* name = nullptr) {
  Value v;
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return v;
  BYTE data[4096] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  if (RegQueryValueExW(handle, name, nullptr, &v.type, data, &size) == ERROR_SUCCESS) {
    v.found = true;
    if (v.type == REG_SZ || v.type == REG_EXPAND_SZ) v.text = reinterpret_cast<const wchar_t*>(data);
    if (v.type == REG_DWORD) v.number = *reinterpret_cast<const DWORD*>(data);
  }
  RegCloseKey(handle);
  return v;
}

std::wstring Text(HKEY root, const std::wstring& key, const wchar_t* name = nullptr) {
  Value v = Read(root, key, name);
  EXPECT_TRUE(v.found) << "missing: " << std::string(key.begin(), key.end());
  EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
  return v.text;
}

std::wstring Upper(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(std::towupper(c));
  return s;
}

// Everything below a key, one line per key and value, for comparing two
// registrations.
void Dump(HKEY root, const std::wstring& key, std::wostringstream& out) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
    out << key << L" <missing>\n";
    return;
  }
  out << key << L"\n";
  std::vector<std::wstring> values, children;
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD length = 512, type = 0;
    BYTE data[4096];
    DWORD size = sizeof data - 2;
    if (RegEnumValueW(handle, i, name, &length, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    data[size] = data[size + 1] = 0;
    std::wostringstream line;
    line << L"  " << name << L" (" << type << L") = ";
    if (type == REG_SZ) line << reinterpret_cast<const wchar_t*>(data);
    if (type == REG_DWORD) line << *reinterpret_cast<const DWORD*>(data);
    values.push_back(line.str());
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD length = 512;
    if (RegEnumKeyExW(handle, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.push_back(name);
  }
  RegCloseKey(handle);
  std::sort(values.begin(), values.end());
  std::sort(children.begin(), children.end());
  for (const auto& v : values) out << v << L"\n";
  for (const auto& c : children) Dump(root, key + L"\\" + c, out);
}

std::wstring Snapshot() {
  std::wostringstream out;
  Dump(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kConnect, out);
  Dump(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsVellox, out);
  Dump(HKEY_CLASSES_ROOT, L"Vellorian.Connect", out);
  Dump(HKEY_CLASSES_ROOT, L"Vellorian.clsVellox", out);
  Dump(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + kLibid, out);
  Dump(HKEY_CLASSES_ROOT, std::wstring(L"Interface\\") + kIConnect, out);
  Dump(HKEY_CLASSES_ROOT, std::wstring(L"Interface\\") + kIClsVellox, out);
  Dump(HKEY_CURRENT_USER, kAddinKey, out);
  return out.str();
}

TEST(Registered, ClassesAndProgIds) {
  ASSERT_FALSE(g_dllPath.empty());
  wchar_t full[MAX_PATH];
  GetFullPathNameW(g_dllPath.c_str(), MAX_PATH, full, nullptr);
  struct Class {
    const wchar_t* clsid;
    const wchar_t* progId;
  };
  for (const Class& c : {Class{kConnect, L"Vellorian.Connect"}, Class{kClsVellox, L"Vellorian.clsVellox"}}) {
    const std::wstring key = std::wstring(L"CLSID\\") + c.clsid;
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, key), c.progId);
    EXPECT_EQ(Upper(Text(HKEY_CLASSES_ROOT, key + L"\\InprocServer32")), Upper(full));
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, key + L"\\ProgID"), c.progId);
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, key + L"\\TypeLib"), kLibid);
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, key + L"\\Version"), L"27.0");
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, std::wstring(c.progId) + L"\\CLSID"), c.clsid);
    // The ProgID is found the way a host finds it.
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID(c.progId, &clsid), S_OK);
  }
}

TEST(Registered, TypeLibraryAndInterfaces) {
  const std::wstring lib = std::wstring(L"TypeLib\\") + kLibid + L"\\1b.0";
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, lib), L"kopiert ausgewählte Adresse ins Clipboard");
  std::wstring path = Upper(Text(HKEY_CLASSES_ROOT, lib + L"\\0\\" + host::kThisPlatform));
  EXPECT_NE(path.find(L"VELLOX.DLL"), std::wstring::npos);
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, lib + L"\\FLAGS"), L"0");
  struct Interface {
    const wchar_t* iid;
    const wchar_t* name;
  };
  for (const Interface& i : {Interface{kIConnect, L"_Connect"}, Interface{kIClsVellox, L"_clsVellox"}}) {
    const std::wstring key = std::wstring(L"Interface\\") + i.iid;
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, key), i.name);
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, key + L"\\ProxyStubClsid32"), kAutomationMarshaller);
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, key + L"\\TypeLib"), kLibid);
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, key + L"\\TypeLib", L"Version"), L"1b.0");
  }
}

// Unless the add-in is entered for every user of the machine: then the
// registration leaves no personal entry.
TEST(Registered, OutlookAddinEntryPerUser) {
  if (Read(HKEY_LOCAL_MACHINE, kAddinKey, L"LoadBehavior").found) {
    EXPECT_FALSE(Read(HKEY_CURRENT_USER, kAddinKey, L"LoadBehavior").found);
    return;
  }
  EXPECT_EQ(Text(HKEY_CURRENT_USER, kAddinKey, L"FriendlyName"), L"Adresse in Zwischenablage kopieren");
  EXPECT_EQ(Text(HKEY_CURRENT_USER, kAddinKey, L"Description"),
            L"kopiert die ausgewählte Adresse in die Zwischenablage");
  Value load = Read(HKEY_CURRENT_USER, kAddinKey, L"LoadBehavior");
  ASSERT_TRUE(load.found);
  EXPECT_EQ(load.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(load.number, 3u);
}

// With --snapshot=<file> the run writes what is registered; with
// --compare=<file> (after registering again) it must find exactly that.
std::wstring g_snapshotPath;
bool g_compare = false;

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

TEST(Registered, SameEntriesEveryTime) {
  if (g_snapshotPath.empty()) GTEST_SKIP() << "no --snapshot or --compare given";
  const std::string now = Utf8(Snapshot());
  const std::string file(g_snapshotPath.begin(), g_snapshotPath.end());
  if (!g_compare) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << now;
    ASSERT_TRUE(out.good());
    return;
  }
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in.good()) << "no snapshot of the first registration";
  std::stringstream before;
  before << in.rdbuf();
  EXPECT_EQ(before.str(), now);
}

// No key name, value name or text value anywhere under root\key mentions any
// of the needles.
// The 32-bit view (Wow6432Node) is walked too: the system's type library
// registration writes interface entries there as well. Registry links are
// not followed.
void ExpectNoTrace(HKEY root, const std::wstring& key, const std::vector<std::wstring>& needles, int& findings) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), REG_OPTION_OPEN_LINK, KEY_READ, &handle) != ERROR_SUCCESS) return;
  auto check = [&](const std::wstring& what, const std::wstring& where) {
    const std::wstring upper = Upper(what);
    for (const auto& n : needles) {
      if (upper.find(n) != std::wstring::npos && findings++ < 20) {
        ADD_FAILURE() << "left behind: " << std::string(where.begin(), where.end());
      }
    }
  };
  std::vector<std::wstring> children;
  // Small buffers: Wine moves the whole buffer through its server per call.
  std::vector<BYTE> data(2048);
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD length = 512, type = 0;
    DWORD size = static_cast<DWORD>(data.size() - 2);
    LONG rc = RegEnumValueW(handle, i, name, &length, nullptr, &type, data.data(), &size);
    if (rc == ERROR_MORE_DATA) {
      data.resize(size + 2);
      length = 512;
      rc = RegEnumValueW(handle, i, name, &length, nullptr, &type, data.data(), &size);
    }
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) continue;
    data[size] = data[size + 1] = 0;
    check(name, key + L" : " + name);
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
      check(reinterpret_cast<const wchar_t*>(data.data()), key + L" : " + name);
    }
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD length = 512;
    if (RegEnumKeyExW(handle, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.push_back(name);
  }
  RegCloseKey(handle);
  const bool inWow64View = Upper(key).find(L"WOW6432NODE") != std::wstring::npos;
  for (const auto& c : children) {
    if (inWow64View && Upper(c) == L"WOW6432NODE") continue;  // Wine's view of itself: endless
    if (Upper(c) == L"PERFLIB") continue;  // performance counters, made up on each read
    const std::wstring child = key.empty() ? c : key + L"\\" + c;
    check(c, child);
    ExpectNoTrace(root, child, needles, findings);
  }
}

// Further names the scan looks for (--trace=<text>, e.g. the other
// library's identities when both were installed together).
std::vector<std::wstring> g_moreNeedles;

TEST(Unregistered, NothingNamesOurIdentities) {
  std::vector<std::wstring> needles = {
      Upper(kLibid).substr(1, 36),      Upper(kConnect).substr(1, 36),     Upper(kClsVellox).substr(1, 36),
      Upper(kIConnect).substr(1, 36),   Upper(kIClsVellox).substr(1, 36), L"VELLORIAN.CONNECT",
      L"VELLORIAN.CLSVELLOX",
  };
  for (const auto& n : g_moreNeedles) needles.push_back(Upper(n));
  int findings = 0;
  ExpectNoTrace(HKEY_LOCAL_MACHINE, L"Software", needles, findings);
  ExpectNoTrace(HKEY_CURRENT_USER, L"Software", needles, findings);
  EXPECT_EQ(findings, 0);
}

}  // namespace

// Called from main for --trace=<text>.
void AddTraceNeedle(const std::wstring& text) { g_moreNeedles.push_back(text); }

// Called from main for --snapshot=<path>.
void SetSnapshotPath(const std::wstring& path, bool compare) {
  g_snapshotPath = path;
  g_compare = compare;
}

}  // namespace vx::test
