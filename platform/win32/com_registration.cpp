#include "platform/win32/com_registration.h"

#include <vector>

namespace vx::win::reg {

namespace {

HRESULT FromWin32(LONG error) { return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(error); }

HRESULT SetValue(HKEY root, TextView key, TextView name, DWORD type, const void* data, DWORD bytes) {
  HKEY handle = nullptr;
  std::wstring path = WideString(key);
  LONG error = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_SET_VALUE, nullptr, &handle, nullptr);
  if (error != ERROR_SUCCESS) return FromWin32(error);
  std::wstring valueName = WideString(name);
  error = RegSetValueExW(handle, name.empty() ? nullptr : valueName.c_str(), 0, type,
                         static_cast<const BYTE*>(data), bytes);
  RegCloseKey(handle);
  return FromWin32(error);
}

// "1b.0" for 27.0: type library version keys are hexadecimal.
Text Hex(unsigned value) {
  Text digits;
  do {
    digits.insert(digits.begin(), u"0123456789abcdef"[value % 16]);
    value /= 16;
  } while (value != 0);
  return digits;
}
Text VersionKey(WORD major, WORD minor) { return Hex(major) + u"." + Hex(minor); }

}  // namespace

HRESULT SetText(HKEY root, TextView key, TextView name, TextView value) {
  std::wstring text = WideString(value);
  return SetValue(root, key, name, REG_SZ, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

HRESULT SetDword(HKEY root, TextView key, TextView name, DWORD value) {
  return SetValue(root, key, name, REG_DWORD, &value, sizeof value);
}

bool KeyExists(HKEY root, TextView key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, WideString(key).c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

HRESULT DeleteTree(HKEY root, TextView key) {
  std::wstring path = WideString(key);
  HKEY handle = nullptr;
  LONG error = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &handle);
  if (error == ERROR_FILE_NOT_FOUND) return S_OK;
  if (error != ERROR_SUCCESS) return FromWin32(error);
  // Children first (RegDeleteTree is not there on Windows 2000/XP).
  std::vector<Text> children;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(handle, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    children.push_back(FromWide(name, length));
  }
  RegCloseKey(handle);
  for (const auto& child : children) {
    HRESULT hr = DeleteTree(root, Text(key) + u"\\" + child);
    if (FAILED(hr)) return hr;
  }
  error = RegDeleteKeyW(root, path.c_str());
  return error == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(error);
}

HRESULT RegisterTypeLibrary(TextView modulePath) {
  std::wstring path = WideString(modulePath);
  Ref<ITypeLib> library;
  HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
  if (FAILED(hr)) return hr;
  hr = RegisterTypeLib(library.Get(), path.data(), nullptr);
  if (FAILED(hr)) return hr;
  // FLAGS holds the library's own flags only (restricted, control, hidden),
  // not the loader's "has a disk image" that some systems copy in.
  TLIBATTR* attr = nullptr;
  hr = library->GetLibAttr(&attr);
  if (FAILED(hr)) return hr;
  const WORD flags = attr->wLibFlags & (LIBFLAG_FRESTRICTED | LIBFLAG_FCONTROL | LIBFLAG_FHIDDEN);
  const Text key = u"TypeLib\\" + GuidText(attr->guid) + u"\\" + VersionKey(attr->wMajorVerNum, attr->wMinorVerNum);
  library->ReleaseTLibAttr(attr);
  return SetText(HKEY_CLASSES_ROOT, key + u"\\FLAGS", u"", Decimal(flags));
}

HRESULT UnregisterTypeLibrary(TextView modulePath) {
  std::wstring path = WideString(modulePath);
  Ref<ITypeLib> library;
  HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
  if (FAILED(hr)) return hr;
  TLIBATTR* attr = nullptr;
  hr = library->GetLibAttr(&attr);
  if (FAILED(hr)) return hr;
  const TLIBATTR lib = *attr;
  library->ReleaseTLibAttr(attr);

  std::vector<GUID> interfaces;
  for (UINT i = 0, n = library->GetTypeInfoCount(); i < n; ++i) {
    TYPEKIND kind;
    Ref<ITypeInfo> info;
    TYPEATTR* type = nullptr;
    if (FAILED(library->GetTypeInfoType(i, &kind)) ||
        (kind != TKIND_INTERFACE && kind != TKIND_DISPATCH) ||
        FAILED(library->GetTypeInfo(i, &info)) || FAILED(info->GetTypeAttr(&type))) {
      continue;
    }
    interfaces.push_back(type->guid);
    info->ReleaseTypeAttr(type);
  }

  // Whatever the system routine leaves behind goes as well.
  UnRegisterTypeLib(lib.guid, lib.wMajorVerNum, lib.wMinorVerNum, lib.lcid, lib.syskind);
  for (const auto& iid : interfaces) {
    hr = DeleteTree(HKEY_CLASSES_ROOT, u"Interface\\" + GuidText(iid));
    if (FAILED(hr)) return hr;
  }
  const Text libKey = u"TypeLib\\" + GuidText(lib.guid);
  hr = DeleteTree(HKEY_CLASSES_ROOT, libKey + u"\\" + VersionKey(lib.wMajorVerNum, lib.wMinorVerNum));
  if (FAILED(hr)) return hr;
  // The LIBID key itself only when no other version is registered under it.
  std::wstring libPath = WideString(libKey);
  RegDeleteKeyW(HKEY_CLASSES_ROOT, libPath.c_str());
  return S_OK;
}

HRESULT RegisterServerClass(const ServerClass& cls, TextView modulePath) {
  const Text key = u"CLSID\\" + GuidText(*cls.clsid);
  const Text progIdKey = Text(cls.progId);
  HRESULT results[] = {
      SetText(HKEY_CLASSES_ROOT, key, u"", cls.progId),
      SetText(HKEY_CLASSES_ROOT, key + u"\\InprocServer32", u"", modulePath),
      SetText(HKEY_CLASSES_ROOT, key + u"\\InprocServer32", u"ThreadingModel", u"Apartment"),
      SetText(HKEY_CLASSES_ROOT, key + u"\\ProgID", u"", cls.progId),
      SetText(HKEY_CLASSES_ROOT, key + u"\\TypeLib", u"", GuidText(*cls.libid)),
      SetText(HKEY_CLASSES_ROOT, key + u"\\Version", u"", cls.version),
      SetText(HKEY_CLASSES_ROOT, progIdKey, u"", cls.progId),
      SetText(HKEY_CLASSES_ROOT, progIdKey + u"\\CLSID", u"", GuidText(*cls.clsid)),
  };
  for (HRESULT hr : results) {
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT UnregisterServerClass(const ServerClass& cls) {
  HRESULT hr = DeleteTree(HKEY_CLASSES_ROOT, u"CLSID\\" + GuidText(*cls.clsid));
  HRESULT hr2 = DeleteTree(HKEY_CLASSES_ROOT, cls.progId);
  return FAILED(hr) ? hr : hr2;
}

}  // namespace vx::win::reg
