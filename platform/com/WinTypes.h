// The fixed-size integer and record types that the Win32 and DirectX stand-ins are written in.
// They keep their Windows names so that call sites read like the calls they stand for; their
// sizes are those of 32-bit Windows wherever a fixed width matters (DWORD, LONG, WORD, BYTE).
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using UINT = std::uint32_t;
using BOOL = std::int32_t;
using LPVOID = void*;
using HANDLE = void*;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// A rectangle; right and bottom lie just outside it.
struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;

  bool operator==(const RECT&) const = default;
};

struct POINT {
  LONG x = 0;
  LONG y = 0;

  bool operator==(const POINT&) const = default;
};
