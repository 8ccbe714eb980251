// Tests of orla_extra: the point counts of 8- and 4-connected lines.
#include "orla_extra.hpp"

#include <gtest/gtest.h>

#include <climits>

using namespace orla_extra;

TEST(OrlaExtraStepCounts, CountsInEitherDirection) {
  struct line_case {
    int x1, y1, x2, y2, points, detail_points;
  };
  for (const auto& c :
       {line_case{7, -3, 7, -3, 1, 1}, line_case{0, 0, 3, 0, 4, 4}, line_case{0, 0, 3, 2, 4, 6},
        line_case{0, 0, -2, -2, 3, 5}, line_case{5, -9, -1, 30, 40, 46}}) {
    EXPECT_EQ(CALCULATELINE(c.x1, c.y1, c.x2, c.y2), c.points) << c.x2 << "," << c.y2;
    EXPECT_EQ(CALCULATEDETAILLINE(c.x1, c.y1, c.x2, c.y2), c.detail_points) << c.x2 << "," << c.y2;
    EXPECT_EQ(CALCULATELINE(c.x2, c.y2, c.x1, c.y1), c.points);
    EXPECT_EQ(CALCULATEDETAILLINE(c.x2, c.y2, c.x1, c.y1), c.detail_points);
  }
}

TEST(OrlaExtraStepCounts, FarEndsSaturateInsteadOfWrapping) {
  EXPECT_EQ(CALCULATELINE(INT_MIN, 0, -1, 0), INT_MAX);
  EXPECT_EQ(CALCULATELINE(INT_MIN, 0, INT_MAX, 0), INT_MAX);
  EXPECT_EQ(CALCULATEDETAILLINE(-1073741824, 0, 0, 1073741822), INT_MAX) << "the largest exact";
  EXPECT_EQ(CALCULATEDETAILLINE(INT_MIN, INT_MIN, INT_MAX, INT_MAX), INT_MAX);
}
