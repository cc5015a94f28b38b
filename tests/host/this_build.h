// What the running test build is, for the checks that differ between the
// 32-bit and the 64-bit build: its type libraries' SYSKIND and the platform
// key registration writes them under (TypeLib\{…}\<ver>\0\win32 or \win64).
#pragma once

#include <oleauto.h>

namespace vx::host {

inline constexpr bool kIs64Bit = sizeof(void*) == 8;
inline constexpr SYSKIND kThisSysKind = kIs64Bit ? SYS_WIN64 : SYS_WIN32;
inline constexpr const wchar_t* kThisPlatform = kIs64Bit ? L"win64" : L"win32";

}  // namespace vx::host
