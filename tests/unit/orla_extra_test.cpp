// Tests of orla_extra: the point counts of 8- and 4-connected lines.
#include "orla_extra.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <random>
#include <utility>

using namespace orla_extra;

namespace {

struct counts {
  long long line = 1, detail = 1;
};

// Walks the line as the tracer does and counts the points of both kinds of line.
counts walk(long long x1, long long y1, long long x2, long long y2) {
  counts c;
  long long adx = std::llabs(x1 - x2), ady = std::llabs(y1 - y2);
  long long sa = 1, a = x1, a2 = x2;
  if (adx > ady) {
    sa = x1 < x2 ? 1 : -1;
  } else {
    std::swap(adx, ady);
    a = y1;
    a2 = y2;
    sa = y1 < y2 ? 1 : -1;
  }
  long long e = -(adx / 2);
  while (a != a2) {
    e += ady;
    a += sa;
    ++c.line;
    ++c.detail;
    if (e > 0) {
      e -= adx;
      ++c.detail;
    }
  }
  return c;
}

}  // namespace

TEST(OrlaExtraStepCounts, SmallCases) {
  EXPECT_EQ(CALCULATELINE(7, -3, 7, -3), 1);
  EXPECT_EQ(CALCULATEDETAILLINE(7, -3, 7, -3), 1);
  EXPECT_EQ(CALCULATELINE(0, 0, 3, 0), 4);
  EXPECT_EQ(CALCULATEDETAILLINE(0, 0, 3, 0), 4);
  EXPECT_EQ(CALCULATELINE(0, 0, 3, 2), 4);
  EXPECT_EQ(CALCULATEDETAILLINE(0, 0, 3, 2), 6);
  EXPECT_EQ(CALCULATELINE(0, 0, -2, -2), 3);
  EXPECT_EQ(CALCULATEDETAILLINE(0, 0, -2, -2), 5);
}

TEST(OrlaExtraStepCounts, MatchTheWalkInEitherDirection) {
  std::mt19937 rng(77);
  std::uniform_int_distribution<int> coord(-400, 400);
  for (int i = 0; i < 2000; ++i) {
    const int x1 = coord(rng), y1 = coord(rng), x2 = coord(rng), y2 = coord(rng);
    const counts c = walk(x1, y1, x2, y2);
    ASSERT_EQ(CALCULATELINE(x1, y1, x2, y2), c.line) << x1 << "," << y1 << " " << x2 << "," << y2;
    ASSERT_EQ(CALCULATEDETAILLINE(x1, y1, x2, y2), c.detail);
    ASSERT_EQ(CALCULATELINE(x2, y2, x1, y1), c.line);
    ASSERT_EQ(CALCULATEDETAILLINE(x2, y2, x1, y1), c.detail);
  }
}

TEST(OrlaExtraStepCounts, FarEndsSaturateInsteadOfWrapping) {
  EXPECT_EQ(CALCULATELINE(INT_MIN, 0, -1, 0), INT_MAX);
  EXPECT_EQ(CALCULATELINE(INT_MIN, 0, INT_MAX, 0), INT_MAX);
  EXPECT_EQ(CALCULATEDETAILLINE(-1073741824, 0, 0, 1073741822), INT_MAX);
  EXPECT_EQ(CALCULATEDETAILLINE(INT_MIN, INT_MIN, INT_MAX, INT_MAX), INT_MAX);
}
