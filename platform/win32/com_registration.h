// Self-registration of an in-process server: its type library (from the
// module's resource TYPELIB 1), its classes and ProgIDs, and plain registry
// values. Every function answers with an HRESULT (a failure one when an
// entry cannot be written); removing what is not there is success.
#pragma once

#include "platform/win32/com.h"

namespace vx::win::reg {

// A string value (REG_SZ, UTF-16); an empty name is the key's default value.
// Creates the key when needed.
HRESULT SetText(HKEY root, TextView key, TextView name, TextView value);
// A 32-bit number (REG_DWORD).
HRESULT SetDword(HKEY root, TextView key, TextView name, DWORD value);
// Removes a key with everything below it.
HRESULT DeleteTree(HKEY root, TextView key);
// Whether the key exists (and can be read).
bool KeyExists(HKEY root, TextView key);

// RegisterTypeLib for the module's own type library: the TypeLib entries and
// an Interface entry (automation marshaller) for each of its interfaces.
HRESULT RegisterTypeLibrary(TextView modulePath);
// Removes them again: UnRegisterTypeLib, then whatever of the library's
// TypeLib version key and Interface keys is left.
HRESULT UnregisterTypeLibrary(TextView modulePath);

// The class entries of one COM class served by the module.
struct ServerClass {
  const CLSID* clsid;
  TextView progId;    // also the CLSID key's default value
  const GUID* libid;  // the type library describing the class
  TextView version;   // the type library's version, "27.0"
};

// HKCR\CLSID\{clsid} = progId, with InprocServer32 (module path,
// ThreadingModel Apartment), ProgID, TypeLib and Version; and
// HKCR\<progId> = progId with CLSID = {clsid}.
HRESULT RegisterServerClass(const ServerClass& cls, TextView modulePath);
// Removes the CLSID key and the ProgID key.
HRESULT UnregisterServerClass(const ServerClass& cls);

}  // namespace vx::win::reg
