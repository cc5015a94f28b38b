// The GUIDs of the two type libraries' C++ headers, defined once.
#include <windows.h>
#include <initguid.h>

#include "Vellox_h.h"
#include "testobjects_h.h"
