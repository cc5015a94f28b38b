// Shared by the Windows-side tests of Vellox.DLL.
#pragma once

#include <string>

namespace vx::test {
// The DLL under test, as a Windows path (empty when not given).
extern std::wstring g_dllPath;
}  // namespace vx::test
