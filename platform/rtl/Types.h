// Basic types of the run-time library: integers of fixed width, characters
// and strings, and the pointer-sized message parameters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

using Integer = int32_t;
using Cardinal = uint32_t;
using LongInt = int32_t;
using LongWord = uint32_t;
using ShortInt = int8_t;
using SmallInt = int16_t;
using Byte = uint8_t;
using Word = uint16_t;
using Int64 = int64_t;
using UInt64 = uint64_t;
using NativeInt = intptr_t;
using NativeUInt = uintptr_t;
using Single = float;
using Double = double;
using Boolean = bool;
using BOOL = int32_t;  // the platform's 4-byte Boolean of API calls
using Pointer = void*;

// Characters: Char is a UTF-16 code unit, AnsiChar a byte in the system code page.
using Char = char16_t;
using WideChar = char16_t;
using AnsiChar = char;
using PChar = Char*;

// String is UTF-16 and counts code units, as the system's algorithms do.
// WideString is the same text type. AnsiString holds bytes in the system
// code page, UTF8String bytes in UTF-8, RawByteString bytes of no stated page.
using String = std::u16string;
using UnicodeString = std::u16string;
using WideString = std::u16string;
using AnsiString = std::string;
using UTF8String = std::string;
using RawByteString = std::string;

// Date and time: days since 1899-12-30, the time of day as the fraction.
using TDateTime = double;
using TDate = double;
using TTime = double;

// Pointer-sized message parameters and results.
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using HRESULT = int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

constexpr Integer MaxInt = 0x7FFFFFFF;
constexpr Int64 MaxInt64 = INT64_MAX;
constexpr Int64 MinInt64 = INT64_MIN;
