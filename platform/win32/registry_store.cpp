#include "platform/win32/registry_store.h"

#include <windows.h>

#include <vector>

#include "platform/failure.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_error.h"

namespace vx::win {

namespace {

class Key {
 public:
  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

bool IsMissing(LSTATUS status) {
  return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

void Check(LSTATUS status) {
  if (status != ERROR_SUCCESS) RaiseWin32Error(static_cast<unsigned long>(status));
}

// Opens the section for reading; false when it does not exist.
bool OpenSection(const Text& application, const Text& section, REGSAM access, Key& key) {
  LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, Wide(SectionPath(application, section)), 0,
                                 access, key.out());
  if (IsMissing(status)) return false;
  Check(status);
  return true;
}

// A string value's data as text: without the terminating zero(s) the data
// may or may not carry.
Text StringData(const std::vector<BYTE>& data, DWORD bytes) {
  Text text(reinterpret_cast<const char16_t*>(data.data()), bytes / sizeof(char16_t));
  while (!text.empty() && text.back() == u'\0') text.pop_back();
  return text;
}

bool IsString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// Deletes key and everything below it (XP has no RegDeleteTree).
LSTATUS DeleteTree(HKEY parent, const std::wstring& name) {
  {
    Key key;
    LSTATUS status = RegOpenKeyExW(parent, name.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | DELETE,
                                   key.out());
    if (status != ERROR_SUCCESS) return status;
    wchar_t child[256];
    for (;;) {
      DWORD length = 256;
      status = RegEnumKeyExW(key.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_NO_MORE_ITEMS) break;
      if (status != ERROR_SUCCESS) return status;
      status = DeleteTree(key.get(), std::wstring(child, length));
      if (status != ERROR_SUCCESS) return status;
    }
  }
  return RegDeleteKeyW(parent, name.c_str());
}

}  // namespace

Text SectionPath(const Text& application, const Text& section) {
  if (application.empty() || section.empty()) Raise(fail::kInvalidArgument);
  return u"Software\\VB and VBA Program Settings\\" + application + u"\\" + section;
}

Text RegistryStore::GetSetting(const Text& application, const Text& section, const Text& key,
                               const Text& defaultValue) {
  Key sectionKey;
  if (!OpenSection(application, section, KEY_QUERY_VALUE, sectionKey)) return defaultValue;
  std::vector<BYTE> data(256);
  for (;;) {
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(data.size());
    LSTATUS status = RegQueryValueExW(sectionKey.get(), Wide(key), nullptr, &type, data.data(), &bytes);
    if (status == ERROR_FILE_NOT_FOUND) return defaultValue;
    if (status == ERROR_MORE_DATA) {
      data.resize(bytes + sizeof(wchar_t));
      continue;
    }
    Check(status);
    return IsString(type) ? StringData(data, bytes) : defaultValue;
  }
}

void RegistryStore::SaveSetting(const Text& application, const Text& section, const Text& key,
                                const Text& value) {
  Key sectionKey;
  Check(RegCreateKeyExW(HKEY_CURRENT_USER, Wide(SectionPath(application, section)), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, sectionKey.out(), nullptr));
  const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(char16_t));
  Check(RegSetValueExW(sectionKey.get(), Wide(key), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()), bytes));
}

std::vector<SettingEntry> RegistryStore::GetAllSettings(const Text& application,
                                                        const Text& section) {
  std::vector<SettingEntry> entries;
  Key sectionKey;
  if (!OpenSection(application, section, KEY_QUERY_VALUE, sectionKey)) return entries;
  DWORD maxName = 0;
  DWORD maxData = 0;
  Check(RegQueryInfoKeyW(sectionKey.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &maxName, &maxData, nullptr, nullptr));
  std::vector<wchar_t> name(maxName + 1);
  std::vector<BYTE> data(maxData + sizeof(wchar_t));
  for (DWORD index = 0;;) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD bytes = static_cast<DWORD>(data.size());
    DWORD type = 0;
    LSTATUS status = RegEnumValueW(sectionKey.get(), index, name.data(), &nameLength, nullptr,
                                   &type, data.data(), &bytes);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status == ERROR_MORE_DATA) {
      // A value grew since the sizes were read: retry the same index larger.
      name.resize(name.size() * 2 + 256);
      data.resize(data.size() * 2 + 256);
      continue;
    }
    Check(status);
    if (IsString(type)) entries.push_back({FromWide(name.data(), nameLength), StringData(data, bytes)});
    ++index;
  }
  return entries;
}

void RegistryStore::DeleteSetting(const Text& application, const Text& section) {
  const Text path = SectionPath(application, section);
  LSTATUS status = DeleteTree(HKEY_CURRENT_USER, std::wstring(Wide(path), path.size()));
  if (IsMissing(status)) return;
  Check(status);
}

}  // namespace vx::win
