// Win32 error codes as the system's numbered failures.
#pragma once

#include <cstdint>

namespace vx::win {

// The failure number for a Win32 error code (GetLastError, LSTATUS):
// access denied is 70, lack of memory 7, a damaged or unreadable registry 75,
// anything else 5.
int32_t FailureNumberOf(unsigned long code);

// Raises the failure for a Win32 error code, with its German description.
[[noreturn]] void RaiseWin32Error(unsigned long code);

}  // namespace vx::win
