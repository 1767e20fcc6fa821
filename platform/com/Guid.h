// GUIDs name interfaces (IID_...) and devices. They are written in their registry form,
// "{6AAE1EC1-662A-11D0-889D-00AA00BBB76A}", and parsed at compile time, so a mistyped GUID
// is a build error rather than a lookup that never matches.
#pragma once

#include <string>

#include "platform/com/WinTypes.h"

struct GUID {
  DWORD Data1 = 0;
  WORD Data2 = 0;
  WORD Data3 = 0;
  BYTE Data4[8] = {};

  bool operator==(const GUID&) const = default;
};

using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFGUID = const GUID&;
using REFCLSID = const GUID&;

namespace platform::detail {

constexpr unsigned HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  throw "GUID text holds a character that is not a hexadecimal digit";
}

constexpr std::uint32_t HexField(const char* text, int digits) {
  std::uint32_t value = 0;
  for (int i = 0; i < digits; ++i) value = value * 16 + HexDigit(text[i]);
  return value;
}

}  // namespace platform::detail

// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (38 characters). Used in constant
// expressions, a malformed text stops the build.
constexpr GUID GuidFromString(const char (&Text)[39]) {
  if (Text[0] != '{' || Text[9] != '-' || Text[14] != '-' || Text[19] != '-' || Text[24] != '-' ||
      Text[37] != '}')
    throw "GUID text is not in the form {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}";
  GUID g;
  g.Data1 = platform::detail::HexField(Text + 1, 8);
  g.Data2 = static_cast<WORD>(platform::detail::HexField(Text + 10, 4));
  g.Data3 = static_cast<WORD>(platform::detail::HexField(Text + 15, 4));
  g.Data4[0] = static_cast<BYTE>(platform::detail::HexField(Text + 20, 2));
  g.Data4[1] = static_cast<BYTE>(platform::detail::HexField(Text + 22, 2));
  for (int i = 0; i < 6; ++i)
    g.Data4[2 + i] = static_cast<BYTE>(platform::detail::HexField(Text + 25 + 2 * i, 2));
  return g;
}

// The registry form of Guid, upper-case, with braces.
std::string GuidToString(const GUID& Guid);

inline constexpr GUID GUID_NULL{};
inline constexpr IID IID_IUnknown = GuidFromString("{00000000-0000-0000-C000-000000000046}");
