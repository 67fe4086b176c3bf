// The bankers' hall over a scripted server: the category tree and its merge, the offer columns, the
// ticket's refusals in order and its texts by kind.

#include "core/betting/banker_hall.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "core/betting/banker_ticket.h"
#include "core/net/client_context.h"
#include "hall_fixture.h"

namespace {

using namespace brindle;
using namespace brindle::betting;
using brindle::testing::banker_match_line;
using brindle::testing::banker_offer_line;

struct Banker : brindle::testing::HallFixture {
  BankerHallServices hall_services() {
    BankerHallServices s{services(), {}, {}};
    s.open_market = [this](int flag) { opened_markets.push_back(flag); };
    s.open_market_with_notice = [this](int) { ++notices; };
    return s;
  }
  // Opens the hall on a 1X2 list and selects the first leaf.
  void open_with(const std::vector<std::string>& lines) {
    reply(lines);
    balance_reply();
    hall.open();
    hall.select({0, 0, 0, 0});
    frame.posted.clear();
  }
  std::vector<int> opened_markets;
  int notices = 0;
  BankerHall hall{hall_services()};
};

const std::vector<std::string> kOneOffer{"1|ok", banker_match_line(9001, "英超", "曼联", "利物浦"),
                                         banker_offer_line(9001, 1, 501, 1, "1000", "0.85", "300", "庄家甲")};

TEST(BankerHall, OfferColumnsWithTheAcceptableStakeTruncated) {
  Banker f;
  f.open_with(kOneOffer);
  EXPECT_EQ(f.subjects(), (std::vector<int>{4017, 4012}));
  EXPECT_EQ(f.paras()[0], "1");
  ASSERT_EQ(f.hall.offers().size(), 1u);
  const std::vector<std::string> expected{"18:00", "庄家甲", "1.850", "1000.00 RMB", "876 RMB", ""};
  for (int column = 0; column < 6; ++column) {
    EXPECT_EQ(f.hall.cell_text(0, column), expected[static_cast<std::size_t>(column)]) << column;
  }
  EXPECT_EQ(f.hall.tree()[0].children[0].text, "2024-03-01 英超");
  EXPECT_EQ(f.hall.tree()[0].children[0].children[0].text, "曼联 vs 利物浦 (18:00)");
  EXPECT_EQ(f.hall.tree()[0].children[0].children[0].children[0].text, "主队(左选项)胜");
  EXPECT_EQ(f.hall.location_text(), " 您现在的位置：对战万事盘");
}

TEST(BankerHall, AMarketTakenInFullOrBeyondShowsNoNegativeAcceptableStake) {
  for (const char* taken : {"1176.4", "1176.5", "2000"}) {
    Banker f;
    f.open_with({"1|ok", banker_match_line(9001, "英超", "曼联", "利物浦"),
                 banker_offer_line(9001, 1, 501, 1, "1000", "0.85", taken, "庄家甲")});
    EXPECT_EQ(f.hall.cell_text(0, 4), "0 RMB") << taken;
  }
}

TEST(BankerHall, AcceptableStake) {
  struct Case {
    double stake, price, taken, acceptable;
  };
  const Case cases[] = {
      {1000, 0.85, 300, 876.47},
      {500, 0.9, 0, 555.56},
      {100, 0.5, 200, 0},  // fully taken
      {100, 0, 0, 0},      // no price: nothing to take, no division by zero
      {100, -0.5, 0, 0},
  };
  for (const auto& c : cases) {
    protocol::BankerMarketRow row;
    row.banker_stake = c.stake;
    row.price = c.price;
    row.amount_taken = c.taken;
    EXPECT_NEAR(acceptable_stake(row), c.acceptable, 0.005) << c.stake << " " << c.price << " " << c.taken;
  }
}

TEST(BankerHall, StakeChecksInTheirOrder) {
  struct Case {
    const char* typed;
    const char* refusal;  // nullptr: the bet is sent
  };
  const Case cases[] = {
      {"876", nullptr},     {"877", kAboveAcceptableText},        {"0", kStakeZeroText},
      {"", kStakeZeroText}, {"1001", kBankerStakeAboveFundsText},  // above the funds comes before above the
                                                                   // acceptable stake
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    Banker f;
    f.open_with(kOneOffer);
    f.stake_window.answers = {std::string(c.typed)};
    f.reply({"1|成功|124|876|20260001"});
    f.hall.click(0, kBankerBetColumn);
    if (c.refusal == nullptr) {
      EXPECT_EQ(f.paras().back(), "501|876");
      EXPECT_EQ(f.messages.texts.back(), "成功\n您的投注流水号为：20260001");
      EXPECT_EQ(f.context.balance, 124);
      ASSERT_EQ(f.confirmation.shown.size(), 1u);
      EXPECT_EQ(f.confirmation.shown[0].title, "胜平负盘投注");
      EXPECT_EQ(f.confirmation.shown[0].stake, "876");
      EXPECT_EQ(f.confirmation.shown[0].currency, "元");
    } else {
      EXPECT_EQ(f.subjects().back(), 4012);  // nothing sent
      EXPECT_EQ(f.messages.texts, std::vector<std::string>{c.refusal});
      // A zero stake is refused inside the window; the others open the ticket again with the stake as
      // typed. Either way it was then cancelled.
      const bool in_place = c.refusal == std::string(kStakeZeroText);
      EXPECT_EQ(f.stake_window.refused_in_place.size(), in_place ? 1u : 0u);
      ASSERT_EQ(f.stake_window.typed_on_show.size(), in_place ? 1u : 2u);
      if (!in_place) {
        EXPECT_EQ(f.stake_window.typed_on_show[1], c.typed);
      }
      EXPECT_TRUE(f.confirmation.shown.empty());
    }
  }
}

TEST(BankerHall, RefusedBeforeTheTicketOpens) {
  struct Case {
    int login_mode;
    int currency;
    const char* message;  // nullptr: nothing at all
  };
  const Case cases[] = {
      {net::kLoginModeMember, 0, kNotFundedText},
      {net::kLoginModeMember, 3, kCurrencyMismatchText},
      {net::kLoginModeVisitor, 1, nullptr},
      {net::kLoginModeSecondary, 1, nullptr},
  };
  for (const auto& c : cases) {
    Banker f;
    f.open_with(kOneOffer);
    f.context.login_mode = c.login_mode;
    f.context.currency_code = c.currency;
    f.stake_window.answers = {std::string("10")};
    f.hall.click(0, kBankerBetColumn);
    EXPECT_TRUE(f.stake_window.shown.empty());
    EXPECT_EQ(f.messages.texts.size(), c.message ? 1u : 0u);
    if (c.message) {
      EXPECT_EQ(f.messages.texts[0], c.message);
    }
    EXPECT_TRUE(f.frame.posted.empty());
  }
}

TEST(BankerHall, ClicksOutsideTheBetColumnOrWithoutALeafDoNothing) {
  Banker f;
  f.open_with(kOneOffer);
  f.hall.click(0, 4);
  f.hall.click(1, kBankerBetColumn);
  f.hall.select({0, 0, 0});  // a match item: the list empties
  EXPECT_TRUE(f.hall.offers().empty());
  f.hall.click(0, kBankerBetColumn);
  EXPECT_TRUE(f.stake_window.shown.empty());
}

TEST(BankerHall, CancellingTheConfirmationKeepsTheStakeAndCancellingTheTicketSendsNothing) {
  Banker f;
  f.open_with(kOneOffer);
  f.stake_window.answers = {std::string("50"), std::string("60")};
  f.confirmation.answers = {false, false};
  f.hall.click(0, kBankerBetColumn);
  EXPECT_EQ(f.stake_window.typed_on_show, (std::vector<std::string>{"", "50", "60"}));
  EXPECT_EQ(f.subjects().back(), 4012);
  EXPECT_TRUE(f.frame.posted.empty());
}

TEST(BankerHall, AServerRefusalIsShownAsSentAndTheFrameRefreshes) {
  Banker f;
  f.open_with(kOneOffer);
  f.stake_window.answers = {std::string("100")};
  f.reply({"0|庄家彩金不足"});
  f.hall.click(0, kBankerBetColumn);
  EXPECT_EQ(f.messages.texts, std::vector<std::string>{"庄家彩金不足"});
  ASSERT_EQ(f.frame.posted.size(), 1u);
  EXPECT_EQ(std::get<0>(f.frame.posted[0]), ports::WindowMessage::refresh_account);
  EXPECT_EQ(f.context.balance, 1000);
}

TEST(BankerHall, TicketTextsByKind) {
  struct Case {
    int flag;
    int choice;
    const char* choice_text;
    const char* title;
  };
  const Case cases[] = {
      {1, 3, "主队(左选项)胜或平", "胜平负盘投注"},       {2, 11, "全场总进球数为“2.5 大”", "大小球投注"},
      {2, -10, "全场总进球数为“2/2.5 小”", "大小球投注"}, {4, 3, "2 : 1", "比分盘投注"},
      {4, 26, "任何一队进五球以上", "比分盘投注"},        {8, 11, "全场总分为“2.5 大”", "篮球大小盘投注"},
      {16, 1, "全场总分为“单数”", "篮球单双数盘投注"},    {16, 2, "全场总分为“双数”", "篮球单双数盘投注"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(banker_ticket_choice(c.flag, c.choice), c.choice_text) << c.flag << " " << c.choice;
    EXPECT_EQ(banker_confirmation_title(c.flag), c.title);
  }
}

TEST(BankerHall, TicketHeadingExplanationAndCurrencyLabel) {
  Banker f;
  f.open_with(kOneOffer);
  f.hall.click(0, kBankerBetColumn);
  ASSERT_EQ(f.stake_window.shown.size(), 1u);
  const auto& shown = f.stake_window.shown[0];
  EXPECT_EQ(shown.header, "在 曼联 vs 利物浦 的比赛中你将与庄家庄家甲对博。");
  EXPECT_EQ(shown.odds, "1.850");
  EXPECT_EQ(shown.explanation, kBankerExplanation);
  EXPECT_EQ(shown.currency_label, "元整（不含小数）");
}

TEST(BankerHall, EqualChoiceTextsOfConsecutiveGroupsShareTheFirstGroupsLeaf) {
  Banker f;
  f.open_with({"1|ok", banker_match_line(9001, "英超", "曼联", "利物浦"),
               banker_offer_line(9001, 1, 501, 1, "100", "0.5", "0", "甲"),
               banker_offer_line(9001, 2, 502, 1, "200", "0.5", "0", "乙"),
               banker_offer_line(9001, 2, 503, 4, "300", "0.5", "0", "丙")});
  const auto& choices = f.hall.tree()[0].children[0].children[0].children;
  ASSERT_EQ(choices.size(), 2u);
  EXPECT_EQ(choices[0].key, 0);
  EXPECT_EQ(choices[1].key, 2 * kBankerGroupStride);
  ASSERT_EQ(f.hall.offers().size(), 1u);
  EXPECT_EQ(f.hall.offers()[0].offer_id, 501);
}

TEST(BankerHall, ReloadKeepsPlaceExpansionAndSelectionOfMatchingItems) {
  Banker f;
  f.open_with({"1|ok", banker_match_line(9001, "英超", "曼联", "利物浦"),
               banker_offer_line(9001, 1, 501, 1, "100", "0.5", "0", "甲"),
               banker_offer_line(9001, 1, 502, 4, "100", "0.5", "0", "乙"),
               banker_match_line(9002, "意甲", "米兰", "国米"),
               banker_offer_line(9002, 1, 601, 1, "100", "0.5", "0", "丙")});
  f.hall.set_expanded({0, 0}, true);
  f.hall.select({0, 0, 0, 1});
  ASSERT_EQ(f.hall.offers()[0].offer_id, 502);

  // A new league comes first, the 意甲 match is gone, the selected leaf's group moved.
  f.reply({"1|ok", banker_match_line(8001, "德甲", "拜仁", "多特", "45352.5"),
           banker_offer_line(8001, 1, 801, 1, "100", "0.5", "0", "丁"),
           banker_match_line(9001, "英超", "曼联", "利物浦"),
           banker_offer_line(9001, 1, 501, 1, "100", "0.5", "0", "甲"),
           banker_offer_line(9001, 1, 505, 2, "100", "0.5", "0", "戊"),
           banker_offer_line(9001, 1, 502, 4, "150", "0.5", "0", "乙")});
  f.balance_reply();
  f.hall.refresh();
  const auto& days = f.hall.tree()[0].children;
  ASSERT_EQ(days.size(), 2u);
  EXPECT_EQ(days[0].text, "2024-03-01 德甲");
  EXPECT_FALSE(days[0].expanded);
  EXPECT_EQ(days[1].text, "2024-03-01 英超");
  EXPECT_TRUE(days[1].expanded);
  EXPECT_EQ(f.hall.selected_path(), (TreePath{0, 1, 0, 2}));
  const auto& choices = days[1].children[0].children;
  ASSERT_EQ(choices.size(), 3u);
  EXPECT_EQ(choices[1].text, "主队(左选项)平");
  // The selected leaf took its new key, so the list shows the fresh offer.
  ASSERT_EQ(f.hall.offers().size(), 1u);
  EXPECT_EQ(f.hall.offers()[0].banker_stake, 150);
  // Other kinds were left alone.
  EXPECT_TRUE(f.hall.tree()[1].children.empty());
}

TEST(BankerHall, SelectingAnUnloadedKindLoadsItOnceAndAFailedLoadEmptiesItsSubtree) {
  Banker f;
  f.open_with(kOneOffer);
  f.reply({"0|暂无数据"});
  f.balance_reply();
  f.hall.select({2});
  EXPECT_EQ(f.paras()[f.paras().size() - 2], "2");  // the correct-score list code
  EXPECT_EQ(f.messages.texts, std::vector<std::string>{"暂无数据"});
  EXPECT_TRUE(f.hall.loaded(2));
  const auto sent = f.subjects().size();
  f.hall.select({0, 0, 0, 0});
  EXPECT_EQ(f.subjects().size(), sent);  // a loaded kind only refills the list
  EXPECT_EQ(f.hall.offers().size(), 1u);

  f.reply({"0|服务器忙"});
  f.balance_reply();
  f.hall.refresh();
  EXPECT_TRUE(f.hall.tree()[0].children.empty());
  EXPECT_TRUE(f.hall.offers().empty());
  EXPECT_EQ(std::get<0>(f.frame.posted.back()), ports::WindowMessage::rebuild_account_panel);
}

TEST(BankerHall, MenusButtonsAndOpeningAMarketByLoginMode) {
  struct Case {
    int login_mode;
    std::vector<std::string> menu;
    bool own_button;
  };
  const Case cases[] = {
      {net::kLoginModeMember, {"刷新数据", "投注记录", "我要开盘"}, true},
      {net::kLoginModeVisitor, {"刷新数据"}, false},
      {net::kLoginModeSecondary, {"刷新数据"}, false},
  };
  for (const auto& c : cases) {
    Banker f;
    f.open_with(kOneOffer);
    f.context.login_mode = c.login_mode;
    EXPECT_EQ(f.hall.context_menu(), c.menu);
    EXPECT_EQ(f.hall.own_button_visible(), c.own_button);
    f.hall.menu_command(kMenuOpenMarket);
    f.hall.own_button();
    f.hall.page_button();
    const std::vector<int> opened = c.own_button ? std::vector<int>{1, 1} : std::vector<int>{};
    EXPECT_EQ(f.opened_markets, opened);
    EXPECT_EQ(f.notices, 1);
  }
  // Unset hooks do nothing.
  brindle::testing::HallFixture bare;
  BankerHall hall(BankerHallServices{bare.services(), {}, {}});
  hall.own_button();
  hall.page_button();
  hall.menu_command(kMenuRecords);
  EXPECT_EQ(bare.windows.records, 1);
  // The other page buttons go where they go from every hall.
  hall.buttons().page_button(kOutrightPage);
  ASSERT_EQ(bare.frame.posted.size(), 1u);
  EXPECT_EQ(bare.frame.posted[0], std::make_tuple(ports::WindowMessage::go_to_page, kOutrightPage, 0));
}

}  // namespace
