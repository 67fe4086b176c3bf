// The paragraph a client shows before a bet promises, for every result, one of win, full refund,
// half refund, half win or lose. These tests read the paragraph the way a user does (sentence by
// sentence, by what its phrases mean) and check that the server settles every result as promised.

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/betting/asian_explanation.h"
#include "core/betting/basketball_explanation.h"
#include "core/betting/totals_explanation.h"
#include "server/betting/settlement.h"

namespace {

using brindle::notation::HandicapSide;
using brindle::server::betting::LineSide;
using brindle::server::betting::Outcome;
namespace bet = brindle::server::betting;

constexpr std::string_view kGiving = "红星队";
constexpr std::string_view kReceiving = "蓝天队";

// A closed range of one integer (a margin or a total, in the units the test works in).
struct Range {
  int low = INT_MIN;
  int high = INT_MAX;
  bool contains(int v) const { return v >= low && v <= high; }
};

// One sentence: the results it names (a disjunction of ranges, seen from `team`) and its promise.
struct Clause {
  std::string team;  // empty for totals
  std::vector<Range> results;
  Outcome promise = Outcome::kLose;
};

const char* name(Outcome o) {
  switch (o) {
    case Outcome::kWin:
      return "win";
    case Outcome::kHalfWin:
      return "half win";
    case Outcome::kPush:
      return "full refund";
    case Outcome::kHalfLose:
      return "half refund";
    case Outcome::kLose:
      return "lose";
    case Outcome::kCancelled:
      return "cancelled";
  }
  return "?";
}

bool take(std::string_view& text, std::string_view prefix) {
  if (!text.starts_with(prefix)) return false;
  text.remove_prefix(prefix.size());
  return true;
}

// What the consequence of a sentence gives back to the user.
std::optional<Outcome> promise_of(std::string_view consequence) {
  if (consequence.starts_with("则您赢回本金")) return Outcome::kWin;
  if (consequence == "则我们将退回全部注码") return Outcome::kPush;
  if (consequence == "则我们将退回一半注码") return Outcome::kHalfLose;
  if (consequence == "则您将输掉整个注码") return Outcome::kLose;
  // Half the stake paid at odds plus the rest back, worded two ways.
  if (consequence.starts_with("则将一半注码乘以") &&
      (consequence.ends_with("和另一半注码退还给您") || consequence.ends_with("和全部注码退还给您"))) {
    return Outcome::kHalfWin;
  }
  return std::nullopt;
}

// Cuts the paragraph into (condition, consequence) pairs: a consequence starts at "则" and ends at
// the full stop; the condition is what comes before it, without its trailing punctuation.
std::vector<std::pair<std::string, std::string>> sentences(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> out;
  while (!text.empty()) {
    const auto then = text.find("则");
    if (then == std::string_view::npos) break;
    std::string_view condition = text.substr(0, then);
    for (std::string_view mark : {"，", "。"}) {
      if (condition.ends_with(mark)) condition.remove_suffix(mark.size());
    }
    const auto stop = text.find("。", then);
    const std::string_view consequence =
        text.substr(then, stop == std::string_view::npos ? text.npos : stop - then);
    out.emplace_back(std::string(condition), std::string(consequence));
    text.remove_prefix(stop == std::string_view::npos ? text.size() : stop + std::string_view("。").size());
  }
  return out;
}

// A Chinese numeral up to 99 at the front of text.
std::optional<int> take_numeral(std::string_view& text) {
  static const std::vector<std::string_view> digits = {"零", "一", "二", "三", "四",
                                                       "五", "六", "七", "八", "九"};
  auto digit = [&](std::string_view& t) -> std::optional<int> {
    for (std::size_t i = 0; i < digits.size(); ++i) {
      if (take(t, digits[i])) return static_cast<int>(i);
    }
    return std::nullopt;
  };
  std::string_view t = text;
  std::optional<int> value;
  if (auto d = digit(t)) {
    value = *d;
    if (take(t, "十")) {
      value = *d * 10;
      if (auto units = digit(t)) *value += *units;
    }
  } else if (take(t, "十")) {
    value = 10;
    if (auto units = digit(t)) *value += *units;
  }
  if (value) text = t;
  return value;
}

// A decimal number with at most one decimal at the front of text, in halves (3.5 -> 7).
std::optional<int> take_halves(std::string_view& text) {
  std::size_t i = 0;
  int whole = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') whole = whole * 10 + (text[i++] - '0');
  if (i == 0) return std::nullopt;
  int halves = whole * 2;
  if (i + 1 < text.size() && text[i] == '.' && (text[i + 1] == '0' || text[i + 1] == '5')) {
    if (text[i + 1] == '5') halves += 1;
    i += 2;
  }
  text.remove_prefix(i);
  return halves;
}

// The goal-margin phrases, seen from the team they name; N is a Chinese numeral, the same N when
// it appears twice. Longer phrases come first so that the "或" inside them is not taken as a join.
struct MarginPhrase {
  std::vector<std::string_view> pieces;  // literal pieces around the numerals
  Range (*range)(int);
};

const std::vector<MarginPhrase>& goal_phrases() {
  static const std::vector<MarginPhrase> phrases = {
      {{"以", "个或", "个以上净胜球赢得比赛"},
       [](int n) {
         return Range{n, INT_MAX};
       }},
      {{"以", "个或以下净胜球赢得比赛"},
       [](int n) {
         return Range{1, n};
       }},
      {{"以", "个净胜球或以下赢得比赛"},
       [](int n) {
         return Range{1, n};
       }},
      {{"以", "个净胜球赢得比赛"},
       [](int n) {
         return Range{n, n};
       }},
      {{"以", "球或以下之差输掉比赛"},
       [](int n) {
         return Range{-n, -1};
       }},
      {{"以", "球之差输掉比赛"},
       [](int n) {
         return Range{-n, -n};
       }},
      {{"输掉", "球或", "球以上"},
       [](int n) {
         return Range{INT_MIN, -n};
       }},
      {{"输掉", "球或以上"},
       [](int n) {
         return Range{INT_MIN, -n};
       }},
      {{"输", "球或以上"},
       [](int n) {
         return Range{INT_MIN, -n};
       }},
      {{"赢得比赛"},
       [](int) {
         return Range{1, INT_MAX};
       }},
      {{"打成平局"},
       [](int) {
         return Range{0, 0};
       }},
      {{"输掉比赛"},
       [](int) {
         return Range{INT_MIN, -1};
       }},
  };
  return phrases;
}

// Basketball margins in half points: "以上"/"以下" alone are strict, the exact margin has its own
// sentence.
const std::vector<MarginPhrase>& point_phrases() {
  static const std::vector<MarginPhrase> phrases = {
      {{"以", "分以上赢得比赛"},
       [](int x) {
         return Range{x + 1, INT_MAX};
       }},
      {{"以", "分以下赢得比赛"},
       [](int x) {
         return Range{2, x - 1};
       }},
      {{"以", "分赢得比赛"},
       [](int x) {
         return Range{x, x};
       }},
      {{"以", "分以上输掉比赛"},
       [](int x) {
         return Range{INT_MIN, -x - 1};
       }},
      {{"以", "分以下输掉比赛"},
       [](int x) {
         return Range{-x + 1, -2};
       }},
      {{"以", "分输掉比赛"},
       [](int x) {
         return Range{-x, -x};
       }},
      {{"赢得比赛"},
       [](int) {
         return Range{2, INT_MAX};
       }},
      {{"输掉比赛"},
       [](int) {
         return Range{INT_MIN, -2};
       }},
  };
  return phrases;
}

using NumberReader = std::optional<int> (*)(std::string_view&);

std::optional<Range> take_phrase(std::string_view& text, const MarginPhrase& phrase, NumberReader number) {
  std::string_view t = text;
  std::optional<int> n;
  for (std::size_t i = 0; i < phrase.pieces.size(); ++i) {
    if (!take(t, phrase.pieces[i])) return std::nullopt;
    if (i + 1 == phrase.pieces.size()) break;
    const auto value = number(t);
    if (!value || (n && *n != *value)) return std::nullopt;
    n = value;
  }
  text = t;
  return phrase.range(n.value_or(0));
}

// Phrases joined by "或", tried with backtracking so a join is only where a whole phrase ends.
bool take_disjunction(std::string_view text, const std::vector<MarginPhrase>& phrases, NumberReader number,
                      std::vector<Range>& out) {
  for (const auto& phrase : phrases) {
    std::string_view rest = text;
    const auto range = take_phrase(rest, phrase, number);
    if (!range) continue;
    std::vector<Range> tail;
    if (rest.empty() || (take(rest, "或") && take_disjunction(rest, phrases, number, tail))) {
      out.push_back(*range);
      out.insert(out.end(), tail.begin(), tail.end());
      return true;
    }
  }
  return false;
}

// "如果 TEAM phrase或phrase..." after an optional "您将投注于 TEAM: ".
std::optional<Clause> margin_clause(std::string_view condition, const std::vector<MarginPhrase>& phrases,
                                    NumberReader number) {
  if (take(condition, "您将投注于 ")) {
    const auto colon = condition.find(": ");
    if (colon == std::string_view::npos) return std::nullopt;
    condition.remove_prefix(colon + 2);
  }
  if (!take(condition, "如果 ")) return std::nullopt;
  Clause clause;
  for (std::string_view team : {kGiving, kReceiving}) {
    if (take(condition, team)) {
      clause.team = std::string(team);
      break;
    }
  }
  if (clause.team.empty() || !take(condition, " ")) return std::nullopt;
  if (!take_disjunction(condition, phrases, number, clause.results)) return std::nullopt;
  return clause;
}

// "[全场入球总数|全场得分总数]如果 comparator[或comparator] N[ 个]" on the total.
std::optional<Clause> totals_clause(std::string_view condition) {
  if (!take(condition, "全场入球总数")) (void)take(condition, "全场得分总数");
  if (!take(condition, "如果")) return std::nullopt;
  std::vector<int> comparators;  // -1 below, 0 equal, 1 above
  while (true) {
    if (take(condition, "超过"))
      comparators.push_back(1);
    else if (take(condition, "等于"))
      comparators.push_back(0);
    else if (take(condition, "小于") || take(condition, "少于"))
      comparators.push_back(-1);
    else
      return std::nullopt;
    if (!take(condition, "或")) break;
  }
  if (!take(condition, " ")) return std::nullopt;
  const auto halves = take_halves(condition);
  if (!halves || *halves % 2 != 0) return std::nullopt;
  (void)take(condition, " 个");
  if (!condition.empty()) return std::nullopt;
  const int n = *halves / 2;
  Clause clause;
  for (int c : comparators) {
    if (c > 0) clause.results.push_back({n + 1, INT_MAX});
    if (c == 0) clause.results.push_back({n, n});
    if (c < 0) clause.results.push_back({INT_MIN, n - 1});
  }
  return clause;
}

template <typename ClauseReader>
std::vector<Clause> read_paragraph(const std::string& paragraph, ClauseReader reader) {
  std::vector<Clause> clauses;
  for (const auto& [condition, consequence] : sentences(paragraph)) {
    auto clause = reader(condition);
    const auto promise = promise_of(consequence);
    EXPECT_TRUE(clause.has_value()) << "unreadable condition: " << condition << "\nin: " << paragraph;
    EXPECT_TRUE(promise.has_value()) << "unreadable consequence: " << consequence << "\nin: " << paragraph;
    if (!clause || !promise) return {};
    clause->promise = *promise;
    clauses.push_back(std::move(*clause));
  }
  return clauses;
}

// The promises of every sentence whose results include this one; `giving_margin` is seen from the
// giving team and turned around for sentences about the other team.
std::vector<Outcome> promised(const std::vector<Clause>& clauses, int giving_margin) {
  std::vector<Outcome> out;
  for (const auto& clause : clauses) {
    const int seen = clause.team == kReceiving ? -giving_margin : giving_margin;
    for (const auto& range : clause.results) {
      if (range.contains(seen)) {
        out.push_back(clause.promise);
        break;
      }
    }
  }
  return out;
}

LineSide line_side(HandicapSide side) {
  return side == HandicapSide::kGiving ? LineSide::kGiving : LineSide::kReceiving;
}

TEST(ExplanationSettlement, GoalHandicapParagraphsPromiseWhatIsSettled) {
  for (int code = 1; code <= 41; ++code) {
    for (HandicapSide side : {HandicapSide::kGiving, HandicapSide::kReceiving}) {
      const auto paragraph =
          brindle::betting::asian_handicap_explanation(code, kGiving, kReceiving, 0.95, side);
      const auto clauses = read_paragraph(
          paragraph, [](std::string_view c) { return margin_clause(c, goal_phrases(), take_numeral); });
      ASSERT_FALSE(clauses.empty()) << paragraph;
      for (int margin = -12; margin <= 12; ++margin) {
        const auto promises = promised(clauses, margin);
        ASSERT_EQ(promises.size(), 1U) << "code " << code << " margin " << margin << ": " << paragraph;
        EXPECT_EQ(name(promises[0]),
                  std::string(name(bet::settle_goal_handicap(code, line_side(side), margin))))
            << "code " << code << (side == HandicapSide::kGiving ? " giving" : " receiving") << " margin "
            << margin << ": " << paragraph;
      }
    }
  }
}

TEST(ExplanationSettlement, PointHandicapParagraphsPromiseWhatIsSettled) {
  for (int code = 1; code <= 81; ++code) {
    for (HandicapSide side : {HandicapSide::kGiving, HandicapSide::kReceiving}) {
      const auto paragraph =
          brindle::betting::basketball_handicap_explanation(code, kGiving, kReceiving, 0.9, side);
      const auto clauses = read_paragraph(
          paragraph, [](std::string_view c) { return margin_clause(c, point_phrases(), take_halves); });
      ASSERT_FALSE(clauses.empty()) << paragraph;
      for (int margin = -45; margin <= 45; ++margin) {
        const auto promises = promised(clauses, 2 * margin);
        // A basketball game is played to a winner: a tie is only spoken of on a level line.
        if (margin == 0 && promises.empty()) continue;
        ASSERT_EQ(promises.size(), 1U) << "code " << code << " margin " << margin << ": " << paragraph;
        EXPECT_EQ(name(promises[0]),
                  std::string(name(bet::settle_point_handicap(code, line_side(side), margin))))
            << "code " << code << " margin " << margin << ": " << paragraph;
      }
    }
  }
}

void check_totals(int code, int line_kind, int lowest, int highest) {
  const auto paragraph = brindle::betting::totals_explanation(code, line_kind, 0.85);
  const auto clauses = read_paragraph(paragraph, totals_clause);
  ASSERT_FALSE(clauses.empty()) << paragraph;
  for (int total = lowest; total <= highest; ++total) {
    const auto promises = promised(clauses, total);
    ASSERT_EQ(promises.size(), 1U) << "code " << code << " total " << total << ": " << paragraph;
    EXPECT_EQ(name(promises[0]), std::string(name(bet::settle_totals(code, total))))
        << "code " << code << " total " << total << ": " << paragraph;
  }
}

TEST(ExplanationSettlement, GoalTotalsParagraphsPromiseWhatIsSettled) {
  for (int magnitude = 1; magnitude <= 41; ++magnitude) {
    check_totals(magnitude, 0, 0, 15);
    check_totals(-magnitude, 0, 0, 15);
  }
}

TEST(ExplanationSettlement, PointTotalsParagraphsPromiseWhatIsSettled) {
  for (int magnitude = 4 * 150 + 1; magnitude <= 4 * 250 + 4; ++magnitude) {
    const int line = (magnitude - 1) / 4;
    check_totals(magnitude, bet::kBasketballLineKind, line - 3, line + 3);
    check_totals(-magnitude, bet::kBasketballLineKind, line - 3, line + 3);
  }
}

// The reader itself must refuse wording it does not understand, or a changed template would pass.
TEST(ExplanationSettlement, ReaderRefusesUnknownWording) {
  EXPECT_FALSE(margin_clause("如果 红星队 以二个净胜球取胜", goal_phrases(), take_numeral).has_value());
  EXPECT_FALSE(margin_clause("如果 黑马队 打成平局", goal_phrases(), take_numeral).has_value());
  EXPECT_FALSE(totals_clause("全场入球总数如果接近 2 个").has_value());
  EXPECT_FALSE(promise_of("则您将获得奖励").has_value());
  const auto clause = margin_clause("如果 蓝天队 赢得比赛或打成平局或以十二球或以下之差输掉比赛",
                                    goal_phrases(), take_numeral);
  ASSERT_TRUE(clause.has_value());
  ASSERT_EQ(clause->results.size(), 3U);
  EXPECT_EQ(clause->results[2].low, -12);
}

}  // namespace
