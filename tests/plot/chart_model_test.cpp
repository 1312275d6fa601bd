// The data side of the charts of runs: doubtful stretches, axis ranges, the crosshair's values.
#include "plot/chart_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "plot/crosshair.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

ResultTable Table(std::vector<std::string> variables, std::vector<std::vector<double>> rows) {
  ResultTable table;
  table.variables = std::move(variables);
  table.rows = std::move(rows);
  return table;
}

// A piece as the x of its points and whether it is doubtful.
struct Piece {
  std::vector<double> xs;
  bool doubtful;
};

TEST(CurvePieces, CutsWhereDoubtStartsOrStopsAndAtGaps) {
  const std::vector<double> five = {1, 2, 3, 4, 5};
  const struct {
    const char* what;
    std::vector<double> xs;
    std::vector<RowSpan> spans;
    std::vector<Piece> pieces;
  } cases[] = {
      {"no points", {}, {{0, 9}}, {}},
      {"one point, even inside a span", {3}, {{0, 9}}, {{{3}, false}}},
      {"no doubt", five, {}, {{five, false}}},
      {"doubtful at the start", five, {{1, 1}}, {{{1, 2}, true}, {{2, 3, 4, 5}, false}}},
      {"doubtful at the end", five, {{5, 7}}, {{{1, 2, 3, 4}, false}, {{4, 5}, true}}},
      {"both ends", five, {{0, 1.5}, {4.5, 9}}, {{{1, 2}, true}, {{2, 3, 4}, false}, {{4, 5}, true}}},
      {"a span between rows", five, {{2.5, 3.2}}, {{{1, 2}, false}, {{2, 3, 4}, true}, {{4, 5}, false}}},
      {"everything", five, {{-1, 10}}, {{five, true}}},
      {"a gap", {1, 2, kNaN, 4, 5}, {}, {{{1, 2}, false}, {{4, 5}, false}}},
      {"gaps leave single points", {kNaN, 2, kNaN, 4, kNaN}, {{0, 9}}, {{{2}, false}, {{4}, false}}},
      {"doubt right after a gap", {1, 2, kNaN, 4, 5, 6}, {{4, 4}}, {{{1, 2}, false}, {{4, 5}, true}, {{5, 6}, false}}},
  };
  for (const auto& c : cases) {
    std::vector<ChartPoint> points;
    for (const double x : c.xs) points.push_back({x, 10.0 * x});
    const std::vector<CurvePiece> pieces = CurvePieces(points, c.spans);
    ASSERT_EQ(pieces.size(), c.pieces.size()) << c.what;
    for (std::size_t k = 0; k < pieces.size(); ++k) {
      std::vector<double> xs;
      for (const ChartPoint& point : pieces[k].points) {
        xs.push_back(point.x);
        EXPECT_EQ(point.y, 10.0 * point.x) << c.what;
      }
      EXPECT_EQ(xs, c.pieces[k].xs) << c.what << ", piece " << k;
      EXPECT_EQ(pieces[k].doubtful, c.pieces[k].doubtful) << c.what << ", piece " << k;
    }
  }
}

TEST(ColumnRange, SpansEveryTableWithTheColumnScaled) {
  const ResultTable a = Table({"RPM", "HP"}, {{1000, 10}, {2000, 30}, {3000, 20}});
  const ResultTable b = Table({"RPM", "HP"}, {{1500, kNaN}, {4000, -2}});
  const ResultTable time = Table({"Time", "RPM"}, {{0, 900}});
  const ResultTable empty = Table({"RPM", "HP"}, {});
  const struct {
    const char* what;
    std::vector<const ResultTable*> tables;
    ResultColumn column;
    double factor;
    std::optional<ValueRange> range;
  } cases[] = {
      {"two tables", {&a, &b}, ResultColumn::kRpm, 1.0, ValueRange{1000, 4000}},
      {"scaled", {&a, &b}, ResultColumn::kHorsepower, 0.5, ValueRange{-1, 15}},  // the gap left out
      {"one lacks the column", {&time, &a}, ResultColumn::kHorsepower, 1.0, ValueRange{10, 30}},
      {"nothing to span", {&empty, &time}, ResultColumn::kHorsepower, 1.0, std::nullopt},
      {"no tables", {}, ResultColumn::kRpm, 1.0, std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<ValueRange> range = ColumnRange(c.tables, c.column, c.factor);
    ASSERT_EQ(range.has_value(), c.range.has_value()) << c.what;
    if (range) {
      EXPECT_TRUE(range->low == c.range->low && range->high == c.range->high) << c.what;
    }
  }
}

TEST(PeakAxisRange, StartsAtZeroAndLeavesRoomForTheLabels) {
  const struct {
    ValueRange data;
    std::size_t labels;
    ValueRange axis;
  } cases[] = {{{40, 100}, 0, {0, 108}}, {{40, 100}, 2, {0, 120}}, {{-5, 50}, 4, {-5, 66}}};
  for (const auto& c : cases) {
    const ValueRange axis = PeakAxisRange(c.data, c.labels);
    EXPECT_EQ(axis.low, c.axis.low) << c.labels;
    EXPECT_TRUE(test::IsClose(axis.high, c.axis.high, 1e-12)) << c.labels;  // 1.08 + 0.06 k is not exact
  }
}

TEST(ValueAt, InterpolatesBetweenRowsAndShowsNothingOutsideThem) {
  const ResultTable table = Table({"RPM", "HP"}, {{1000, 10}, {2000, 20}, {2000, 30}, {3000, 50}});
  const ResultTable one = Table({"RPM", "HP"}, {{1000, 10}});
  const ResultTable none = Table({"RPM", "HP"}, {});
  const struct {
    const ResultTable* table;
    double x;
    std::optional<double> value;
  } cases[] = {
      {&table, 1000, 10},
      {&table, 1500, 15},
      {&table, 2000, 20},  // a shared x: the first row
      {&table, 2500, 40},
      {&table, 3000, 50},
      {&table, 999.9, std::nullopt},
      {&table, 3000.1, std::nullopt},
      {&table, kNaN, std::nullopt},
      {&one, 1000, 10},
      {&one, 1000.5, std::nullopt},
      {&none, 0, std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<double> value = ValueAt(*c.table, 0, 1, c.x);
    ASSERT_EQ(value.has_value(), c.value.has_value()) << c.x << " of " << c.table->rows.size() << " rows";
    if (value) {
      EXPECT_TRUE(test::IsClose(*value, *c.value, 1e-12)) << c.x;
    }
  }
}

TEST(CrosshairBoxLeft, BesideTheLineOnTheSideWithRoom) {
  const struct {
    double lineX, boxWidth, left;
  } cases[] = {{100, 50, 110}, {339, 50, 349}, {340, 50, 280}, {390, 50, 330}, {10, 500, -500}};
  for (const auto& c : cases) EXPECT_EQ(CrosshairBoxLeft(c.lineX, c.boxWidth, 400, 10), c.left) << c.lineX;
}

}  // namespace
}  // namespace ruvo
