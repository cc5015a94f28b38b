// The COM faces of the add-in library's classes and the process-wide module
// they share.
#pragma once

#include <windows.h>

#include "addin/mdlAllgemein.h"

namespace vx::com {

// The add-in library's one mdlAllgemein, with the real services (registry
// store, Win32 clipboard, message boxes, splash window). Created on first
// use, lives as long as the process has the library loaded.
mdlAllgemein& AddinModule();

// The create functions of the class table.
HRESULT CreateConnect(REFIID iid, void** out);
HRESULT CreateClsVellox(REFIID iid, void** out);

}  // namespace vx::com
