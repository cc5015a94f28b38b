// Texts at the Win32 boundary: wchar_t is 16-bit on Windows, so a Text and a
// wide string share their code units.
#pragma once

#include <string>

#include "platform/text.h"

namespace vx::win {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide strings are UTF-16");

inline const wchar_t* Wide(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

inline Text FromWide(const wchar_t* chars, size_t count) {
  return Text(reinterpret_cast<const char16_t*>(chars), count);
}

}  // namespace vx::win
