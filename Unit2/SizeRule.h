#pragma once

#include <cstdint>

namespace kobanto {

// A percent value divided by 100, held as the x87 extended format holds it: a 64-bit significand
// with its top bit set, times 2 to the power -shift, and a sign. Zero has a significand of 0.
struct PercentFactor {
  std::uint64_t significand = 0;
  int shift = 0;
  bool negative = false;
};

// percent / 100 rounded to a 64-bit significand (to nearest, ties to even). The rounding makes
// some factors slightly smaller than their true value (53 / 100 among them), and the size rule
// depends on that, so the computation uses exact integer arithmetic rather than the host's
// floating point.
PercentFactor MakePercentFactor(std::int32_t percent);

// dimension x factor, computed exactly, rounded to a 64-bit significand, truncated toward zero to
// a 64-bit integer, of which the low 32 bits are the result. A product outside the 64-bit range
// (which 32-bit inputs cannot reach) is the x87 "integer indefinite", whose low 32 bits are 0.
std::int32_t ScaleDimension(std::int32_t dimension, const PercentFactor& factor);

// The target size of one dimension in percent mode: ScaleDimension of MakePercentFactor.
std::int32_t PercentOf(std::int32_t dimension, std::int32_t percent);

}  // namespace kobanto
