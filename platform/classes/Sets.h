// Sets of enumeration values: bit n stands for ordinal n, kept in the number
// of bytes the declaring unit states (1, 2, 4, ... up to 32), as the platform
// stores them in memory and in streams.
//
//   using TFontStyles = TSet<TFontStyle, 1>;
//   TFontStyles s{fsBold, fsItalic};
//   if (s.Contains(fsBold)) s -= TFontStyles{fsBold};
//   s.ToString();   // "[fsItalic]" through the enumeration's value names
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "platform/rtl/Types.h"

struct TTypeInfo;

namespace sets_detail {

template <size_t N>
struct TSetInt {};
template <>
struct TSetInt<1> { using Type = uint8_t; };
template <>
struct TSetInt<2> { using Type = uint16_t; };
template <>
struct TSetInt<4> { using Type = uint32_t; };
template <>
struct TSetInt<8> { using Type = uint64_t; };

// Raises ERangeError: the ordinal does not fit a set of Bits elements.
[[noreturn]] void RaiseSetRange(long long Ordinal, size_t Bits);

// "[a,b]" (or "a,b") through the value names of the element enumeration.
String SetBitsToText(const TTypeInfo* ElemType, const Byte* Bits, size_t Size, bool Brackets);
// Parses "[a, b]" or "a,b" into Bits (cleared first); an unknown name raises
// EPropertyConvertError "Invalid property element: %s".
void TextToSetBits(const TTypeInfo* ElemType, const String& Text, Byte* Bits, size_t Size);

}  // namespace sets_detail

template <class E, size_t StorageBytes = 4>
class TSet {
  static_assert(StorageBytes >= 1 && StorageBytes <= 32, "a set holds at most 256 elements");

 public:
  static constexpr size_t Size = StorageBytes;
  static constexpr size_t MaxElements = StorageBytes * 8;
  using Element = E;

  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> Items) {
    for (E e : Items) Include(e);
  }

  constexpr TSet& Include(E Value) {
    size_t n = Bit(Value);
    FBits[n / 8] = Byte(FBits[n / 8] | (1u << (n % 8)));
    return *this;
  }
  constexpr TSet& Exclude(E Value) {
    size_t n = Bit(Value);
    FBits[n / 8] = Byte(FBits[n / 8] & ~(1u << (n % 8)));
    return *this;
  }
  // The platform's "in": an ordinal outside the set's range is never in it.
  constexpr bool Contains(E Value) const {
    auto n = static_cast<unsigned long long>(static_cast<long long>(Value));
    return n < MaxElements && (FBits[n / 8] >> (n % 8)) & 1u;
  }
  constexpr bool Empty() const {
    for (Byte b : FBits)
      if (b) return false;
    return true;
  }
  constexpr void Clear() {
    for (Byte& b : FBits) b = 0;
  }

  constexpr TSet& operator+=(const TSet& O) {
    for (size_t i = 0; i < Size; ++i) FBits[i] = Byte(FBits[i] | O.FBits[i]);
    return *this;
  }
  constexpr TSet& operator-=(const TSet& O) {
    for (size_t i = 0; i < Size; ++i) FBits[i] = Byte(FBits[i] & ~O.FBits[i]);
    return *this;
  }
  constexpr TSet& operator*=(const TSet& O) {
    for (size_t i = 0; i < Size; ++i) FBits[i] = Byte(FBits[i] & O.FBits[i]);
    return *this;
  }
  constexpr TSet& operator+=(E Value) { return Include(Value); }
  constexpr TSet& operator-=(E Value) { return Exclude(Value); }
  friend constexpr TSet operator+(TSet A, const TSet& B) { return A += B; }
  friend constexpr TSet operator-(TSet A, const TSet& B) { return A -= B; }
  friend constexpr TSet operator*(TSet A, const TSet& B) { return A *= B; }
  friend constexpr TSet operator+(TSet A, E B) { return A.Include(B); }
  friend constexpr TSet operator-(TSet A, E B) { return A.Exclude(B); }

  friend constexpr bool operator==(const TSet& A, const TSet& B) {
    for (size_t i = 0; i < Size; ++i)
      if (A.FBits[i] != B.FBits[i]) return false;
    return true;
  }
  // Subset and superset, as the platform's <= and >= on sets.
  friend constexpr bool operator<=(const TSet& A, const TSet& B) {
    for (size_t i = 0; i < Size; ++i)
      if (A.FBits[i] & ~B.FBits[i]) return false;
    return true;
  }
  friend constexpr bool operator>=(const TSet& A, const TSet& B) { return B <= A; }

  // The stored integer (sets of 1, 2, 4 or 8 bytes), bit n for ordinal n.
  constexpr auto ToInt() const requires requires { typename sets_detail::TSetInt<StorageBytes>::Type; } {
    using T = typename sets_detail::TSetInt<StorageBytes>::Type;
    T v = 0;
    for (size_t i = 0; i < Size; ++i) v = T(v | (T(FBits[i]) << (8 * i)));
    return v;
  }
  template <size_t N = StorageBytes>
    requires requires { typename sets_detail::TSetInt<N>::Type; }
  static constexpr TSet FromInt(typename sets_detail::TSetInt<N>::Type Value) {
    TSet s;
    for (size_t i = 0; i < Size; ++i) s.FBits[i] = Byte(Value >> (8 * i));
    return s;
  }

  // The stored bytes, little-endian bit order, as they reach streams.
  constexpr const Byte* Bytes() const { return FBits; }
  constexpr Byte* Bytes() { return FBits; }

  // "[a,b]" (or "a,b" without brackets) through the element enumeration's
  // type information (TypeInfoOf declared beside the enumeration).
  String ToString(bool Brackets = true) const {
    return sets_detail::SetBitsToText(TypeInfoOf(static_cast<const E*>(nullptr)), FBits, Size, Brackets);
  }
  static TSet FromString(const String& Text) {
    TSet s;
    sets_detail::TextToSetBits(TypeInfoOf(static_cast<const E*>(nullptr)), Text, s.FBits, Size);
    return s;
  }

 private:
  static constexpr size_t Bit(E Value) {
    auto n = static_cast<long long>(Value);
    if (n < 0 || static_cast<unsigned long long>(n) >= MaxElements) sets_detail::RaiseSetRange(n, MaxElements);
    return static_cast<size_t>(n);
  }

  Byte FBits[StorageBytes]{};
};
