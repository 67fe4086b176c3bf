// The in-play ticket as a flow over scripted windows, server and clock: the fresh line and its
// checks, the texts, the timed stake loop, the bet's mode and the follow-up of a delayed bet.

#include "core/betting/in_play_ticket.h"

#include <gtest/gtest.h>

#include "core/betting/in_play_hall.h"
#include "core/betting/totals_explanation.h"
#include "core/net/request_gate.h"
#include "core/notation/bet_choice.h"
#include "core/notation/market_kind.h"
#include "core/ports/notice_port.h"
#include "hall_fixture.h"
#include "support/scripted_clock.h"

namespace {

using namespace brindle;
using namespace brindle::betting;
using brindle::testing::kFirstDay;
using brindle::testing::match_line;
using brindle::testing::odds_line;
using C = InPlayHall::Column;

struct RecordingNotices final : ports::NoticePort {
  void notice(const std::string& text) override { texts.push_back(text); }
  std::vector<std::string> texts;
};

// A fresh 4038 reply: closed flag, both sides, target 190, score.
std::string fresh_line(int closed = 0, const std::string& first_price = "0.90", int home = 1, int away = 0,
                       int code = 3) {
  return "1|ok|" + std::to_string(closed) + "|12|" + std::to_string(code) + "|" + first_price + "|13|" +
         std::to_string(-code) + "|1.00|190|" + std::to_string(home) + "|" + std::to_string(away);
}

struct InPlay : brindle::testing::HallFixture {
  InPlay() {
    // Match 1 at 1 : 0, home gives (code 3); over/under line 9. Match 2 has no handicap line.
    reply({"1|ok|0", match_line(1, "英超", kFirstDay, "曼联", "利物浦", 0, 1),
           odds_line(1, 8, 12, 3, "0.90", 190, 0, 1, 0), odds_line(1, 8, 13, -3, "1.00", 190, 0, 1, 0),
           odds_line(1, 9, 14, 9, "0.85", 190, 0, 1, 0), odds_line(1, 9, 15, -9, "1.05", 190, 0, 1, 0),
           match_line(2, "英超", kFirstDay, "阿森纳", "切尔西", 0, 1),
           odds_line(2, 9, 24, 9, "0.85", 190, 0, 0, 0)});
    hall.refresh();
  }
  // 3016 with the delay, then the 3020 reply with the bet number.
  void bet_replies(int delay, const std::string& message = "投注成功") {
    reply({"1|ok|" + std::to_string(delay)});
    reply({"1|" + message + "|900|100|4711"});
  }

  brindle::testing::ScriptedClock clock;
  RecordingNotices notices;
  InPlayFollowUps follow_ups{session, clock, notices};
  InPlayHall hall{services(), clock, follow_ups};
};

TEST(InPlayTicket, OpeningChecksStopBeforeTheStakeWindow) {
  struct Case {
    const char* name;
    int currency;
    std::vector<std::string> reply;  // empty: no request expected
    std::size_t line;
    int column;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"never bought credit", 0, {}, 0, C::kPositiveOdds, {"您还没有买彩，不能投注！"}},
      {"line request refused", 1, {"0|没有这场比赛。"}, 0, C::kPositiveOdds, {"没有这场比赛。"}},
      {"match closed", 1, {fresh_line(1)}, 0, C::kOverOdds, {"赛程暂时关闭！"}},
      {"no held line on that side", 1, {fresh_line()}, 1, C::kPositiveOdds, {}},
  };
  for (const auto& c : cases) {
    InPlay f;
    f.context.currency_code = c.currency;
    if (!c.reply.empty()) f.reply(c.reply);
    const auto before = f.transport.exchanges().size();
    f.hall.click(c.line, c.column);
    EXPECT_EQ(f.messages.texts, c.messages) << c.name;
    EXPECT_EQ(f.transport.exchanges().size(), before + (c.reply.empty() ? 0 : 1)) << c.name;
    EXPECT_TRUE(f.stake_window.shown.empty()) << c.name;
  }
  InPlay visitor;
  visitor.context.login_mode = net::kLoginModeVisitor;
  visitor.hall.click(0, C::kPositiveOdds);
  EXPECT_EQ(visitor.transport.exchanges().size(), 1u);
  EXPECT_TRUE(visitor.messages.texts.empty());
}

TEST(InPlayTicket, TextsTitleAndPreBetCheckOfEveryColumn) {
  struct Case {
    int column;
    std::string header;
    std::string choice;
    std::string odds;
    std::string title;
    std::string line_para;  // 4038 before the context numbers
    std::string check_para;
    std::string bet_para;
  };
  const std::string handicap = notation::bet_choice_text(notation::kKindInPlayAsianHandicap, 3, 0);
  const Case cases[] = {
      {C::kPositiveOdds, "曼联 vs 利物浦 的让球为 " + handicap + "。当前比分：1 : 0", "曼联", "1.900",
       "走地亚洲盘投注", "1|0|8", "1|8", "12|0.900000|100.000000|0"},
      {C::kNegativeOdds, "曼联 vs 利物浦 的让球为 " + handicap + "。当前比分：1 : 0", "利物浦", "2.000",
       "走地亚洲盘投注", "1|0|8", "1|8", "13|1.000000|100.000000|0"},
      {C::kOverOdds, "曼联 vs 利物浦 当前比分：1 : 0",
       notation::bet_choice_text(notation::kKindInPlayOverUnder, 9, 0), "1.850", "走地大小球盘投注", "1|0|9",
       "1|9", "12|0.850000|100.000000|0"},
      {C::kUnderOdds, "曼联 vs 利物浦 当前比分：1 : 0",
       notation::bet_choice_text(notation::kKindInPlayOverUnder, -9, 0), "2.050", "走地大小球盘投注", "1|0|9",
       "1|9", "13|1.050000|100.000000|0"},
  };
  for (const auto& c : cases) {
    InPlay f;
    const bool totals = c.column == C::kOverOdds || c.column == C::kUnderOdds;
    f.reply({totals ? "1|ok|0|12|9|0.85|13|-9|1.05|190|1|0" : fresh_line()});
    f.stake_window.answers = {"100"};
    f.bet_replies(0);
    f.hall.click(0, c.column);
    ASSERT_EQ(f.stake_window.shown.size(), 1u) << c.column;
    const auto& shown = f.stake_window.shown[0];
    EXPECT_EQ(shown.header, c.header);
    EXPECT_EQ(shown.choice, c.choice);
    EXPECT_EQ(shown.odds, c.odds);
    if (totals) {
      EXPECT_EQ(shown.explanation, totals_explanation(c.column == C::kOverOdds ? 9 : -9, 0,
                                                      c.column == C::kOverOdds ? 0.85 : 1.05));
    } else {
      EXPECT_EQ(shown.explanation, kInPlayHandicapExplanation);
    }
    ASSERT_EQ(f.confirmation.shown.size(), 1u);
    EXPECT_EQ(f.confirmation.shown[0].title, c.title);
    EXPECT_EQ(f.confirmation.shown[0].odds, c.odds);
    const auto paras = f.paras();
    ASSERT_EQ(paras.size(), 4u);
    EXPECT_EQ(paras[1], c.line_para + "|11|22");
    EXPECT_EQ(paras[2], c.check_para);
    EXPECT_EQ(paras[3], c.bet_para);
    EXPECT_TRUE(f.messages.texts == std::vector<std::string>{"投注成功\n请留意投注记录。"}) << c.column;
    ASSERT_EQ(f.frame.posted.size(), 1u);
    EXPECT_EQ(f.frame.posted[0], std::make_tuple(ports::WindowMessage::bet_placed, 0, 100));
  }
}

TEST(InPlayTicket, AwayGivingAndBasketballHeaders) {
  struct Case {
    const char* name;
    int line_kind;
    int code;  // of the positive side
    int column;
    std::string header;
    std::string choice;
  };
  const auto handicap = [](int code, int kind) {
    return notation::bet_choice_text(notation::kKindInPlayAsianHandicap, code, kind);
  };
  const Case cases[] = {
      {"away gives, positive side", 0, 1003, C::kPositiveOdds,
       "甲 vs 乙 的让球为 " + handicap(-1003, 0) + "。当前比分：0 : 2", "乙"},
      {"away gives, negative side", 0, 1003, C::kNegativeOdds,
       "甲 vs 乙 的让球为 " + handicap(-1003, 0) + "。当前比分：0 : 2", "甲"},
      {"basketball", 9, 7, C::kPositiveOdds, "甲 vs 乙 的让分为 " + handicap(7, 9) + "。当前比分：0 : 2。",
       "甲"},
  };
  for (const auto& c : cases) {
    brindle::testing::HallFixture f;
    brindle::testing::ScriptedClock clock;
    RecordingNotices notices;
    InPlayFollowUps follow_ups{f.session, clock, notices};
    InPlayHall hall{f.services(), clock, follow_ups};
    f.reply({"1|ok|0", match_line(5, "联赛", kFirstDay, "甲", "乙", 0, 1, c.line_kind),
             odds_line(5, 8, 51, c.code, "0.90", 190, 0, 0, 2),
             odds_line(5, 8, 52, -c.code, "1.00", 190, 0, 0, 2)});
    hall.refresh();
    const std::string code = std::to_string(c.code);
    f.reply({"1|ok|0|51|" + code + "|0.90|52|-" + code + "|1.00|190|0|2"});
    hall.click(0, c.column);
    ASSERT_EQ(f.stake_window.shown.size(), 1u) << c.name;
    EXPECT_EQ(f.stake_window.shown[0].header, c.header) << c.name;
    EXPECT_EQ(f.stake_window.shown[0].choice, c.choice) << c.name;
    EXPECT_TRUE(f.messages.texts.empty()) << c.name;
  }
}

TEST(InPlayTicket, MovedLinesWarnOnceAndTheTicketGoesOnWithTheFreshValues) {
  struct Case {
    const char* name;
    std::string reply;
    std::vector<std::string> messages;
    std::string header_score;
    std::string odds;
  };
  const Case cases[] = {
      {"unchanged", fresh_line(), {}, "1 : 0", "1.900"},
      {"score moved", fresh_line(0, "0.90", 2, 0), {"盘口或赔率已变化！"}, "2 : 0", "1.900"},
      {"price moved (balanced to the target)",
       fresh_line(0, "0.80"),
       {"盘口或赔率已变化！"},
       "1 : 0",
       "1.850"},
      {"line moved", fresh_line(0, "0.90", 1, 0, 4), {"盘口或赔率已变化！"}, "1 : 0", "1.900"},
  };
  for (const auto& c : cases) {
    InPlay f;
    f.reply({c.reply});
    f.hall.click(0, C::kPositiveOdds);
    EXPECT_EQ(f.messages.texts, c.messages) << c.name;
    ASSERT_EQ(f.stake_window.shown.size(), 1u) << c.name;
    EXPECT_NE(f.stake_window.shown[0].header.find("当前比分：" + c.header_score), std::string::npos)
        << c.name;
    EXPECT_EQ(f.stake_window.shown[0].odds, c.odds) << c.name;
  }
}

TEST(InPlayTicket, AFirstPriceOfZeroIsNotBalanced) {
  InPlay f;
  f.reply({"1|ok|0|14|9|0|15|-9|1.5|190|1|0"});
  f.hall.click(0, C::kUnderOdds);
  ASSERT_EQ(f.stake_window.shown.size(), 1u);
  EXPECT_EQ(f.stake_window.shown[0].odds, "2.500");
}

TEST(InPlayTicket, StakeLoopRefusalsReturnToTheStakeWindow) {
  InPlay f;
  f.reply({fresh_line()});
  f.stake_window.answers = {"0", "1001", "100", "100", "100"};
  f.confirmation.answers = {false, true, true};
  f.reply({"1|ok|0"});
  f.reply({"0|赔率已变动"});
  f.bet_replies(0);
  f.hall.click(0, C::kNegativeOdds);
  EXPECT_EQ(f.messages.texts, (std::vector<std::string>{"投注彩金不能为0！", "投注彩金不能超过可用金！",
                                                        "赔率已变动", "投注成功\n请留意投注记录。"}));
  // The zero stake stays in the first showing, so its 20-second limit is not restarted.
  EXPECT_EQ(f.stake_window.refused_in_place, (std::vector<std::string>{"0"}));
  EXPECT_EQ(f.stake_window.typed_on_show, (std::vector<std::string>{"", "1001", "100", "100"}));
  EXPECT_EQ(f.subjects(), (std::vector<int>{4027, 4038, 3016, 3020, 3016, 3020}));
}

TEST(InPlayTicket, TimeLimitsEndTheTicket) {
  struct Case {
    const char* name;
    int stake_seconds;         // passed while the stake window is open
    int confirmation_seconds;  // passed while the confirmation is open
    bool placed;
    int stake_closed;
    int confirmation_closed;
  };
  const Case cases[] = {
      {"stake window at 20 s", 20, 0, false, 1, 0},
      {"stake window at 19 s", 19, 0, true, 0, 0},
      {"confirmation at 10 s", 0, 10, false, 0, 1},
      {"confirmation at 9 s", 19, 9, true, 0, 0},
  };
  for (const auto& c : cases) {
    InPlay f;
    f.reply({fresh_line()});
    f.stake_window.answers = {"100", "100"};
    f.stake_window.on_show = [&] { f.clock.advance_seconds(c.stake_seconds); };
    f.confirmation.on_show = [&] { f.clock.advance_seconds(c.confirmation_seconds); };
    f.bet_replies(0);
    f.hall.click(0, C::kPositiveOdds);
    EXPECT_EQ(f.frame.posted.size(), c.placed ? 1u : 0u) << c.name;
    EXPECT_EQ(f.stake_window.shown.size(), 1u) << c.name << ": a time-out never returns to the stake window";
    EXPECT_EQ(f.stake_window.closed, c.stake_closed) << c.name;
    EXPECT_EQ(f.confirmation.closed, c.confirmation_closed) << c.name;
    EXPECT_EQ(f.clock.running(), 0u) << c.name;
  }
}

TEST(InPlayTicket, ModeFromThePreBetCheck) {
  struct Case {
    const char* name;
    std::string check_reply;
    std::string mode;
    std::string suffix;
    std::size_t waiting;
  };
  const Case cases[] = {
      {"no delay", "1|ok|0", "0", "\n请留意投注记录。", 0},
      {"delay 3", "1|ok|3", "2", "\n请留意投注记录中的投注状态。", 1},
      {"check failed", "0|该盘口不是走地盘口！", "0", "\n请留意投注记录。", 0},
  };
  for (const auto& c : cases) {
    InPlay f;
    f.reply({fresh_line()});
    f.stake_window.answers = {"100"};
    f.reply({c.check_reply});
    f.reply({"1|投注成功|900|100|4711"});
    f.hall.click(0, C::kNegativeOdds);
    EXPECT_EQ(f.paras().back(), "13|1.000000|100.000000|" + c.mode) << c.name;
    EXPECT_EQ(f.messages.texts, std::vector<std::string>{"投注成功" + c.suffix}) << c.name;
    EXPECT_EQ(f.follow_ups.waiting(), c.waiting) << c.name;
    EXPECT_EQ(f.clock.running(), c.waiting) << c.name;
  }
}

TEST(InPlayFollowUp, DelayOfThreeGoesOutOnTheFifthTickAndTellsTheUser) {
  struct Case {
    const char* name;
    std::vector<std::vector<std::string>> replies;
    std::vector<int> subjects;
    std::vector<std::string> notices;
  };
  const Case cases[] = {
      {"accepted", {{"1|ok|0"}, {"1|ok|0"}}, {3022, 3018}, {"走地投注（单号 4711）已被接受。"}},
      {"refused by its own status",
       {{"1|ok|0"}, {"1|ok|1"}},
       {3022, 3018},
       {"走地投注（单号 4711）未被接受，彩金未被扣除。"}},
      {"refused at the check", {{"1|ok|1"}}, {3022}, {"走地投注（单号 4711）未被接受，彩金未被扣除。"}},
      {"still waiting", {{"1|ok|2"}}, {3022}, {}},
      {"check failed", {{"0|busy"}}, {3022}, {}},
  };
  for (const auto& c : cases) {
    InPlay f;
    f.reply({fresh_line()});
    f.stake_window.answers = {"100"};
    f.bet_replies(3);
    f.hall.click(0, C::kPositiveOdds);
    const auto placed = f.transport.exchanges().size();
    f.clock.advance_seconds(4);
    EXPECT_EQ(f.transport.exchanges().size(), placed) << c.name;
    for (const auto& r : c.replies) f.reply(r);
    f.clock.advance_seconds(1);
    auto subjects = f.subjects();
    subjects.erase(subjects.begin(), subjects.begin() + static_cast<long>(placed));
    EXPECT_EQ(subjects, c.subjects) << c.name;
    EXPECT_EQ(f.paras()[placed], "1|8") << c.name;
    if (c.subjects.size() == 2) {
      EXPECT_EQ(f.paras().back(), "4711|1|8") << c.name;
    }
    EXPECT_EQ(f.notices.texts, c.notices) << c.name;
    EXPECT_EQ(f.follow_ups.waiting(), 0u) << c.name;
    EXPECT_EQ(f.clock.running(), 0u) << c.name;
    f.clock.advance_seconds(3);
    EXPECT_EQ(f.transport.exchanges().size(), placed + c.subjects.size()) << c.name << ": one follow-up only";
  }
}

TEST(InPlayFollowUp, ADueTickWaitsWhileAnotherRequestIsInFlight) {
  InPlay f;
  ASSERT_TRUE(f.follow_ups.start(4711, 1, 8, 1));
  f.clock.advance_seconds(2);
  {
    const auto held = net::RequestGate::try_enter();
    ASSERT_TRUE(held);
    f.clock.advance_seconds(3);
    EXPECT_EQ(f.subjects(), (std::vector<int>{4027}));
  }
  f.reply({"1|ok|2"});
  f.clock.advance_seconds(1);
  EXPECT_EQ(f.subjects(), (std::vector<int>{4027, 3022}));
}

TEST(InPlayFollowUp, AFullTableLosesNoWaitingBet) {
  InPlay f;
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(f.follow_ups.start(i, 1, 8, 100));
  EXPECT_FALSE(f.follow_ups.start(99, 1, 8, 100));
  EXPECT_EQ(f.follow_ups.waiting(), 50u);
  EXPECT_EQ(f.clock.running(), 50u);
}

// Each delayed bet waits for the delay the server gave it: a later bet with a shorter delay must
// not send an earlier bet's follow-up before its own delay has run out.
TEST(InPlayFollowUp, EachBetWaitsItsOwnDelay) {
  InPlay f;
  ASSERT_TRUE(f.follow_ups.start(1, 1, 8, 5));
  f.context.in_play_delay = 0;  // as a later 3016 answer leaves it
  ASSERT_TRUE(f.follow_ups.start(2, 2, 9, 0));
  f.reply({"1|ok|1"});
  f.clock.advance_seconds(2);
  EXPECT_EQ(f.paras().back(), "2|9");
  const auto after_second = f.transport.exchanges().size();
  f.clock.advance_seconds(4);
  EXPECT_EQ(f.transport.exchanges().size(), after_second);
  f.reply({"1|ok|1"});
  f.clock.advance_seconds(3);
  EXPECT_EQ(f.paras().back(), "1|8");
  EXPECT_EQ(f.follow_ups.waiting(), 0u);
}

TEST(InPlayHall, AChosenLeagueNarrowsTheOneInPlayList) {
  InPlay f;
  f.reply({"1|ok|0", match_line(1, "英超", kFirstDay, "曼联", "利物浦", 0, 1),
           odds_line(1, 8, 12, 3, "0.90", 190, 0, 1, 0), odds_line(1, 8, 13, -3, "1.00", 190, 0, 1, 0),
           match_line(3, "西甲", kFirstDay, "皇马", "巴萨", 0, 1), odds_line(3, 8, 32, 3, "0.80", 190),
           odds_line(3, 8, 33, -3, "1.10", 190)});
  f.hall.choose_league("西甲");
  EXPECT_EQ(f.subjects().back(), 4027);
  EXPECT_EQ(f.paras().back(), "8|11|22");
  ASSERT_EQ(f.hall.line_count(), 1u);
  EXPECT_EQ(f.hall.cell_text(0, C::kPositiveOdds), "1.800");
  EXPECT_EQ(f.hall.odds().size(), 2u);
}

}  // namespace
