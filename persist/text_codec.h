// Number lines of the text encoding: formatting 32-bit values and reading a
// number line the way the standard decimal conversion does (leading white
// space skipped, conversion up to the first character that does not fit,
// 0 when there is none).
#ifndef TAVRIN_PERSIST_TEXT_CODEC_H
#define TAVRIN_PERSIST_TEXT_CODEC_H

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "persist/input_file.h"

namespace tavrin {

// Longest number text kept from a line; longer numbers are out of range
// for every field anyway.
constexpr std::size_t kNumberCap = 512;

// Writes the decimal text of v into out (at least 12 bytes); returns the end.
inline char* FormatInt32(char* out, int32_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  if (v < 0) {
    *out++ = '-';
    u = 0u - u;
  }
  if (u < 10) {
    *out++ = static_cast<char>('0' + u);
    return out;
  }
  static const char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  char tmp[10];
  char* p = tmp + sizeof tmp;
  while (u >= 100) {
    unsigned pair = (u % 100) * 2;
    u /= 100;
    *--p = kPairs[pair + 1];
    *--p = kPairs[pair];
  }
  if (u >= 10) {
    *--p = kPairs[u * 2 + 1];
    *--p = kPairs[u * 2];
  } else {
    *--p = static_cast<char>('0' + u);
  }
  std::size_t n = static_cast<std::size_t>(tmp + sizeof tmp - p);
  std::memcpy(out, p, n);
  return out + n;
}

inline bool IsSpaceChar(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Consumes one line and keeps its text after leading white space, at most
// kNumberCap characters, in out (kNumberCap + 1 bytes). False when the line
// is incomplete.
inline bool ReadNumberText(InputFile& in, char* out) {
  std::size_t kept = 0;
  bool leading = true;
  bool complete = in.ScanLine([&](const char* p, std::size_t n) {
    std::size_t i = 0;
    if (leading) {
      while (i < n && IsSpaceChar(p[i])) ++i;
      if (i < n) leading = false;
    }
    std::size_t k = n - i;
    if (k > kNumberCap - kept) k = kNumberCap - kept;
    std::memcpy(out + kept, p + i, k);
    kept += k;
  });
  out[kept] = '\0';
  return complete;
}

// A 32-bit value from a number line: the decimal conversion, taken modulo
// 2^32 (so "-1" and "4294967295" both give all bits set).
inline bool ReadInt32Line(InputFile& in, int32_t& v) {
  int64_t plain;
  if (in.TryReadPlainNumber(plain)) {
    v = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(plain)));
    return true;
  }
  char text[kNumberCap + 1];
  if (!ReadNumberText(in, text)) return false;
  long long n = std::strtoll(text, nullptr, 10);
  v = static_cast<int32_t>(static_cast<uint32_t>(static_cast<unsigned long long>(n)));
  return true;
}

inline bool ReadDoubleLine(InputFile& in, double& v) {
  char text[kNumberCap + 1];
  if (!ReadNumberText(in, text)) return false;
  v = std::strtod(text, nullptr);
  return true;
}

}  // namespace tavrin

#endif
