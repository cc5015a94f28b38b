// Failures: a number and a description, raised as one exception type.
//
// The numbers follow the classic automation runtime's numbering of run-time
// failures; their descriptions are the German ones, since both libraries run
// with German messages. A failing COM call becomes a Failure (see
// platform/win32/dispatch.h), never a crash.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "platform/text.h"

namespace vx {

namespace fail {
inline constexpr int32_t kInvalidArgument = 5;
inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kOutOfMemory = 7;
inline constexpr int32_t kSubscriptOutOfRange = 9;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kInternalError = 51;
inline constexpr int32_t kPermissionDenied = 70;
inline constexpr int32_t kPathFileAccess = 75;
inline constexpr int32_t kObjectNotSet = 91;
inline constexpr int32_t kObjectRequired = 424;
inline constexpr int32_t kCannotCreateObject = 429;
inline constexpr int32_t kNoInterface = 430;
inline constexpr int32_t kMemberNotFound = 438;
inline constexpr int32_t kAutomationError = 440;
}  // namespace fail

class Failure : public std::exception {
 public:
  Failure(int32_t number, Text description);
  int32_t number() const { return number_; }
  const Text& description() const { return description_; }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  int32_t number_;
  Text description_;
  std::string what_;
};

// The runtime's German description of a failure number; numbers it has no
// text for get "Anwendungs- oder objektdefinierter Fehler".
Text DescriptionOf(int32_t number);

[[noreturn]] void Raise(int32_t number);
[[noreturn]] void Raise(int32_t number, Text description);

// Inside a catch block: the failure being handled. A Failure is itself,
// std::bad_alloc is failure 7, anything else failure 51. Allocates: it may
// itself raise std::bad_alloc.
Failure CurrentFailure();

// Inside a catch block: the number CurrentFailure() would give, without
// allocating anything.
int32_t CurrentFailureNumber() noexcept;

// "Skips failing statements silently": runs one statement; a failure it
// raises is swallowed. Returns the failure's number, or 0 when the statement
// ran through (the way a classic runtime's error number reads after it).
template <class Statement>
int32_t ResumeNext(Statement&& statement) noexcept {
  try {
    statement();
    return 0;
  } catch (...) {
    return CurrentFailureNumber();
  }
}

// The edge of the libraries: an export, a COM method or class factory, a
// window or dialog procedure, an event sink, an enumeration callback. Runs
// body and returns what it returns; whatever it throws, lack of memory
// included, ends here and the caller gets onFailure instead. Nothing may
// unwind into a caller that is not ours: through a frame of the system, on
// 32-bit Windows, that ends the host process.
template <class R, class Body>
R Boundary(R onFailure, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    return onFailure;
  }
}

// Member access through an object reference: an empty reference is failure
// 91 ("object variable not set").
template <class T>
T& Need(const std::shared_ptr<T>& object) {
  if (!object) Raise(fail::kObjectNotSet);
  return *object;
}

}  // namespace vx
