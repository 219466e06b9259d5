#include "Unit2/SizeRule.h"

#include <bit>

namespace kobanto {
namespace {

using u128 = unsigned __int128;

// The number of significant bits of a non-zero value.
int BitLength(u128 value) {
  const auto high = static_cast<std::uint64_t>(value >> 64);
  if (high != 0) return 128 - std::countl_zero(high);
  return 64 - std::countl_zero(static_cast<std::uint64_t>(value));
}

std::uint64_t Magnitude(std::int32_t value) {
  return value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(static_cast<std::int64_t>(value))
                   : static_cast<std::uint64_t>(value);
}

// Rounds value (non-zero) to 64 significant bits, to nearest with ties to even. The result is
// significand x 2^exponent with the significand's top bit set.
void RoundTo64Bits(u128 value, std::uint64_t& significand, int& exponent) {
  const int drop = BitLength(value) - 64;
  if (drop <= 0) {
    significand = static_cast<std::uint64_t>(value << -drop);
    exponent = drop;
    return;
  }
  u128 kept = value >> drop;
  const u128 rest = value & ((u128{1} << drop) - 1);
  const u128 half = u128{1} << (drop - 1);
  if (rest > half || (rest == half && (kept & 1) != 0)) ++kept;
  exponent = drop;
  if (kept >> 64 != 0) {  // rounding carried into a 65th bit
    kept >>= 1;
    ++exponent;
  }
  significand = static_cast<std::uint64_t>(kept);
}

}  // namespace

PercentFactor MakePercentFactor(std::int32_t percent) {
  PercentFactor factor;
  const std::uint64_t p = Magnitude(percent);
  if (p == 0) return factor;
  factor.negative = percent < 0;
  // Scale p up so that the quotient by 100 has at least 66 bits: the rounding then sees the
  // guard bit and whether anything below it is non-zero (the remainder).
  const int scale = 66 + 7 - BitLength(p);  // 100 < 2^7
  const u128 numerator = u128{p} << scale;
  u128 quotient = numerator / 100;
  const bool inexact = numerator % 100 != 0;
  // Fold the remainder into a sticky bit below the quotient, so that ties are recognised exactly.
  quotient = (quotient << 1) | (inexact ? 1 : 0);
  int exponent = 0;
  RoundTo64Bits(quotient, factor.significand, exponent);
  factor.shift = scale + 1 - exponent;
  return factor;
}

std::int32_t ScaleDimension(std::int32_t dimension, const PercentFactor& factor) {
  const std::uint64_t n = Magnitude(dimension);
  if (n == 0 || factor.significand == 0) return 0;
  const bool negative = factor.negative != (dimension < 0);
  std::uint64_t significand = 0;
  int exponent = 0;
  RoundTo64Bits(u128{n} * factor.significand, significand, exponent);
  // The product is significand x 2^(exponent - shift); truncate it toward zero.
  const int power = exponent - factor.shift;
  std::uint64_t whole = 0;
  if (power >= 0) {
    if (power >= 64 || (significand >> (63 - power)) > 1) return 0;  // beyond 2^63: indefinite
    whole = significand << power;
  } else if (power > -64) {
    whole = significand >> -power;
  }
  if (whole > (std::uint64_t{1} << 63) || (whole == (std::uint64_t{1} << 63) && !negative)) {
    return 0;  // outside the signed 64-bit range: the indefinite integer, low 32 bits 0
  }
  const std::uint64_t bits = negative ? std::uint64_t{0} - whole : whole;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
}

std::int32_t PercentOf(std::int32_t dimension, std::int32_t percent) {
  return ScaleDimension(dimension, MakePercentFactor(percent));
}

}  // namespace kobanto
