// TSet<E>: a set over an enumeration, held as a bit mask (bit n for the member of ordinal n),
// the value type of set properties.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace fw {

template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> members) {
    for (E m : members) FBits |= Bit(m);
  }
  static constexpr TSet FromInt(std::uint64_t bits) {
    TSet s;
    s.FBits = bits;
    return s;
  }
  constexpr std::uint64_t ToInt() const { return FBits; }

  constexpr bool Contains(E m) const { return (FBits & Bit(m)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr TSet& Include(E m) {
    FBits |= Bit(m);
    return *this;
  }
  constexpr TSet& Exclude(E m) {
    FBits &= ~Bit(m);
    return *this;
  }
  friend constexpr bool operator==(TSet a, TSet b) { return a.FBits == b.FBits; }
  friend constexpr TSet operator+(TSet a, TSet b) { return FromInt(a.FBits | b.FBits); }
  friend constexpr TSet operator-(TSet a, TSet b) { return FromInt(a.FBits & ~b.FBits); }
  friend constexpr TSet operator*(TSet a, TSet b) { return FromInt(a.FBits & b.FBits); }

 private:
  static constexpr std::uint64_t Bit(E m) { return std::uint64_t{1} << static_cast<unsigned>(m); }
  std::uint64_t FBits = 0;
};

}  // namespace fw
