// The control library's entry points: DllMain and the four exports of an
// in-process server.
#include <windows.h>

#include <cstdlib>

#include "optionspage/com/ctlVellox_com.h"
#include "optionspage/com/page_window.h"
#include "platform/win32/com_registration.h"
#include "platform/win32/com_server.h"

namespace {

using namespace vx;
using namespace vx::win;

const ClassEntry kClasses[] = {{&kClsidCtlVellox, &CreateCtlVellox}};

const reg::ServerClass kCtlVellox = {&kClsidCtlVellox, kCtlVelloxProgId, &kLibidVellox, u"24.0"};

// An empty key: the Control marker.
HRESULT CreateKey(const Text& key) {
  HKEY handle = nullptr;
  const LONG status = RegCreateKeyExW(HKEY_CLASSES_ROOT, reinterpret_cast<const wchar_t*>(key.c_str()),
                                      0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr);
  if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  RegCloseKey(handle);
  return S_OK;
}

// The entries that mark ctlVellox as an ActiveX control.
HRESULT RegisterControlEntries(const Text& path) {
  const Text key = u"CLSID\\" + GuidText(kClsidCtlVellox);
  HRESULT hr = CreateKey(key + u"\\Control");
  if (SUCCEEDED(hr)) hr = reg::SetText(HKEY_CLASSES_ROOT, key + u"\\MiscStatus", u"", u"0");
  if (SUCCEEDED(hr)) {
    hr = reg::SetText(HKEY_CLASSES_ROOT, key + u"\\MiscStatus\\1", u"", Decimal(kCtlVelloxMiscStatus));
  }
  if (SUCCEEDED(hr)) hr = reg::SetText(HKEY_CLASSES_ROOT, key + u"\\ToolboxBitmap32", u"", path + u", 30000");
  return hr;
}

}  // namespace

// No failure leaves a COM method of this library, so reaching terminate is a
// fault of the library itself: end at once. Replacing the runtime's verbose
// handler keeps its demangler (some 46 KB) out of the file.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    module::SetHandle(instance);
  } else if (reason == DLL_PROCESS_DETACH && !reserved) {
    // Unloaded while the process goes on: give back what the pages kept.
    ReleaseOutlookApplications();
    UnregisterPageWindowClass(instance);
  }
  return TRUE;
}

// The exports answer; nothing they run may unwind into the caller.
STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return GetClassObject(kClasses, 1, clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return module::CanUnloadNow(); }

STDAPI DllRegisterServer() {
  return Boundary(E_OUTOFMEMORY, [] {
    const Text path = module::Path();
    HRESULT hr = reg::RegisterTypeLibrary(path);
    if (SUCCEEDED(hr)) hr = reg::RegisterServerClass(kCtlVellox, path);
    if (SUCCEEDED(hr)) hr = RegisterControlEntries(path);
    return hr;
  });
}

STDAPI DllUnregisterServer() {
  return Boundary(E_OUTOFMEMORY, [] {
    HRESULT hr = reg::UnregisterServerClass(kCtlVellox);
    const HRESULT lib = reg::UnregisterTypeLibrary(module::Path());
    return FAILED(hr) ? hr : lib;
  });
}
