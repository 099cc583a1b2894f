#pragma once
// Set<E, Count>: the platform's set of an enumeration, as a bit set where bit
// n stands for ordinal n (the layout streams and stored values use).
#include <cstdint>
#include <initializer_list>

namespace rtl {

template <class E, int Count>
class Set {
  static_assert(Count > 0 && Count <= 64, "Set holds at most 64 members");

 public:
  constexpr Set() = default;
  constexpr Set(std::initializer_list<E> items) {
    for (E e : items) bits_ |= bit(e);
  }
  static constexpr Set FromBits(std::uint64_t bits) {
    Set s;
    s.bits_ = bits & mask();
    return s;
  }
  constexpr std::uint64_t Bits() const { return bits_; }

  constexpr bool contains(E e) const { return (bits_ & bit(e)) != 0; }
  constexpr bool empty() const { return bits_ == 0; }
  constexpr Set& Include(E e) { bits_ |= bit(e); return *this; }
  constexpr Set& Exclude(E e) { bits_ &= ~bit(e); return *this; }

  friend constexpr Set operator+(Set a, Set b) { return FromBits(a.bits_ | b.bits_); }
  friend constexpr Set operator-(Set a, Set b) { return FromBits(a.bits_ & ~b.bits_); }
  friend constexpr Set operator*(Set a, Set b) { return FromBits(a.bits_ & b.bits_); }
  friend constexpr Set operator+(Set a, E e) { return a.Include(e); }
  friend constexpr Set operator-(Set a, E e) { return a.Exclude(e); }
  constexpr Set& operator+=(Set o) { bits_ |= o.bits_; return *this; }
  constexpr Set& operator-=(Set o) { bits_ &= ~o.bits_; return *this; }
  constexpr Set& operator*=(Set o) { bits_ &= o.bits_; return *this; }
  constexpr Set& operator+=(E e) { return Include(e); }
  constexpr Set& operator-=(E e) { return Exclude(e); }
  friend constexpr bool operator==(Set a, Set b) { return a.bits_ == b.bits_; }
  // Subset test, the platform's `<=` on sets.
  friend constexpr bool operator<=(Set a, Set b) { return (a.bits_ & ~b.bits_) == 0; }

  // Members in ordinal order.
  class iterator {
   public:
    constexpr iterator(std::uint64_t bits, int pos) : bits_(bits), pos_(pos) { skip(); }
    constexpr E operator*() const { return static_cast<E>(pos_); }
    constexpr iterator& operator++() { ++pos_; skip(); return *this; }
    constexpr bool operator!=(const iterator& o) const { return pos_ != o.pos_; }

   private:
    constexpr void skip() {
      while (pos_ < Count && !(bits_ & (std::uint64_t{1} << pos_))) ++pos_;
    }
    std::uint64_t bits_;
    int pos_;
  };
  constexpr iterator begin() const { return iterator(bits_, 0); }
  constexpr iterator end() const { return iterator(bits_, Count); }

 private:
  static constexpr std::uint64_t bit(E e) { return std::uint64_t{1} << static_cast<int>(e); }
  static constexpr std::uint64_t mask() {
    return Count == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << Count) - 1;
  }
  std::uint64_t bits_ = 0;
};

}  // namespace rtl
