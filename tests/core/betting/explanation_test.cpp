#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/betting/asian_explanation.h"
#include "core/betting/basketball_explanation.h"
#include "core/betting/totals_explanation.h"
#include "core/notation/handicap_notation.h"
#include "wire/gbk.h"

namespace brindle::betting {
namespace {

using namespace notation;

constexpr HandicapSide kA = HandicapSide::kGiving;
constexpr HandicapSide kB = HandicapSide::kReceiving;
constexpr int kFootball = 1;

std::string asian(int code, HandicapSide side, double price = 0.95) {
  return asian_handicap_explanation(code, "甲", "乙", price, side);
}

// The service's paragraph, byte for byte as it goes out in GBK.
TEST(AsianExplanation, WorkedExampleInGbk) {
  const std::string expected_gbk =
      "\xc4\xfa\xbd\xab\xcd\xb6\xd7\xa2\xd3\xda\x20\xbc\xd7\x3a\x20\xc8\xe7\xb9\xfb\x20\xbc\xd7\x20\xd2\xd4"
      "\xb6\xfe\xb8\xf6\xbb\xf2\xb6\xfe\xb8\xf6\xd2\xd4\xc9\xcf\xbe\xbb\xca\xa4\xc7\xf2\xd3\xae\xb5\xc3\xb1"
      "\xc8\xc8\xfc\xa3\xac\xd4\xf2\xc4\xfa\xd3\xae\xbb\xd8\xb1\xbe\xbd\xf0\xba\xcd\xc5\xe2\xc2\xca\xce\xaa"
      "\x20\x30\x2e\x39\x35\x30\xb5\xc4\xb2\xca\xbd\xf0\xa1\xa3\xc8\xe7\xb9\xfb\x20\xbc\xd7\x20\xd2\xd4\xd2"
      "\xbb\xb8\xf6\xbe\xbb\xca\xa4\xc7\xf2\xd3\xae\xb5\xc3\xb1\xc8\xc8\xfc\xa3\xac\xd4\xf2\xce\xd2\xc3\xc7"
      "\xbd\xab\xcd\xcb\xbb\xd8\xd2\xbb\xb0\xeb\xd7\xa2\xc2\xeb\xa1\xa3\xc8\xe7\xb9\xfb\x20\xd2\xd2\x20\xd3"
      "\xae\xb5\xc3\xb1\xc8\xc8\xfc\xbb\xf2\xb4\xf2\xb3\xc9\xc6\xbd\xbe\xd6\xa3\xac\xd4\xf2\xc4\xfa\xbd\xab"
      "\xca\xe4\xb5\xf4\xd5\xfb\xb8\xf6\xd7\xa2\xc2\xeb\xa1\xa3";
  bool unmappable = false;
  EXPECT_EQ(wire::utf8_to_gbk(asian(6, kA), &unmappable), expected_gbk);
  EXPECT_FALSE(unmappable);
}

TEST(AsianExplanation, FullParagraphs) {
  struct Case {
    int code;
    HandicapSide side;
    double price;
    std::string text;
  };
  const std::vector<Case> cases = {
      {1, kA, 0.95,
       "您将投注于 甲: 如果 甲 以一个或一个以上净胜球赢得比赛，则您赢回本金和赔率为 0.950的彩金。如果 甲 "
       "打成平局，则我们将退回全部注码。如果 乙 赢得比赛，则您将输掉整个注码。"},
      {2, kB, 0.85,
       "您将投注于 乙: 如果 乙 以一个或一个以上净胜球赢得比赛，则您赢回本金和赔率为 0.850的彩金。如果 乙 "
       "打成平局，则将一半注码乘以 1.850，和另一半注码退还给您。如果 乙 "
       "输掉一球或以上，则您将输掉整个注码。"},
      {3, kA, 0.95,
       "您将投注于 甲: 如果 甲 以一个或一个以上净胜球赢得比赛，则您赢回本金和赔率为 0.950的彩金。如果 甲 "
       "打成平局或输掉比赛，则您将输掉整个注码。"},
      {7, kB, 0.95,
       "您将投注于 乙: 如果 甲 以一个净胜球赢得比赛或打成平局或输掉比赛，则您赢回本金和赔率为 "
       "0.950的彩金。如果 甲 以二个或二个以上净胜球赢得比赛，则您将输掉整个注码。"},
      {10, kB, 0.95,
       "您将投注于 乙: 如果 乙 赢得比赛或打成平局或以一球之差输掉比赛，则您赢回本金和赔率为 "
       "0.950的彩金。如果 乙 以二球之差输掉比赛，则将一半注码乘以 1.950，和另一半注码退还给您。如果 乙 "
       "输掉三球或以上，则您将输掉整个注码。"},
      {24, kA, 0.95,
       "您将投注于 甲: 如果 甲 以七个或七个以上净胜球赢得比赛，则您赢回本金和赔率为 0.950的彩金。如果 甲 "
       "以六个净胜球赢得比赛，则将一半注码乘以 1.950，和另一半注码退还给您。如果 乙 "
       "以五球或以下之差输掉比赛或打成平局或赢得比赛，则您将输掉整个注码。"},
      {24, kB, 0.95,
       "您将投注于 乙: 如果 乙 以五球或以下之差输掉比赛或打成平局或赢得比赛，则您赢回本金和赔率为 "
       "0.950的彩金。如果 乙 以六球之差输掉比赛，则我们将退回一半注码。如果 乙 "
       "输掉七球或七球以上，则您将输掉整个注码。"},
  };
  for (const auto& c : cases) EXPECT_EQ(asian(c.code, c.side, c.price), c.text) << c.code;
}

// Each outcome phrase ends where the paragraph says what happens to the stake.
TEST(AsianExplanation, PhrasesByLineAndMargin) {
  struct Case {
    int code;
    HandicapSide side;
    std::string phrase;
  };
  const std::vector<Case> cases = {
      // whole lines
      {5, kA, "如果 甲 打成平局或输掉比赛，"},
      {9, kA, "如果 甲 以一个净胜球赢得比赛或打成平局或输掉比赛，"},
      {41, kA, "如果 甲 以十一个或十一个以上净胜球赢得比赛，"},
      {41, kA, "如果 甲 以十个净胜球赢得比赛，"},
      {41, kA, "如果 甲 以九个或以下净胜球赢得比赛或打成平局或输掉比赛，"},
      {1, kB, "如果 乙 以一个或一个以上净胜球赢得比赛，"},
      {1, kB, "如果 乙 输一球或以上，"},
      {5, kB, "如果 乙 赢得比赛或打成平局，"},
      {13, kB, "如果 乙 赢得比赛或打成平局或以二球或以下之差输掉比赛，"},
      {13, kB, "如果 乙 以三球之差输掉比赛，"},
      {13, kB, "如果 乙 输四球或以上，"},
      // x.25 lines
      {2, kA, "如果 甲 打成平局，则我们将退回一半注码"},
      {2, kA, "如果 乙 赢得比赛，则您将输掉整个注码"},
      {10, kA, "如果 乙 赢得比赛或打成平局或以一球之差输掉比赛，"},
      {14, kA, "如果 乙 赢得比赛或打成平局或以二球或以下之差输掉比赛，"},
      {6, kB, "如果 乙 赢得比赛或打成平局，"},
      // half-goal lines
      {11, kA, "如果 甲 以二个净胜球或以下赢得比赛或打成平局或输掉比赛，"},
      {15, kA, "如果 甲 以三个净胜球或以下赢得比赛或打成平局或输掉比赛，"},
      {15, kB, "如果 甲 以三个或以下净胜球赢得比赛或打成平局或输掉比赛，"},
      {15, kB, "如果 甲 以四个或四个以上净胜球赢得比赛，则您将输掉整个注码"},
      // x.75 lines
      {4, kA, "如果 乙 打成平局或赢得比赛，则您将输掉整个注码"},
      {8, kB, "如果 乙 以一球之差输掉比赛或打成平局或赢得比赛，则您赢回"},
      {4, kB, "如果 乙 输掉二球或二球以上，"},
  };
  for (const auto& c : cases) {
    const std::string text = asian(c.code, c.side);
    EXPECT_NE(text.find(c.phrase), std::string::npos) << c.code << ": " << text;
  }
}

// Every line and side: the chosen team comes first, the template follows the line's class, and the
// paragraph is representable in GBK.
TEST(AsianExplanation, EveryCodeAndSide) {
  for (int code = kLowestHandicapCode; code <= kHighestHandicapCode; ++code) {
    for (const HandicapSide side : {kA, kB}) {
      const std::string text = asian(code, side, 0.5);
      const std::string chosen = side == kA ? "甲" : "乙";
      SCOPED_TRACE(std::to_string(code) + (side == kA ? " A" : " B"));
      EXPECT_EQ(text.rfind("您将投注于 " + chosen + ": 如果 ", 0), 0U);
      EXPECT_NE(text.find("赔率为 0.500的彩金。"), std::string::npos);
      const bool full_refund = code % 4 == 1;
      const bool half_win = (code % 4 == 2 && side == kB) || (code % 4 == 0 && side == kA);
      const bool half_refund = (code % 4 == 2 && side == kA) || (code % 4 == 0 && side == kB);
      EXPECT_EQ(text.find("退回全部注码") != std::string::npos, full_refund);
      EXPECT_EQ(text.find("乘以 1.500，和另一半注码退还给您") != std::string::npos, half_win);
      EXPECT_EQ(text.find("退回一半注码") != std::string::npos, half_refund);
      EXPECT_NE(text.find("，则您将输掉整个注码。"), std::string::npos);
      bool unmappable = false;
      (void)wire::utf8_to_gbk(text, &unmappable);
      EXPECT_FALSE(unmappable);
    }
  }
}

TEST(AsianExplanation, NoTextOffTheTable) {
  for (const int code : {0, -1, 42, 1000}) {
    EXPECT_EQ(asian(code, kA), "") << code;
    EXPECT_EQ(asian(code, kB), "") << code;
  }
}

TEST(BasketballExplanation, WholeAndHalfPointLines) {
  auto text = [](int code, HandicapSide side) {
    return basketball_handicap_explanation(code, "甲", "乙", 0.9, side);
  };
  EXPECT_EQ(text(7, kA),
            "您将投注于 甲: 如果 甲 以3分以上赢得比赛，则您赢回本金和赔率为 0.900的彩金。如果 甲 "
            "以3分以下赢得比赛或输掉比赛，则您将输掉整个注码。如果 甲 以3分赢得比赛，则我们将退回全部注码。");
  EXPECT_EQ(text(7, kB),
            "您将投注于 乙: 如果 乙 赢得比赛或以3分以下输掉比赛，则您赢回本金和赔率为 0.900的彩金。如果 乙 "
            "以3分以上输掉比赛，则您将输掉整个注码。如果 乙 以3分输掉比赛，则我们将退回全部注码。");
  EXPECT_EQ(text(8, kA),
            "您将投注于 甲: 如果 甲 以3.5分以上赢得比赛，则您赢回本金和赔率为 0.900的彩金。如果 甲 "
            "以3.5分以下赢得比赛或输掉比赛，则您将输掉整个注码。");
  EXPECT_EQ(text(8, kB),
            "您将投注于 乙: 如果 乙 赢得比赛或以3.5分以下输掉比赛，则您赢回本金和赔率为 0.900的彩金。如果 乙 "
            "以3.5分以上输掉比赛，则您将输掉整个注码。");
  EXPECT_NE(text(1, kA).find("如果 甲 以0分赢得比赛，则我们将退回全部注码。"), std::string::npos);
  EXPECT_NE(text(2, kB).find("以0.5分以上输掉比赛"), std::string::npos);
  EXPECT_EQ(text(0, kA), "");
  EXPECT_EQ(text(-3, kB), "");
}

TEST(TotalsExplanation, GoalsWordingForEveryQuarter) {
  const std::vector<std::pair<int, std::string>> cases = {
      {9,
       "全场入球总数如果超过 2 个。则您赢回本金和赔率为 0.900 的彩金。如果等于 2 个，则我们将退回全部注码。"
       "如果小于 2 个，则您将输掉整个注码。"},
      {10,
       "全场入球总数如果超过 2 个。则您赢回本金和赔率为 0.900 的彩金。如果等于 2 个，则我们将退回一半注码。"
       "如果小于 2 个，则您将输掉整个注码。"},
      {-10,
       "全场入球总数如果少于 2 个。则您赢回本金和赔率为 0.900 的彩金。如果等于 2 "
       "个，则将一半注码乘以 0.900，和全部注码退还给您。如果超过 2 个，则您将输掉整个注码。"},
      {11,
       "全场入球总数如果超过 2 个。则您赢回本金和赔率为 0.900 的彩金。如果等于或小于 2 "
       "个，则您将输掉整个注码。"},
      {-11,
       "全场入球总数如果少于 3 个。则您赢回本金和赔率为 0.900 的彩金。如果等于或超过 3 "
       "个，则您将输掉整个注码。"},
      {12,
       "全场入球总数如果超过 3 个。则您赢回本金和赔率为 0.900 的彩金。如果等于 3 "
       "个，则将一半注码乘以 0.900，和全部注码退还给您。如果小于 3 个，则您将输掉整个注码。"},
      {-12,
       "全场入球总数如果少于 3 个。则您赢回本金和赔率为 0.900 的彩金。如果等于 3 个，则我们将退回一半注码。"
       "如果超过 3 个，则您将输掉整个注码。"},
  };
  for (const auto& [code, text] : cases) EXPECT_EQ(totals_explanation(code, kFootball, 0.9), text) << code;
}

TEST(TotalsExplanation, PointsWordingForBasketball) {
  EXPECT_EQ(totals_explanation(-651, kBasketballLineKind, 0.9),
            "全场得分总数如果少于 163。则您赢回本金和赔率为 0.900 的彩金。如果等于或超过 "
            "163，则您将输掉整个注码。");
  EXPECT_EQ(totals_explanation(649, kBasketballLineKind, 0.9),
            "全场得分总数如果超过 162。则您赢回本金和赔率为 0.900 的彩金。如果等于 "
            "162，则我们将退回全部注码。如果小于 162，则您将输掉整个注码。");
}

TEST(TotalsExplanation, EveryCodeHasASideAndNoLineHasNone) {
  EXPECT_EQ(totals_explanation(0, kFootball, 0.9), "");
  EXPECT_EQ(totals_explanation(0, kBasketballLineKind, 0.9), "");
  for (int code = -60; code <= 60; ++code) {
    if (code == 0) continue;
    for (const int kind : {kFootball, kBasketballLineKind}) {
      const std::string text = totals_explanation(code, kind, 0.9);
      const std::string opening =
          std::string(kind == kBasketballLineKind ? "全场得分总数如果" : "全场入球总数如果") +
          (code > 0 ? "超过 " : "少于 ");
      EXPECT_EQ(text.rfind(opening, 0), 0U) << code << " " << text;
      bool unmappable = false;
      (void)wire::utf8_to_gbk(text, &unmappable);
      EXPECT_FALSE(unmappable) << code;
    }
  }
}

}  // namespace
}  // namespace brindle::betting
