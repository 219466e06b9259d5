#include "Unit2/SizeRule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <limits>
#include <random>

namespace kobanto {
namespace {

struct SizeCase {
  std::int32_t percent;
  std::int32_t dimension;
  std::int32_t expected;
};

TEST(SizeRuleTest, KnownValuesOfTheExtendedPrecision) {
  const SizeCase cases[] = {
      {53, 100, 52}, {59, 100, 58},   {53, 200, 105}, {13, 900, 116},   {21, 300, 62},
      {84, 75, 62},  {29, 100, 29},   {57, 100, 57},  {30, 640, 192},   {30, 480, 144},
      {30, 3, 0},    {100, 640, 640}, {0, 640, 0},    {250, 640, 1600}, {250, 480, 1200},
      {50, 1, 0},    {30, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PercentOf(c.dimension, c.percent), c.expected)
        << c.percent << " % of " << c.dimension;
  }
}

// Over every percent the window can write and every dimension a JPEG header can hold, the rule
// is the exact floor except for whole-numbered products at a few percent values, which come out
// one less because their factor rounds down.
TEST(SizeRuleTest, MatchesTheExactFloorExceptForKnownWholeProducts) {
  const std::int32_t shortPercents[] = {13, 21, 26, 39, 42, 52, 53, 59, 65, 71, 78, 84};
  for (std::int32_t p = 0; p <= 100; ++p) {
    const bool mayFallShort =
        std::find(std::begin(shortPercents), std::end(shortPercents), p) != std::end(shortPercents);
    const PercentFactor factor = MakePercentFactor(p);
    int shortfalls = 0;
    for (std::int32_t n = 0; n <= 65535; ++n) {
      const std::int64_t exact = std::int64_t{n} * p / 100;
      const std::int32_t result = ScaleDimension(n, factor);
      if (result == exact) continue;
      ++shortfalls;
      ASSERT_TRUE(mayFallShort && std::int64_t{n} * p % 100 == 0 && result == exact - 1)
          << p << " % of " << n << " gave " << result;
    }
    EXPECT_EQ(shortfalls > 0, mayFallShort) << p;
  }
}

TEST(SizeRuleTest, SignsFollowTheProduct) {
  EXPECT_EQ(PercentOf(640, -30), -192);
  EXPECT_EQ(PercentOf(-640, 30), -192);
  EXPECT_EQ(PercentOf(-640, -30), 192);
  EXPECT_EQ(PercentOf(100, -53), -52);  // truncation toward zero, not floor
  for (std::int32_t p = -100; p <= 100; ++p) {
    for (std::int32_t n = 0; n <= 2000; n += 7) ASSERT_EQ(PercentOf(n, -p), -PercentOf(n, p));
  }
}

TEST(SizeRuleTest, HugeValuesKeepTheLowBitsOfTheWholeProduct) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  // 2147483647 % of 65535 is 1407353408061.45, whose low 32 bits are 2899102269 (negative).
  EXPECT_EQ(PercentOf(65535, kMax), static_cast<std::int32_t>(std::uint32_t{2899102269u}));
  EXPECT_EQ(PercentOf(1, kMin), -21474836);
  EXPECT_EQ(PercentOf(kMin, 100), kMin);
  EXPECT_EQ(PercentOf(kMin, 200), 0);  // -2^32: low 32 bits 0
}

// Where long double is the x87 extended format, the integer rule must agree with the processor's
// own arithmetic (rounding to nearest, truncating conversion) everywhere.
TEST(SizeRuleTest, AgreesWithTheExtendedFormatWhereTheProcessorHasIt) {
  if constexpr (LDBL_MANT_DIG != 64) {
    GTEST_SKIP() << "long double is not the x87 extended format here";
  } else {
    auto extended = [](std::int32_t n, std::int32_t p) {
      volatile long double q = static_cast<long double>(p) / 100.0L;
      volatile long double product = static_cast<long double>(n) * q;
      const auto whole = static_cast<std::int64_t>(product);
      return static_cast<std::int32_t>(static_cast<std::uint32_t>(whole));
    };
    std::mt19937 random(20240601);
    std::uniform_int_distribution<std::int32_t> any(std::numeric_limits<std::int32_t>::min(),
                                                    std::numeric_limits<std::int32_t>::max());
    std::uniform_int_distribution<std::int32_t> header(0, 65535);
    for (int i = 0; i < 200000; ++i) {
      const std::int32_t p = any(random), n = i % 2 ? any(random) : header(random);
      ASSERT_EQ(PercentOf(n, p), extended(n, p)) << p << " % of " << n;
    }
    const std::int32_t extremes[] = {
        std::numeric_limits<std::int32_t>::min(), -65535, -1, 0, 1, 65535,
        std::numeric_limits<std::int32_t>::max()};
    for (std::int32_t p : extremes) {
      for (std::int32_t n : extremes)
        ASSERT_EQ(PercentOf(n, p), extended(n, p)) << p << " % of " << n;
    }
    for (std::int32_t p = -300; p <= 300; ++p) {
      for (std::int32_t n = 0; n <= 65535; n += 97) {
        ASSERT_EQ(PercentOf(n, p), extended(n, p)) << p << " % of " << n;
      }
    }
  }
}

}  // namespace
}  // namespace kobanto
