// Pascal's "set of" over a small enumeration, stored as a bit set
// (bit n = member with ordinal n). 16 bits unless told otherwise.
#pragma once

#include <cstdint>
#include <initializer_list>

template <typename E, typename TBits = uint16_t>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> Members) {
    for (E M : Members) Include(M);
  }
  static constexpr TSet FromBits(TBits Bits) {
    TSet S;
    S.FBits = Bits;
    return S;
  }

  constexpr TBits Bits() const { return FBits; }
  constexpr bool Contains(E M) const { return (FBits & Bit(M)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr void Include(E M) { FBits = static_cast<TBits>(FBits | Bit(M)); }
  constexpr void Exclude(E M) { FBits = static_cast<TBits>(FBits & ~Bit(M)); }
  constexpr void Clear() { FBits = 0; }

  constexpr TSet operator+(TSet Other) const { return FromBits(static_cast<TBits>(FBits | Other.FBits)); }
  constexpr TSet operator-(TSet Other) const { return FromBits(static_cast<TBits>(FBits & ~Other.FBits)); }
  constexpr TSet operator*(TSet Other) const { return FromBits(static_cast<TBits>(FBits & Other.FBits)); }
  constexpr TSet& operator+=(E M) {
    Include(M);
    return *this;
  }
  constexpr TSet& operator-=(E M) {
    Exclude(M);
    return *this;
  }
  constexpr bool operator==(const TSet&) const = default;

 private:
  static constexpr TBits Bit(E M) {
    return static_cast<TBits>(TBits(1) << static_cast<unsigned>(M));
  }
  TBits FBits = 0;
};
