// A star member's private room against the seeded reference server, through the client's request
// functions: demo_rmb applies for star membership and creates a room; a new member finds it in the
// room list, enters it with its password, bets in it (the bet request carries the room number, as
// the records show), cashes out with the star member, and the star member transfers back to him.
// Both statements end with the type-8 entries naming the other side and, after settlement, the star
// member's commission on the room bet.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "core/protocol/account_requests.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/market_data.h"
#include "core/protocol/records_queries.h"
#include "core/protocol/rooms_messages.h"
#include "seeded_market.h"
#include "server/market/market.h"

namespace {

using namespace brindle;
using brindle::testing::around_now;
using brindle::testing::read_file;

std::string ten(int serial) {
  char text[16];
  std::snprintf(text, sizeof text, "%.10d", serial);
  return text;
}

// The decimal reading of a typed password: leading digits after blanks and a sign.
int typed_number(const std::string& text) { return std::atoi(text.c_str()); }

class StarRoomAgainstServer : public brindle::testing::SeededMarketTest {
 protected:
  void SetUp() override {
    if (!start_server(/*run_feed=*/false)) return;
    admin("add-user --data-dir " + data().string() + " e2e_member mem12345 --withdrawal-password tc777777");
    admin("credit --data-dir " + data().string() + " e2e_member 2000 --currency 1 --memo 柜台买彩");
    ASSERT_TRUE(sign_in("demo_rmb", "rmb12345")) << error_;
    ASSERT_TRUE(sign_in(member_, "e2e_member", "mem12345")) << error_;
  }

  void admin(const std::string& words) {
    const auto printed = dir_ / "admin.txt";
    ASSERT_TRUE(run_server_command(" " + words, printed)) << words << ": " << read_file(printed);
  }

  static std::vector<protocol::StatementEntry> statement(protocol::Session& session) {
    std::vector<protocol::StatementEntry> entries;
    const auto fetched = protocol::fetch_statement(session, around_now(), entries);
    EXPECT_TRUE(fetched) << fetched.error();
    return entries;
  }

  static double available(protocol::Session& session) {
    protocol::AccountBalance balance;
    EXPECT_TRUE(protocol::fetch_balance(session, balance));
    return balance.balance;
  }

  brindle::testing::SeededClient member_;
};

TEST_F(StarRoomAgainstServer, ApplyCreateEnterBetCashOutAndTransfer) {
  // The terms, then the application: demo_rmb's 10000.00 covers the RMB deposit exactly.
  protocol::StarMemberTerms terms;
  ASSERT_TRUE(protocol::fetch_star_member_terms(session_, terms));
  EXPECT_EQ(terms.rmb_deposit, "10000");
  EXPECT_EQ(context_.star_member_terms[0], "10000");
  EXPECT_EQ(context_.star_member, 0);
  const auto applied = protocol::apply_for_star_membership(session_);
  ASSERT_TRUE(applied) << applied.error();
  EXPECT_FALSE(protocol::apply_for_star_membership(session_)) << "a second application is refused";
  ASSERT_TRUE(sign_in("demo_rmb", "rmb12345")) << error_;
  EXPECT_EQ(context_.star_member, 1) << "sign-in now reports the star flag";

  // A room at the first position.
  std::vector<protocol::RoomPosition> positions;
  ASSERT_TRUE(protocol::fetch_room_positions(session_, positions));
  ASSERT_FALSE(positions.empty());
  EXPECT_GE(positions.front().number, 100);
  protocol::CreatedRoom created;
  const auto made = protocol::create_room(session_, "端到端房间", positions.front().number, created);
  ASSERT_TRUE(made) << made.error();
  EXPECT_EQ(created.password.size(), 6u);

  // The member finds it in the list (the demo star's room is there too) and enters with the
  // password as typed, leading zero and all.
  std::vector<protocol::Room> rooms;
  ASSERT_TRUE(protocol::fetch_rooms(member_.session, rooms));
  EXPECT_EQ(rooms.size(), 2u);
  const auto room = std::find_if(rooms.begin(), rooms.end(), [](const protocol::Room& r) {
    return r.owner_user_name == "demo_rmb" && r.room_name == "端到端房间";
  });
  ASSERT_NE(room, rooms.end());
  EXPECT_EQ(room->position_name, positions.front().name);
  ASSERT_EQ(typed_number("0" + created.password), typed_number(room->password));
  member_.context.room_number = room->room_number;

  // A bet of 100 inside the room; a room number that names no room is refused.
  std::vector<protocol::AsianHandicapRow> rows;
  ASSERT_TRUE(protocol::fetch_asian_handicap_list(member_.session, rows));
  const auto open =
      std::find_if(rows.begin(), rows.end(), [](const protocol::AsianHandicapRow& r) { return !r.in_play; });
  ASSERT_NE(open, rows.end());
  const std::size_t row = static_cast<std::size_t>(open - rows.begin());
  member_.context.room_number = room->room_number + 100;
  const auto nowhere =
      protocol::place_single_bet(member_.session, rows, row, notation::HandicapSide::kGiving, 100);
  ASSERT_FALSE(nowhere);
  EXPECT_EQ(nowhere.error(), "该房间不存在！");
  member_.context.room_number = room->room_number;
  const auto bet =
      protocol::place_single_bet(member_.session, rows, row, notation::HandicapSide::kGiving, 100);
  ASSERT_TRUE(bet) << bet.error();
  std::vector<protocol::SingleBetRecord> singles;
  ASSERT_TRUE(protocol::fetch_unsettled_single_bets(member_.session, singles));
  ASSERT_EQ(singles.size(), 1u);
  EXPECT_EQ(singles[0].fourth, room->room_number) << "the bet was taken in the room";
  EXPECT_EQ(singles[0].bet_place, "房间" + std::to_string(room->room_number));
  const int serial = singles[0].serial_number;

  // Super cash-out of 300 to the room's star member, then his transfer of 500 to the member.
  const auto cashed = protocol::transfer_funds(member_.session, "tc777777", 300, room->owner_user_name);
  ASSERT_TRUE(cashed) << cashed.error();
  const auto given = protocol::transfer_funds(session_, "tc111111", 500, "e2e_member");
  ASSERT_TRUE(given) << given.error();
  EXPECT_NEAR(available(session_), 10000 + 300 - 500, 0.005);
  EXPECT_NEAR(available(member_.session), 2000 - 100 - 300 + 500, 0.005);

  // Settlement: a clear result, so the bet neither pushes nor voids.
  admin("post-result --data-dir " + data().string() + " " + std::to_string(open->match_number) + " 5 0");
  ASSERT_TRUE(server_->services().market->refresh().ok());

  const auto entry_count = [](const std::vector<protocol::StatementEntry>& entries, int type, double amount,
                              const std::string& content) {
    return std::count_if(entries.begin(), entries.end(), [&](const protocol::StatementEntry& e) {
      return e.transaction_type == type && std::abs(e.amount - amount) < 0.005 && e.content == content;
    });
  };
  const auto mine = statement(member_.session);
  EXPECT_EQ(entry_count(mine, 8, -300, "demo_rmb"), 1);
  EXPECT_EQ(entry_count(mine, 8, 500, "demo_rmb"), 1);
  const auto result = std::find_if(
      mine.begin(), mine.end(), [&](const protocol::StatementEntry& e) { return e.content == ten(serial); });
  ASSERT_NE(result, mine.end()) << "the bet settled";
  EXPECT_NE(result->amount, 0.0);
  EXPECT_NEAR(available(member_.session), 2000 + result->amount - 300 + 500, 0.005);

  const auto star = statement(session_);
  EXPECT_EQ(entry_count(star, 8, 300, "e2e_member"), 1);
  EXPECT_EQ(entry_count(star, 8, -500, "e2e_member"), 1);
  EXPECT_EQ(entry_count(star, 5, 0.50, ten(serial)), 1) << "0.50% of the stake, once";
  EXPECT_NEAR(available(session_), 10000 + 300 - 500 + 0.50, 0.005);
  admin("check-ledger --data-dir " + data().string());
}

}  // namespace
