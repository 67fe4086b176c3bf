// The room the user is in as every hall shows it; the other members of the hall family: in-play status rule
// and columns, the parlay hall's 1X2 cells and room refusal, the outright list.

#include <gtest/gtest.h>

#include "core/betting/asian_handicap_hall.h"
#include "core/betting/in_play_hall.h"
#include "core/betting/outright_hall.h"
#include "core/betting/over_under_hall.h"
#include "core/betting/parlay_hall.h"
#include "core/net/client_context.h"
#include "core/notation/handicap_notation.h"
#include "hall_fixture.h"

namespace {

using namespace brindle;
using namespace brindle::betting;
using namespace brindle::notation;
using brindle::testing::kFirstDay;
using brindle::testing::match_line;
using brindle::testing::odds_line;

TEST(InPlayHall, ScoreGivingTeamAndOnlyLinesBelowStatusTwo) {
  brindle::testing::HallFixture f;
  InPlayHall hall(f.services());
  f.reply({"1|ok|0", match_line(1, "英超", kFirstDay, "曼联", "利物浦", 1, 1),
           // A suspended handicap pair first: its prices must not show.
           odds_line(1, 8, 10, 5, "0.50", 190, 2, 1, 0), odds_line(1, 8, 11, -5, "1.40", 190, 2, 1, 0),
           odds_line(1, 9, 14, 9, "0.85", 190, 1, 1, 0), odds_line(1, 9, 15, -9, "1.05", 190, 1, 1, 0),
           odds_line(1, 8, 12, 1003, "0.90", 190, 0, 1, 0), odds_line(1, 8, 13, -1003, "1.00", 190, 0, 1, 0),
           match_line(2, "英超", kFirstDay, "阿森纳", "切尔西", 0, 1)});
  hall.refresh();
  EXPECT_EQ(f.subjects(), (std::vector<int>{4027})) << "no balance request after an in-play refresh";
  EXPECT_EQ(f.paras()[0], "8|11|22");
  using C = InPlayHall::Column;
  struct Case {
    std::size_t line;
    int column;
    std::string text;
  };
  const Case cases[] = {
      {0, C::kScore, "1 : 0"},  // from the first in-play line, suspended or not
      {0, C::kGivingTeam, "利物浦"},
      {0, C::kOtherTeam, "曼联(中)"},
      {0, C::kPositiveOdds, "1.900"},
      {0, C::kNegativeOdds, "2.000"},
      {0, C::kHandicap, handicap_name(0, 3)},
      {0, C::kOverOdds, "1.850"},
      {0, C::kUnderOdds, "2.050"},
      {1, C::kScore, "-"},
      {1, C::kGivingTeam, "阿森纳(主)"},
      {1, C::kPositiveOdds, "-"},
      {1, C::kLine, "-"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(hall.cell_text(c.line, c.column), c.text) << c.line << "/" << c.column;
  EXPECT_EQ(hall.location_text(), " 您现在的位置：走地盘 — 公共房间");
}

TEST(ParlayHall, OutcomeCellsByLineCodeAndItsOwnRoomRefusal) {
  brindle::testing::HallFixture f;
  brindle::testing::ScriptedParlayWindows windows;
  ParlayHall hall(f.services(), windows);
  f.reply({"1|ok|0", match_line(1, "英超", kFirstDay, "曼联", "利物浦"), odds_line(1, 1, 10, 1, "1.10"),
           odds_line(1, 1, 11, 4, "2.50"), odds_line(1, 1, 12, 2, "2.20")});
  f.balance_reply();
  hall.refresh();
  EXPECT_EQ(f.paras()[0], "-1|11|22");
  using C = ParlayHall::Column;
  EXPECT_EQ(hall.cell_text(0, C::kHomeWin), "2.100");
  EXPECT_EQ(hall.cell_text(0, C::kDraw), "3.200");
  EXPECT_EQ(hall.cell_text(0, C::kAwayWin), "3.500");
  EXPECT_EQ(hall.columns()[C::kMore].kind, CellKind::kMoreButton);

  f.context.login_mode = net::kLoginModeVisitor;
  hall.private_room_command();
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"只有真钱用户才可使用私人房间！"}));
}

struct PendingOutright final : ports::OutrightTicketPort {
  bool run(const ports::OutrightTicketView&, ports::OutrightTicketHandler&) override { return false; }
  void open_page(const std::string&, const std::string&) override {}
};

TEST(OutrightHall, EventListWithoutLeagueChooser) {
  brindle::testing::HallFixture f;
  PendingOutright ticket;
  OutrightHall hall(f.services(), ticket);
  f.reply({"1|ok|0", match_line(70, "世界杯", kFirstDay, "2026世界杯冠军", "")});
  f.balance_reply();
  hall.refresh();
  EXPECT_EQ(f.subjects()[0], 5001);
  EXPECT_FALSE(hall.has_league_chooser());
  EXPECT_EQ(hall.cell_text(0, OutrightHall::kName), "2026世界杯冠军");
  EXPECT_EQ(hall.cell_text(0, OutrightHall::kTime), "2024-03-01 18:00");
  EXPECT_EQ(hall.location_text(), " 您现在的位置：冠军/指数");
}

TEST(HallRooms, EveryHallFollowingTheUserShowsTheRoomsNameAndLeavingClearsTheRoom) {
  brindle::testing::HallFixture f;
  brindle::testing::ScriptedParlayWindows parlay_windows;
  PendingOutright ticket;
  AsianHandicapHall asian(f.services());
  OverUnderHall over_under(f.services());
  InPlayHall in_play(f.services());
  ParlayHall parlay(f.services(), parlay_windows);
  OutrightHall outright(f.services(), ticket);

  f.windows.room_to_enter = "老王的房间";
  asian.private_room_command();
  EXPECT_EQ(f.windows.room_lists, 1);
  EXPECT_EQ(f.context.room_number, 9);
  EXPECT_EQ(asian.location_text(), " 您现在的位置：亚洲让球盘私人房间 — 老王的房间");

  struct Case {
    HallModel* hall;
    const char* location;
  };
  const Case cases[] = {
      {&over_under, " 您现在的位置：大小球盘私人房间 — 老王的房间"},
      {&in_play, " 您现在的位置：走地盘私人房间 — 老王的房间"},
      {&parlay, " 您现在的位置：私人房间 — 老王的房间"},
      {&outright, " 您现在的位置：冠军/指数"},  // no room in its line
  };
  for (const auto& c : cases) {
    c.hall->became_visible();
    EXPECT_EQ(c.hall->room(), HallRoom::kPrivate) << c.location;
    EXPECT_EQ(c.hall->location_text(), c.location);
  }
  EXPECT_EQ(f.windows.room_lists, 1) << "the room number spares the other halls the room list";
  // Each switch told the frame, so the super button shows cash-out.
  for (const auto& posted : f.frame.posted)
    EXPECT_EQ(posted, std::make_tuple(ports::WindowMessage::private_rooms, 1, 0));

  parlay.private_room_command();
  EXPECT_EQ(f.context.room_number, 0);
  EXPECT_EQ(f.context.room_star_member, "");
  EXPECT_EQ(f.context.room_name, "");
  EXPECT_EQ(f.frame.posted.back(), std::make_tuple(ports::WindowMessage::private_rooms, 0, 0));
  asian.became_visible();
  EXPECT_EQ(asian.location_text(), " 您现在的位置：亚洲让球盘 — 公共房间");
}

TEST(HallRooms, TheMainWindowsRoomSwitchAlsoSwapsTheSuperButton) {
  brindle::testing::HallFixture f;
  AsianHandicapHall hall(f.services());
  f.windows.room_to_enter = "老王的房间";
  hall.switch_room(HallRoom::kPrivate);  // the Login window's "私人房间" path
  EXPECT_EQ(f.frame.posted, (std::vector{std::make_tuple(ports::WindowMessage::private_rooms, 1, 0)}));
  hall.switch_room(HallRoom::kPrivate);
  EXPECT_EQ(f.frame.posted.size(), 1u);
}

}  // namespace
