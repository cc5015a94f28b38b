// Turning a fuzzer's bytes into the texts the logic works on, and the check
// that stops a run when an invariant breaks.
//
// Byte 0 of an input is a set of flags for the target; the rest is text:
//   0x00..0x7F  that ASCII character
//   0x80..0xFD  one of kNotable below (umlauts, halves of a surrogate pair, ...)
//   0xFE n c    character c (as a single byte above) repeated n * repeatUnit
//               times, once per input (a further 0xFE is a single byte): the
//               template engine's target repeats by 160, so that short inputs
//               reach lines beyond 32,767 characters
//   0xFF lo hi  any UTF-16 code unit
// The text is cut into groups at U+001D, a group into records at U+001E, and
// a record into its two halves at the first U+001F.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/text.h"

namespace vx::fuzz {

inline constexpr char16_t kGroupSeparator = u'\x1D';
inline constexpr char16_t kRecordSeparator = u'\x1E';
inline constexpr char16_t kUnitSeparator = u'\x1F';

inline constexpr char16_t kNotable[] = {
    u'\u00E4', u'\u00F6', u'\u00FC', u'\u00DF', u'\u00C4', u'\u20AC', u'\u00A0', u'\u3000',
    0xD83D,    0xDE42,    0xDBFF,    0xDC00,    0xFEFF,    0xFFFD,    0xFFFF,    u'\u6771',
    u'\u0085', u'\u2028', u'\t',     u'\r',     u'\n',     u'\0',     u'<',      u'>',
};

struct Input {
  uint8_t flags = 0;
  Text text;
};

inline char16_t SingleByteUnit(uint8_t b) {
  if (b < 0x80) return b;
  return kNotable[(b - 0x80) % (sizeof(kNotable) / sizeof(kNotable[0]))];
}

inline Input Decode(const uint8_t* data, size_t size, size_t repeatUnit) {
  Input in;
  if (size == 0) return in;
  in.flags = data[0];
  bool repeated = false;
  for (size_t i = 1; i < size;) {
    const uint8_t b = data[i];
    if (b == 0xFE && !repeated && i + 2 < size) {
      in.text.append(size_t{data[i + 1]} * repeatUnit, SingleByteUnit(data[i + 2]));
      repeated = true;
      i += 3;
    } else if (b == 0xFF && i + 2 < size) {
      in.text.push_back(static_cast<char16_t>(data[i + 1] | (data[i + 2] << 8)));
      i += 3;
    } else {
      in.text.push_back(SingleByteUnit(b));
      ++i;
    }
  }
  return in;
}

inline std::vector<Text> Split(TextView text, char16_t separator) {
  std::vector<Text> parts;
  size_t from = 0;
  for (;;) {
    const size_t at = text.find(separator, from);
    if (at == TextView::npos) {
      parts.emplace_back(text.substr(from));
      return parts;
    }
    parts.emplace_back(text.substr(from, at - from));
    from = at + 1;
  }
}

// An invariant that must hold: when it does not, the run stops with a report
// (libFuzzer keeps the input as a crash).
inline void Check(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

inline bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Calls f for every code unit of text that is half of a surrogate pair
// without its other half.
template <class F>
void ForEachLoneSurrogate(TextView text, F&& f) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsHighSurrogate(c)) {
      if (i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
        ++i;
      } else {
        f(c);
      }
    } else if (IsLowSurrogate(c)) {
      f(c);
    }
  }
}

}  // namespace vx::fuzz
