#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/notation/bet_choice.h"
#include "core/notation/chinese_numeral.h"
#include "core/notation/handicap_notation.h"
#include "core/notation/market_kind.h"
#include "core/notation/odds_text.h"
#include "core/notation/parlay_type.h"
#include "core/notation/price_balance.h"
#include "core/notation/result_name.h"
#include "core/notation/totals_notation.h"

namespace brindle::notation {
namespace {

constexpr int kFootball = 1;

TEST(HandicapName, GoalLinesAndTheirQuarterNeighbours) {
  const std::vector<std::pair<int, std::string>> cases = {
      {1, "平手"},
      {2, "平手/半球"},
      {3, "半球"},
      {4, "半球/一球"},
      {6, "一球/球半"},
      {11, "两球半"},
      {20, "四球半/五球"},
      {39, "九球半"},
      {40, "九球半/十球"},
      {41, "十球"},
      {0, ""},
      {42, ""},
      {-3, ""},
  };
  for (const auto& [code, name] : cases) EXPECT_EQ(handicap_name(kFootball, code), name) << code;
}

TEST(HandicapName, BasketballPointsInHalfSteps) {
  EXPECT_EQ(handicap_name(kBasketballLineKind, 1), "0.0");
  EXPECT_EQ(handicap_name(kBasketballLineKind, 2), "0.5");
  EXPECT_EQ(handicap_name(kBasketballLineKind, 8), "3.5");
  EXPECT_EQ(handicap_name(kBasketballLineKind, 60), "29.5");  // beyond the football range
  EXPECT_EQ(handicap_name(kBasketballLineKind, 0), "");
  EXPECT_EQ(handicap_name(kBasketballLineKind, -5), "");
}

TEST(TotalsNotation, AllFourQuartersWithAndWithoutSide) {
  const std::vector<std::tuple<int, std::string, std::string>> cases = {
      {9, "2", "2 大"},          {-10, "2/2.5", "2/2.5 小"}, {11, "2.5", "2.5 大"},
      {12, "2.5/3", "2.5/3 大"}, {1, "0", "0 大"},           {-2, "0/0.5", "0/0.5 小"},
      {-4, "0.5/1", "0.5/1 小"}, {203, "50.5", "50.5 大"},   {0, "", ""},
  };
  for (const auto& [code, line, with_side] : cases) {
    EXPECT_EQ(totals_line_text(code), line) << code;
    EXPECT_EQ(totals_text_with_side(code), with_side) << code;
  }
}

TEST(DisplayedOdds, NetPricePlusOneWithThreeDecimals) {
  EXPECT_EQ(displayed_odds(0.95), "1.950");
  EXPECT_EQ(displayed_odds(0.0), "1.000");
  EXPECT_EQ(displayed_odds(0.8756), "1.876");
  EXPECT_EQ(displayed_odds(12.5), "13.500");
}

TEST(ChineseNumeral, TensAndZeroRules) {
  const std::vector<std::pair<long long, std::string>> cases = {
      {0, "零"},
      {1, "一"},
      {2, "二"},
      {10, "十"},
      {11, "十一"},
      {15, "十五"},
      {19, "十九"},
      {20, "二十"},
      {99, "九十九"},
      {100, "一百"},
      {101, "一百零一"},
      {110, "一百一十"},
      {120, "一百二十"},
      {1001, "一千零一"},
      {1010, "一千零一十"},
      {4095, "四千零九十五"},
      {10010, "一万零一十"},
      {12345, "一万二千三百四十五"},
  };
  for (const auto& [n, text] : cases) EXPECT_EQ(chinese_numeral(n), text) << n;
}

// A section unit must not vanish when its own digit is zero: 100000 is not "一十".
TEST(ChineseNumeral, SectionUnitsSurviveAZeroDigit) {
  const std::vector<std::pair<long long, std::string>> cases = {
      {100000, "一十万"},        {105000, "一十万零五千"},
      {1000500, "一百万零五百"}, {10500000, "一千零五十万"},
      {100000001, "一亿零一"},   {100010000, "一亿零一万"},
      {2000000000, "二十亿"},    {9999999999, "九十九亿九千九百九十九万九千九百九十九"},
  };
  for (const auto& [n, text] : cases) EXPECT_EQ(chinese_numeral(n), text) << n;
}

TEST(ChineseNumeral, NoNotationOutsideTenDigits) {
  EXPECT_EQ(chinese_numeral(-1), "");
  EXPECT_EQ(chinese_numeral(10000000000LL), "");
}

TEST(BetChoice, OneXTwoOutcomeSets) {
  EXPECT_EQ(bet_choice_text(kKind1x2, 1, kFootball), "主队(左选项)胜");
  EXPECT_EQ(bet_choice_text(kKind1x2, 3, kFootball), "主队(左选项)胜或平");
  EXPECT_EQ(bet_choice_text(kKind1x2, 5, kFootball), "主队(左选项)胜或负");
  EXPECT_EQ(bet_choice_text(kKind1x2, 6, kFootball), "主队(左选项)平或负");
  EXPECT_EQ(bet_choice_text(kKind1x2, 0, kFootball), "");
  EXPECT_EQ(bet_choice_text(kKind1x2, 7, kFootball), "");
}

TEST(BetChoice, TotalsKindsShowLineAndSide) {
  for (const int kind : {kKindOverUnder, kKindBasketballTotals, kKindInPlayOverUnder}) {
    EXPECT_EQ(bet_choice_text(kind, -10, kFootball), "2/2.5 小") << kind;
    EXPECT_EQ(bet_choice_text(kind, 12, kBasketballLineKind), "2.5/3 大") << kind;
  }
}

TEST(BetChoice, CorrectScores) {
  EXPECT_EQ(bet_choice_text(kKindCorrectScore, 1, kFootball), "1 : 0");
  EXPECT_EQ(bet_choice_text(kKindCorrectScore, 10, kFootball), "4 : 3");
  EXPECT_EQ(bet_choice_text(kKindCorrectScore, 11, kFootball), "0 : 0");
  EXPECT_EQ(bet_choice_text(kKindCorrectScore, 15, kFootball), "4 : 4");
  EXPECT_EQ(bet_choice_text(kKindCorrectScore, 16, kFootball), "0 : 1");
  EXPECT_EQ(bet_choice_text(kKindCorrectScore, 25, kFootball), "3 : 4");
  EXPECT_EQ(bet_choice_text(kKindCorrectScore, 26, kFootball), "其它比分");
  EXPECT_EQ(bet_choice_text(kKindCorrectScore, 99, kFootball), "其它比分");
  EXPECT_EQ(bet_choice_text(kKindCorrectScore, 0, kFootball), "");
  // Every listed score is distinct and none has more than four goals a side.
  for (int a = 1; a <= 25; ++a) {
    const auto sa = correct_score_of_choice(a);
    ASSERT_TRUE(sa.has_value());
    EXPECT_LE(sa->home, 4);
    EXPECT_LE(sa->away, 4);
    for (int b = a + 1; b <= 25; ++b) {
      const auto sb = correct_score_of_choice(b);
      EXPECT_FALSE(sa->home == sb->home && sa->away == sb->away) << a << " " << b;
    }
  }
}

TEST(BetChoice, OddEvenAndUnknownKinds) {
  EXPECT_EQ(bet_choice_text(kKindBasketballOddEven, 1, kBasketballLineKind), "单数");
  EXPECT_EQ(bet_choice_text(kKindBasketballOddEven, 2, kBasketballLineKind), "双数");
  EXPECT_EQ(bet_choice_text(kKindBasketballOddEven, 0, kBasketballLineKind), "双数");
  EXPECT_EQ(bet_choice_text(kKindOutrightAndIndex, 1, kFootball), "");
  EXPECT_EQ(bet_choice_text(3, 1, kFootball), "");
}

TEST(BetChoice, HandicapChoicesDropTheThousandsAndMarkTheReceivingSide) {
  for (const int kind : {kKindAsianHandicap, kKindInPlayAsianHandicap}) {
    EXPECT_EQ(bet_choice_text(kind, -1003, kFootball), "受让半球") << kind;
    EXPECT_EQ(bet_choice_text(kind, 2006, kFootball), "一球/球半") << kind;
    EXPECT_EQ(bet_choice_text(kind, -2, kFootball), "受让平手/半球") << kind;
    EXPECT_EQ(bet_choice_text(kind, -1008, kBasketballLineKind), "受让3.5") << kind;
    EXPECT_EQ(bet_choice_text(kind, -1150, kBasketballLineKind), "受让74.5") << kind;  // hundreds are line
    EXPECT_EQ(bet_choice_text(kind, -1042, kFootball), "") << kind;  // no line, nothing to receive
  }
}

TEST(MarketKindName, EveryFlagAndNoOther) {
  const std::vector<std::pair<int, std::string>> cases = {
      {1, "胜平负盘"},
      {2, "大小球盘"},
      {4, "比分盘"},
      {8, "篮球大小分"},
      {16, "篮球单双数"},
      {32, "走地亚洲盘"},
      {64, "走地大小球"},
      {128, "总冠军/指数"},
      {256, "指数"},
      {4096, "让球(分)盘"},
      {0, ""},
      {3, ""},
      {512, ""},
  };
  for (const auto& [flag, name] : cases) EXPECT_EQ(market_kind_name(flag), name) << flag;
}

TEST(ResultName, OtherSideSwapsWinAndLose) {
  const std::vector<std::tuple<int, std::string, std::string>> cases = {
      {0, "平", "平"}, {1, "赢", "输"}, {2, "赢一半", "输一半"}, {3, "输", "赢"}, {4, "输一半", "赢一半"},
      {5, "", ""},     {-1, "", ""},
  };
  for (const auto& [code, own, other] : cases) {
    EXPECT_EQ(result_name(code, false), own) << code;
    EXPECT_EQ(result_name(code, true), other) << code;
  }
}

TEST(CombinationCount, SumsTheChosenBinomials) {
  EXPECT_EQ(combination_count(3, 6), 4);
  EXPECT_EQ(combination_count(3, 7), 7);
  EXPECT_EQ(combination_count(3, 1), 3);
  EXPECT_EQ(combination_count(3, 8), 0);  // quadruples of three matches do not exist
  EXPECT_EQ(combination_count(12, 0xFFF), 4095);
  EXPECT_EQ(combination_count(0, 1), 0);
  EXPECT_EQ(combination_count(-2, 1), 0);
}

// Past twelve matches the running product overflows 32 bits; the count must stay exact.
TEST(CombinationCount, ExactForLargeParlays) {
  EXPECT_EQ(combination_count(13, 1 << 5), 1716);
  EXPECT_EQ(combination_count(20, 1 << 9), 184756);
  EXPECT_EQ(combination_count(30, 0x3FFFFFFF), (1LL << 30) - 1);
  EXPECT_EQ(combination_count(60, 1 << 29), 118264581564861424LL);
}

TEST(ParlayTypeName, NamesAndAmbiguitySuffixes) {
  const std::vector<std::tuple<int, int, std::string>> cases = {
      {1, 0, "单式投注"},
      {1, 7, "单式投注"},
      {3, 6, "三串四"},
      {3, 7, "三串七"},
      {4, 14, "四串十一"},
      {5, 2, "五串十(对关)"},
      {5, 4, "五串十(三关)"},
      {6, 8, "六串十五(四关)"},
      {6, 2, "六串十五(对关)"},
      {5, 8, "五串五"},
      {10, 1023, "十串一千零二十三"},
      {0, 1, ""},
  };
  for (const auto& [n, mask, name] : cases) EXPECT_EQ(parlay_type_name(n, mask), name) << n << "/" << mask;
}

TEST(PriceBalance, ShiftsBothPricesToTheTarget) {
  auto balanced = balance_prices(190, 0.90, 0.90);
  EXPECT_NEAR(balanced.first, 0.95, 1e-9);
  EXPECT_NEAR(balanced.second, 0.95, 1e-9);

  balanced = balance_prices(190, 0.80, 1.00);
  EXPECT_NEAR(balanced.first + balanced.second, 1.90, 1e-9);
  EXPECT_NEAR(balanced.second - balanced.first, 0.20, 1e-9);

  balanced = balance_prices(180, 1.00, 1.00);  // a line above its target comes down
  EXPECT_NEAR(balanced.first, 0.90, 1e-9);
  EXPECT_NEAR(balanced.second, 0.90, 1e-9);
}

}  // namespace
}  // namespace brindle::notation
