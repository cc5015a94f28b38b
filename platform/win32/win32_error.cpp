#include "platform/win32/win32_error.h"

#include <windows.h>

#include "platform/failure.h"

namespace vx::win {

int32_t FailureNumberOf(unsigned long code) {
  switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return fail::kPermissionDenied;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
    case ERROR_NO_SYSTEM_RESOURCES:
      return fail::kOutOfMemory;
    case ERROR_BADDB:
    case ERROR_BADKEY:
    case ERROR_CANTOPEN:
    case ERROR_CANTREAD:
    case ERROR_CANTWRITE:
    case ERROR_REGISTRY_RECOVERED:
    case ERROR_REGISTRY_CORRUPT:
    case ERROR_REGISTRY_IO_FAILED:
    case ERROR_KEY_DELETED:
      return fail::kPathFileAccess;
    default:
      return fail::kInvalidArgument;
  }
}

void RaiseWin32Error(unsigned long code) { Raise(FailureNumberOf(code)); }

}  // namespace vx::win
