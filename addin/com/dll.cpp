// Vellox.DLL's four entry points: the class table, DllCanUnloadNow from the
// module count, and self-registration (type library, classes and ProgIDs,
// the per-user Outlook add-in entry unless the machine has one).
#include <windows.h>
#include <initguid.h>

#include "Vellox_h.h"
#include "addin/com/Connect_com.h"
#include "platform/win32/com_registration.h"
#include "platform/win32/com_server.h"

namespace vx::com {
namespace {

const win::ClassEntry kClasses[] = {
    {&CLSID_Connect, &CreateConnect},
    {&CLSID_clsVellox, &CreateClsVellox},
};

const win::reg::ServerClass kRegistered[] = {
    {&CLSID_Connect, u"Vellorian.Connect", &LIBID_Vellorian, u"27.0"},
    {&CLSID_clsVellox, u"Vellorian.clsVellox", &LIBID_Vellorian, u"27.0"},
};

// The Outlook add-in entry, per user; the same key under HKEY_LOCAL_MACHINE
// enters the add-in for every user of the machine.
constexpr TextView kAddinKey = u"Software\\Microsoft\\Office\\Outlook\\Addins\\Vellorian.Connect";
constexpr TextView kFriendlyName = u"Adresse in Zwischenablage kopieren";
constexpr TextView kDescription = u"kopiert die ausgewählte Adresse in die Zwischenablage";
constexpr DWORD kLoadAtStartup = 3;

HRESULT Register() {
  const Text path = win::module::Path();
  if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
  HRESULT hr = win::reg::RegisterTypeLibrary(path);
  for (const auto& cls : kRegistered) {
    if (SUCCEEDED(hr)) hr = win::reg::RegisterServerClass(cls, path);
  }
  // An add-in entered for every user of the machine (the setup package for
  // every user writes that entry before it registers the library) needs no
  // personal entry: one would be left in whatever account runs the
  // registration, and would stand in for the machine's entry there.
  if (FAILED(hr) || win::reg::KeyExists(HKEY_LOCAL_MACHINE, kAddinKey)) return hr;
  hr = win::reg::SetText(HKEY_CURRENT_USER, kAddinKey, u"FriendlyName", kFriendlyName);
  if (SUCCEEDED(hr)) hr = win::reg::SetText(HKEY_CURRENT_USER, kAddinKey, u"Description", kDescription);
  if (SUCCEEDED(hr)) hr = win::reg::SetDword(HKEY_CURRENT_USER, kAddinKey, u"LoadBehavior", kLoadAtStartup);
  return hr;
}

// Removes everything Register writes; goes on after a failure and answers
// the first one.
HRESULT Unregister() {
  HRESULT first = win::reg::DeleteTree(HKEY_CURRENT_USER, kAddinKey);
  auto keep = [&first](HRESULT hr) {
    if (SUCCEEDED(first)) first = hr;
  };
  for (const auto& cls : kRegistered) keep(win::reg::UnregisterServerClass(cls));
  keep(win::reg::UnregisterTypeLibrary(win::module::Path()));
  return first;
}

}  // namespace
}  // namespace vx::com

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) vx::win::module::SetHandle(instance);
  return TRUE;
}

// The exports answer; nothing they run may unwind into the caller.
STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return vx::win::GetClassObject(vx::com::kClasses, std::size(vx::com::kClasses), clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return vx::win::module::CanUnloadNow(); }

STDAPI DllRegisterServer() { return vx::Boundary(E_OUTOFMEMORY, [] { return vx::com::Register(); }); }

STDAPI DllUnregisterServer() {
  return vx::Boundary(E_OUTOFMEMORY, [] { return vx::com::Unregister(); });
}
