#include "highlight/resume_points.h"

#include <gtest/gtest.h>

namespace torvane {
namespace {

constexpr int kStep = TTokenResumePoints::kSpacing;

TEST(ResumePointsTest, PointsFollowNotesChangesAndMovedLines) {
  TTokenResumePoints p;
  EXPECT_EQ(p.Before(3, 10 * kStep), 0);
  p.Note(3, 100);  // too near the line's start to be worth keeping
  EXPECT_EQ(p.LineCount(), 0);
  p.Note(3, kStep + 5);
  p.Note(3, kStep + 50);  // too near the last point
  p.Note(3, 2 * kStep + 5);
  p.Note(3, 3 * kStep + 7);
  EXPECT_EQ(p.Before(3, kStep + 4), 0);
  EXPECT_EQ(p.Before(3, kStep + 5), kStep + 5);
  EXPECT_EQ(p.Before(3, 2 * kStep + 100), 2 * kStep + 5);
  EXPECT_EQ(p.Before(3, 100 * kStep), 3 * kStep + 7);
  EXPECT_EQ(p.Before(2, 100 * kStep), 0);

  // A change keeps the points well before its first byte.
  p.LineChanged(3, 3 * kStep + 7 + 16);
  EXPECT_EQ(p.Before(3, 100 * kStep), 3 * kStep + 7);
  p.LineChanged(3, 3 * kStep + 7 + 15);
  EXPECT_EQ(p.Before(3, 100 * kStep), 2 * kStep + 5);
  p.LineChanged(4, 0);  // another line
  EXPECT_EQ(p.Before(3, 100 * kStep), 2 * kStep + 5);

  // Lines inserted or deleted above move the points with their line.
  p.Note(7, kStep);
  p.LinesInserted(3, 2);
  EXPECT_EQ(p.Before(3, 100 * kStep), 0);
  EXPECT_EQ(p.Before(5, 100 * kStep), 2 * kStep + 5);
  EXPECT_EQ(p.Before(9, 100 * kStep), kStep);
  p.LinesDeleted(0, 2);
  EXPECT_EQ(p.Before(3, 100 * kStep), 2 * kStep + 5);
  p.LinesDeleted(3, 1);  // the line itself goes
  EXPECT_EQ(p.Before(3, 100 * kStep), 0);
  EXPECT_EQ(p.Before(6, 100 * kStep), kStep);
  EXPECT_EQ(p.LineCount(), 1);
  p.LineChanged(6, 0);  // its last point: the line has none left
  EXPECT_EQ(p.LineCount(), 0);

  // Only so many lines are kept; the oldest go first.
  for (int line = 0; line < 100; ++line) {
    p.Note(line, kStep);
  }
  EXPECT_EQ(p.LineCount(), 64);
  EXPECT_EQ(p.Before(0, kStep), 0);
  EXPECT_EQ(p.Before(99, kStep), kStep);
  p.Clear();
  EXPECT_EQ(p.LineCount(), 0);
}

}  // namespace
}  // namespace torvane
