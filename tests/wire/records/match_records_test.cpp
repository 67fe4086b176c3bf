#include "wire/records/match_records.h"

#include <gtest/gtest.h>

#include <climits>

#include "wire/records/arrival.h"

namespace brindle::records {
namespace {

using testing::expect_round_trips;
using testing::kBarTrailText;
using testing::kEdgeText;
using testing::kFarOle;

TEST(MatchRecords, HistoryRoundTrips) {
  expect_round_trips<HistoryLine>(
      {{"2024-02-29", "23:59", kEdgeText, 1, INT_MAX, -1, INT_MIN, 0, INT_MAX, 1.925},
       {"", "", kBarTrailText, INT_MIN, 0, INT_MIN, INT_MAX, INT_MAX, INT_MIN, -0.125},
       {kBarTrailText, kEdgeText, "", 0, 0, 0, 0, 0, 0, 123456789012.5}});
}

TEST(MatchRecords, HeadToHeadRoundTrips) {
  expect_round_trips<HeadToHeadLine>({{0.0, kEdgeText, kBarTrailText, INT_MIN, INT_MAX, -1, 1, 0, 0.0},
                                      {kFarOle, "", "", INT_MAX, INT_MIN, INT_MAX, INT_MIN, INT_MIN, -2.5}});
}

TEST(MatchRecords, TrendPointRoundTrips) {
  expect_round_trips<TrendPointLine>(
      {{0.0, INT_MIN, 0.001, 0}, {kFarOle, INT_MAX, -9999999.999, 1}, {45351.5, -1, 1e15, INT_MIN}});
}

TEST(MatchRecords, ResultRoundTrips) {
  expect_round_trips<ResultLine>(
      {{kEdgeText, kBarTrailText, "", -1, -1, 0.0, INT_MIN, INT_MAX, 9, ""},
       {"", "", kEdgeText, INT_MAX, INT_MIN, kFarOle, INT_MAX, INT_MIN, INT_MIN, kBarTrailText}});
}

}  // namespace
}  // namespace brindle::records
