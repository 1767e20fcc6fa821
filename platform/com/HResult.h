// Result codes: every platform call returns a 32-bit HRESULT, negative on failure. The codes
// here are the generic ones; DirectDraw adds its own (platform/ddraw/DDrawErrors.h).
#pragma once

#include <cstdint>

#include "platform/com/WinTypes.h"

using HRESULT = std::int32_t;

// The code whose bit pattern is Bits (failure codes have the top bit set).
constexpr HRESULT MakeHResult(std::uint32_t Bits) {
  return static_cast<HRESULT>(Bits);
}

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002u);
inline constexpr HRESULT E_POINTER = MakeHResult(0x80004003u);
inline constexpr HRESULT E_FAIL = MakeHResult(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110u);

constexpr bool SUCCEEDED(HRESULT Result) {
  return Result >= 0;
}
constexpr bool FAILED(HRESULT Result) {
  return Result < 0;
}
