// UTF-16 text as the system uses it everywhere, and the helpers that go with it.
// Texts are std::u16string on every build: wchar_t is 32-bit on Linux, so
// std::wstring would count characters differently there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

using Text = std::u16string;
using TextView = std::u16string_view;

inline constexpr TextView kCrLf = u"\r\n";

// Conversions for printing and for tests; the Win32 boundary converts itself.
Text FromUtf8(std::string_view utf8);
std::string ToUtf8(TextView text);

// A whole number in decimal, with a leading '-' when negative.
Text Decimal(int64_t value);

// Character positions, lengths and list indexes of the system's own code are
// 16-bit signed integers. Returns the value, or raises failure 6 (overflow)
// when it does not fit.
int16_t ToInt16(int64_t value);

// The text without leading and trailing blanks (U+0020 only).
TextView TrimBlanks(TextView text);

}  // namespace vx
