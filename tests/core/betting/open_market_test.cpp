// The open-market page over a scripted server: leagues, offers, the checks of "现在开盘" in their
// order and at their boundaries, the texts of the confirmation, 3008 and the reset.

#include "core/betting/open_market.h"

#include <gtest/gtest.h>

#include <deque>

#include "hall_fixture.h"

namespace {

using namespace brindle;
using namespace brindle::betting;
using brindle::testing::kFirstDay;
using Kind = OpenMarketKind;

struct ScriptedConfirmation final : ports::ConfirmationPort {
  bool confirm(const ports::ConfirmationRequest& request) override {
    shown.push_back(request);
    return answer;
  }
  std::vector<ports::ConfirmationRequest> shown;
  bool answer = true;
};

struct RecordingWindow final : ports::OpenMarketPort {
  void open_market_window(int tab) override { tabs.push_back(tab); }
  std::vector<int> tabs;
};

// 4016 line: id, league, start, second time, home, away, flag.
std::string match(int id, const std::string& league, const std::string& home, const std::string& away) {
  return std::to_string(id) + "|" + league + "|" + kFirstDay + "|" + kFirstDay + "|" + home + "|" + away +
         "|0";
}
// 4032 line: option id, choice code, net price.
std::string offer(int id, int code, const std::string& price) {
  return std::to_string(id) + "|" + std::to_string(code) + "|" + price;
}

struct OpenMarket : brindle::testing::HallFixture {
  explicit OpenMarket(Kind kind, int currency = 1) : page({session, messages, confirmation}, kind) {
    context.currency_code = currency;
    reply({"1|ok", match(500, "英超联赛", "阿森纳", "切尔西"), match(501, "英超", "利物浦", "埃弗顿"),
           match(502, "西甲", "皇马", "巴萨"), match(503, "英超联赛", "曼联", "曼城")});
    page.start();
  }
  // Selects match 500 with the given offer lines.
  void offers(const std::vector<std::string>& lines) {
    std::vector<std::string> reply_lines{"1|ok"};
    reply_lines.insert(reply_lines.end(), lines.begin(), lines.end());
    reply(reply_lines);
    page.select_match(0);
  }
  void check(int code, const std::string& odds) {
    const auto slot = page.slot_of_code(code);
    ASSERT_TRUE(slot) << code;
    page.mark(*slot, true);
    page.set_odds_text(*slot, odds);
  }
  ScriptedConfirmation confirmation;
  OpenMarketPage page;
};

TEST(OpenMarketPage, LeaguesFollowThePrefixRuleAndListExactMatches) {
  OpenMarket f(Kind::one_x_two);
  EXPECT_EQ(f.paras().back(), "1");
  // "英超" begins "英超联赛", so the box already holds it.
  EXPECT_EQ(f.page.leagues(), (std::vector<std::string>{"英超联赛", "西甲"}));
  ASSERT_EQ(f.page.listed_matches().size(), 2u);
  EXPECT_EQ(f.page.listed_matches()[1].match_number, 503);
  EXPECT_EQ(f.page.banner(), "请先点击比赛、然后进行开盘！");
  f.page.choose_league(1);  // nothing was selected: still the opening banner
  EXPECT_EQ(f.page.banner(), "请先点击比赛、然后进行开盘！");
  f.page.choose_league(0);
  EXPECT_EQ(f.page.stake_label(), "元整（不含小数）");
  f.offers({offer(71, 1, "0.5")});
  EXPECT_EQ(f.page.banner(), "选择比赛：阿森纳 vs 切尔西");
  EXPECT_EQ(f.paras().back(), "500");
}

TEST(OpenMarketPage, ListCodesAndTabsOfKindFlags) {
  const std::vector<std::pair<int, int>> codes{{1, 1},  {2, 3},  {4, 2},  {8, 6},
                                               {16, 7}, {32, 8}, {64, 9}, {3, 0}};
  for (const auto& [flag, code] : codes) EXPECT_EQ(open_market_list_code(flag), code) << flag;
  const std::vector<std::pair<int, int>> tabs{{1, 0}, {2, 1}, {4, 2}, {8, 3}, {16, 4}, {0, 0}, {32, 0}};
  for (const auto& [flag, tab] : tabs) EXPECT_EQ(open_market_tab_of_flag(flag), tab) << flag;
}

TEST(OpenMarketPage, NoticeComesFirstOnlyFromThePageButton) {
  ScriptedConfirmation confirmation;
  RecordingWindow window;
  open_market_from_hall(confirmation, window, true, 4);
  ASSERT_EQ(confirmation.shown.size(), 1u);
  EXPECT_EQ(confirmation.shown[0].title, "请注意");
  EXPECT_EQ(confirmation.shown[0].font_size, 10);
  EXPECT_FALSE(confirmation.shown[0].bold);
  EXPECT_EQ(window.tabs, std::vector<int>{2});
  confirmation.answer = false;
  open_market_from_hall(confirmation, window, true, 8);
  open_market_from_hall(confirmation, window, false, 16);
  EXPECT_EQ(window.tabs, (std::vector<int>{2, 4}));
}

TEST(OpenMarketPage, OffersFillSlotsWithSuggestedOdds) {
  OpenMarket f(Kind::correct_score);
  f.offers({offer(81, 11, "7.2004"), offer(82, 27, "1"), offer(83, 26, "30")});
  const auto& o = f.page.options();
  EXPECT_TRUE(o[10].shown);
  EXPECT_EQ(o[10].name, "0 : 0");
  EXPECT_EQ(o[10].odds_text, "8.2");
  EXPECT_EQ(o[25].name, "其它比分");
  EXPECT_EQ(std::count_if(o.begin(), o.end(), [](const auto& x) { return x.shown; }), 2);
  // "0 : 0" alone shows the draw caption.
  EXPECT_FALSE(f.page.score_captions()[0]);
  EXPECT_TRUE(f.page.score_captions()[1]);
  EXPECT_FALSE(f.page.score_captions()[2]);
  EXPECT_TRUE(f.page.stake_enabled());
}

TEST(OpenMarketPage, EmptyOffersAreSilentExceptOnBasketballTotals) {
  OpenMarket over_under(Kind::over_under);
  over_under.offers({});
  EXPECT_TRUE(over_under.messages.texts.empty());
  EXPECT_FALSE(over_under.page.stake_enabled());
  OpenMarket basketball(Kind::basketball_totals);
  basketball.offers({});
  EXPECT_EQ(basketball.messages.texts, std::vector<std::string>{"无建议赔率!"});
}

TEST(OpenMarketPage, CheckingA1x2OptionUnchecksTheOnesSharingAnOutcome) {
  OpenMarket f(Kind::one_x_two);
  f.offers({offer(1, 1, "1"), offer(2, 2, "2"), offer(3, 3, "0.4"), offer(4, 4, "3")});
  f.page.set_checked(0, true);
  f.page.set_checked(2, true);  // 胜或平 after 胜
  EXPECT_FALSE(f.page.options()[0].checked);
  f.page.set_checked(3, true);  // 负 shares nothing with 胜或平
  EXPECT_TRUE(f.page.options()[2].checked);
  EXPECT_TRUE(f.page.options()[3].checked);
}

struct Case {
  Kind kind;
  int currency;
  std::vector<std::string> offers;
  std::vector<std::pair<int, std::string>> checked;  // code, odds text
  std::string stake;
  std::string expected;  // empty: passes
};

TEST(OpenMarketPage, ChecksInTheirOrderAndAtTheirBoundaries) {
  const std::string multiple10 = "开盘彩金不能低于任意一个赔率减1乘以10！";
  const std::string band = "赔率上下浮动不能超过建议赔率的20%！";
  const std::vector<Case> cases{
      // 1X2 around 1.50: the band is 20 % of 0.50.
      {Kind::one_x_two, 1, {offer(1, 1, "0.5")}, {{1, "1.41"}}, "100", ""},
      {Kind::one_x_two, 1, {offer(1, 1, "0.5")}, {{1, "1.59"}}, "100", ""},
      {Kind::one_x_two, 1, {offer(1, 1, "0.5")}, {{1, "1.39"}}, "100", band},
      {Kind::one_x_two, 1, {offer(1, 1, "0.5")}, {{1, "1.61"}}, "100", band},
      {Kind::one_x_two, 1, {offer(1, 1, "5")}, {{1, "6.10"}}, "50", multiple10},
      {Kind::one_x_two, 1, {offer(1, 1, "5")}, {{1, "6.10"}}, "51", ""},
      {Kind::one_x_two, 2, {offer(1, 1, "5")}, {{1, "6.10"}}, "6", ""},
      {Kind::one_x_two, 3, {offer(1, 1, "5")}, {{1, "6.10"}}, "50", multiple10},
      {Kind::one_x_two, 1, {offer(1, 1, "5")}, {{1, "6.00"}}, "50", ""},
      {Kind::one_x_two,
       1,
       {offer(1, 1, "0.5")},
       {{1, "1.5"}},
       "0",
       "开盘彩金不能低于任意一个赔率减1乘以10！"},
      {Kind::one_x_two, 1, {offer(1, 1, "0.5")}, {}, "0", "请先选择坐庄比赛、盘口！"},
      {Kind::one_x_two, 1, {offer(1, 1, "0.005")}, {{1, "1.00"}}, "10", "开盘赔率不能小于1.01！"},
      {Kind::one_x_two, 1, {offer(1, 1, "0.85")}, {{1, "1.855"}}, "100", "开盘赔率最多两位小数！"},
      {Kind::one_x_two,
       1,
       {offer(1, 1, "1"), offer(3, 3, "0.4")},
       {{1, "2"}, {3, "1.4"}},
       "100",
       "开盘选项相互冲突！"},
      // Over/under around 1.50: 1.20–1.80.
      {Kind::over_under, 1, {offer(1, 11, "0.5")}, {{11, "1.25"}}, "100", ""},
      {Kind::over_under, 1, {offer(1, 11, "0.5")}, {{11, "1.19"}}, "100", band},
      {Kind::over_under, 1, {offer(1, 11, "0.5")}, {}, "100", "请先选择坐庄比赛、盘口和大小！"},
      {Kind::over_under, 1, {offer(1, 11, "0.5")}, {{11, "1.5"}}, "0", "开盘彩金不能为0！"},
      {Kind::over_under,
       1,
       {offer(1, 11, "0.5"), offer(2, -11, "0.5")},
       {{11, "1.555"}, {-11, "1.00"}},
       "100",
       "赔率不能小于1.01！"},
      {Kind::odd_even, 1, {offer(1, 1, "0.9")}, {}, "100", "请先选择坐庄比赛、盘口和单双数！"},
      {Kind::basketball_totals,
       2,
       {offer(1, -701, "0.9")},
       {{-701, "2.28"}},
       "1",
       "开盘彩金不能低于任意一个赔率减1乘以1！"},
      // Correct score: one decimal, at least 1.1.
      {Kind::correct_score, 1, {offer(1, 1, "11")}, {{1, "12.5"}}, "200", ""},
      {Kind::correct_score, 1, {offer(1, 1, "11")}, {{1, "12.25"}}, "200", "开盘赔率最多一位小数！"},
      {Kind::correct_score, 1, {offer(1, 1, "0.05")}, {{1, "1.09"}}, "200", "开盘赔率不能小于1.1！"},
      {Kind::correct_score, 1, {offer(1, 1, "11")}, {}, "0", "请先选择坐庄比赛、盘口！"},
      {Kind::correct_score, 1, {offer(1, 1, "11")}, {{1, "x"}}, "200", kOddsNotANumberText},
      {Kind::correct_score, 1, {offer(1, 1, "11")}, {{1, "12"}}, "2147483648", kStakeNotAWholeNumberText},
      // An empty stake box is a stake of 0 and gets the kind's own refusal.
      {Kind::correct_score,
       1,
       {offer(1, 1, "11")},
       {{1, "12"}},
       "",
       "开盘彩金不能低于任意一个赔率减1乘以10！"},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const auto& c = cases[i];
    OpenMarket f(c.kind, c.currency);
    f.offers(c.offers);
    for (const auto& [code, odds] : c.checked) f.check(code, odds);
    f.page.set_stake_text(c.stake);
    EXPECT_EQ(f.page.validate().value_or(""), c.expected) << "case " << i;
  }
}

TEST(OpenMarketPage, OfferListTexts) {
  struct ListCase {
    Kind kind;
    std::vector<std::string> offers;
    std::vector<std::pair<int, std::string>> checked;
    std::string expected;
  };
  const std::vector<ListCase> cases{
      {Kind::over_under,
       {offer(1, 11, "0.9"), offer(2, -10, "0.9")},
       {{-10, "1.9"}},
       "\n  “2/2.5 小” （赔率：1.90）"},
      {Kind::one_x_two,
       {offer(1, 1, "1"), offer(4, 4, "2")},
       {{1, "2"}, {4, "3"}},
       "  “主队(左选项)胜” （赔率：2.00）\n  “主队(左选项)负” （赔率：3.00）"},
      {Kind::correct_score,
       {offer(1, 1, "5"), offer(2, 2, "8"), offer(3, 11, "7")},
       {{1, "6"}, {2, "9"}, {11, "8"}},
       "  “1 : 0”（赔率：6.0）  “2 : 0”（赔率：9.0）\n  “0 : 0”（赔率：8.0）"},
      {Kind::odd_even,
       {offer(1, 1, "0.9"), offer(2, 2, "0.9")},
       {{1, "1.9"}, {2, "1.8"}},
       "  “单数”（赔率：1.90）\n  “双数” （赔率：1.80）"},
  };
  for (const auto& c : cases) {
    OpenMarket f(c.kind);
    f.offers(c.offers);
    for (const auto& [code, odds] : c.checked) f.check(code, odds);
    EXPECT_EQ(f.page.offer_list_text(), c.expected);
  }
}

TEST(OpenMarketPage, OpensWithTheConfirmationAnd3008ThenResets) {
  OpenMarket f(Kind::one_x_two);
  f.offers({offer(12, 1, "0.85"), offer(14, 4, "2")});
  f.check(1, "1.85");
  f.check(4, "3");
  f.page.set_stake_text("100");
  f.reply({"1|开盘成功|20260001"});
  EXPECT_EQ(f.page.open_now(), OpenMarketPage::Result::opened);
  ASSERT_EQ(f.confirmation.shown.size(), 1u);
  EXPECT_EQ(f.confirmation.shown[0].title, "胜平负盘开盘");
  EXPECT_EQ(f.confirmation.shown[0].text,
            "您将在 阿森纳 vs 切尔西 的比赛中开出如下盘口：\n\n  “主队(左选项)胜” （赔率：1.85）\n  "
            "“主队(左选项)负” "
            "（赔率：3.00）\n\n您的开盘彩金为 100 元。如果比赛结果符合所开盘口，您将输，否则赢。");
  EXPECT_EQ(f.paras().back(), "500|2|100|00000000120000000014|00008500002000");
  EXPECT_EQ(f.messages.texts.back(), "开盘成功\n您的开盘流水号为：20260001");
  EXPECT_EQ(f.page.stake_text(), "0");
  EXPECT_FALSE(f.page.options()[0].checked);
  EXPECT_EQ(f.page.options()[0].odds_text, "1.85");
}

TEST(OpenMarketPage, ResetKeepsOddEvenChecksAndAFailureKeepsEverything) {
  OpenMarket f(Kind::odd_even);
  f.offers({offer(1, 1, "0.9"), offer(2, 2, "0.9")});
  f.check(1, "1.9");
  f.page.set_stake_text("100");
  f.reply({"0|额度不足"});
  EXPECT_EQ(f.page.open_now(), OpenMarketPage::Result::failed);
  EXPECT_EQ(f.messages.texts.back(), "额度不足");
  EXPECT_EQ(f.page.stake_text(), "100");
  f.reply({"1|ok|9"});
  EXPECT_EQ(f.page.open_now(), OpenMarketPage::Result::opened);
  EXPECT_TRUE(f.page.options()[0].checked);
  EXPECT_EQ(f.page.stake_text(), "0");
  EXPECT_EQ(f.confirmation.shown.back().title, "篮球单双数开盘");
}

TEST(OpenMarketPage, CorrectScoreConfirmationIsPlainAndCancelSendsNothing) {
  OpenMarket f(Kind::correct_score);
  f.offers({offer(1, 1, "5")});
  f.check(1, "6");
  f.page.set_stake_text("100");
  f.confirmation.answer = false;
  const auto before = f.paras().size();
  EXPECT_EQ(f.page.open_now(), OpenMarketPage::Result::cancelled);
  EXPECT_EQ(f.paras().size(), before);
  EXPECT_EQ(f.confirmation.shown[0].font_size, 11);
  EXPECT_FALSE(f.confirmation.shown[0].bold);
  EXPECT_TRUE(f.page.options()[0].checked);
}

}  // namespace

namespace {

TEST(OpenMarketPage, ConfirmationWordingFollowsTheKind) {
  struct WordingCase {
    Kind kind;
    std::string offer;
    int code;
    std::string odds;
    std::string title;
    std::string start;
  };
  const std::vector<WordingCase> cases{
      {Kind::over_under, offer(1, 11, "0.9"), 11, "1.9", "大小球开盘",
       "您将对 阿森纳 vs 切尔西 的比赛中的全场总进球数开出如下盘口：\n\n  “2.5 大” "
       "（赔率：1.90）\n\n您的开盘彩金为 100 美元。"},
      {Kind::basketball_totals, offer(1, 701, "0.9"), 701, "1.9", "篮球大小分开盘",
       "您将对 阿森纳 vs 切尔西 的比赛中的全场总分数开出如下盘口：\n\n  “175 大” （赔率：1.90）\n\n"},
      {Kind::correct_score, offer(1, 26, "20"), 26, "21", "比分盘开盘",
       "您将在 阿森纳 vs 切尔西 的比赛中开出如下盘口：\n  “其它比分”（赔率：21.0）\n您的开盘彩金为 100 "
       "美元。"},
  };
  for (const auto& c : cases) {
    OpenMarket f(c.kind, 2);
    f.offers({c.offer});
    f.check(c.code, c.odds);
    f.page.set_stake_text("100");
    const auto request = f.page.confirmation();
    EXPECT_EQ(request.title, c.title);
    EXPECT_EQ(request.text.substr(0, c.start.size()), c.start);
  }
}

}  // namespace
