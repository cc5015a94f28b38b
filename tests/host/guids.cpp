// Defines the IIDs, DIIDs and LIBIDs that widl's headers of the stand-in
// libraries only declare. Windows' own GUIDs stay declared (headers first).
#include <windows.h>
#include <ocidl.h>
#include <oaidl.h>

#include <initguid.h>

#include "office9.h"
#include "outlook9.h"
