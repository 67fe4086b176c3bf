#include "wire/records/account_records.h"

#include <gtest/gtest.h>

#include <climits>

#include "wire/records/arrival.h"

namespace brindle::records {
namespace {

using testing::expect_round_trips;
using testing::kBarTrailText;
using testing::kEdgeText;
using testing::kFarOle;

TEST(AccountRecords, StarTermsRoundTrip) {
  expect_round_trips<StarTermsRecord>({{"10000", kEdgeText, "", kBarTrailText}, {"", "", "", ""}});
}

TEST(AccountRecords, AccountBalanceRoundTrips) {
  expect_round_trips<AccountBalanceRecord>(
      {{100000000.05, -0.01, -99999999.99, INT_MIN, INT_MAX}, {0.0, 1e15, 0.5, INT_MAX, INT_MIN}});
}

TEST(AccountRecords, RoomListRoundTrips) {
  expect_round_trips<RoomListHeader>({{kEdgeText}, {""}, {"2147483647"}});
  expect_round_trips<RoomLine>(
      {{kEdgeText, kBarTrailText, "", "000123", INT_MIN, 0, INT_MAX, kBarTrailText, "", kEdgeText},
       {"", "", kEdgeText, "", INT_MAX, INT_MIN, -1, "", kEdgeText, ""}});
  expect_round_trips<RoomPositionLine>({{INT_MIN, kBarTrailText}, {INT_MAX, ""}, {0, kEdgeText}});
}

TEST(AccountRecords, CreatedRoomRoundTrips) {
  expect_round_trips<CreatedRoomRecord>({{"654321", 0.0}, {kEdgeText, kFarOle}, {"", -657434.0}});
}

TEST(AccountRecords, PrivateMessageRoundTrips) {
  expect_round_trips<PrivateMessageLine>(
      {{INT_MIN, kEdgeText, "a<br>b|c^d", kFarOle, ""}, {INT_MAX, "", kBarTrailText, 0.0, kEdgeText}});
}

TEST(AccountRecords, QuestionRoundTrips) {
  expect_round_trips<QuestionLine>(
      {{0, INT_MIN, kEdgeText, kBarTrailText, "", kEdgeText}, {INT_MAX, INT_MAX, "", "", kBarTrailText, ""}});
}

TEST(AccountRecords, SevenIntegerRoundTrips) {
  expect_round_trips<SevenIntegerLine>(
      {{20240229, 0, INT_MAX, 1, INT_MIN, -1, INT_MIN}, {INT_MIN, INT_MAX, 0, INT_MAX, 0, INT_MIN, INT_MAX}});
}

TEST(AccountRecords, OneFieldRecordsRoundTrip) {
  expect_round_trips<OneTextRecord>({{kEdgeText}, {kBarTrailText}, {""}});
  expect_round_trips<OneIntegerRecord>({{INT_MIN}, {INT_MAX}, {0}});
}

}  // namespace
}  // namespace brindle::records
