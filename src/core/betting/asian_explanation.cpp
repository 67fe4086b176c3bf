#include "core/betting/asian_explanation.h"

#include "core/betting/phrase_format.h"
#include "core/notation/chinese_numeral.h"
#include "core/notation/handicap_notation.h"

namespace brindle::betting {

namespace {

// Paragraph templates: chosen team, win phrase, price, then the phrases of the other outcomes.
constexpr std::string_view kFullRefund =
    "您将投注于 %s: %s，则您赢回本金和赔率为 %.3f的彩金。%s，则我们将退回全部注码。%s，则您将输掉整个注码。";
constexpr std::string_view kHalfRefund =
    "您将投注于 %s: %s，则您赢回本金和赔率为 %.3f的彩金。%s，则我们将退回一半注码。%s，则您将输掉整个注码。";
constexpr std::string_view kHalfWin =
    "您将投注于 %s: %s，则您赢回本金和赔率为 %.3f的彩金。%s，则将一半注码乘以 "
    "%.3f，和另一半注码退还给您。%s，则您将输掉整个注码。";
constexpr std::string_view kNoDraw =
    "您将投注于 %s: %s，则您赢回本金和赔率为 %.3f的彩金。%s，则您将输掉整个注码。";

constexpr std::string_view kWinsByAtLeast = "如果 %s 以%s个或%s个以上净胜球赢得比赛";
constexpr std::string_view kWinsByExactly = "如果 %s 以%s个净胜球赢得比赛";
constexpr std::string_view kDraws = "如果 %s 打成平局";
constexpr std::string_view kWins = "如果 %s 赢得比赛";
constexpr std::string_view kLosesByExactly = "如果 %s 以%s球之差输掉比赛";
constexpr std::string_view kTeamPrefix = "如果 %s ";
constexpr std::string_view kDrawsOrLoses = "打成平局或输掉比赛";

std::string numeral(int value) { return notation::chinese_numeral(value); }

// The receiving team wins, draws, or loses by less than the line (whole and x.25 lines, c >= 2).
std::string receiving_holds(std::string_view team, int c) {
  std::string phrase = fill_phrase("如果 %s 赢得比赛或打成平局", {team});
  if (c == 3) phrase += fill_phrase("或以%s球之差输掉比赛", {numeral(1)});
  if (c >= 4) phrase += fill_phrase("或以%s球或以下之差输掉比赛", {numeral(c - 2)});
  return phrase;
}

// The receiving team wins, draws, or loses by at most c - 2 (x.75 lines, c >= 2).
std::string receiving_holds_quarter(std::string_view team, int c) {
  if (c == 2) return fill_phrase("如果 %s 打成平局或赢得比赛", {team});
  if (c == 3) return fill_phrase("如果 %s 以%s球之差输掉比赛或打成平局或赢得比赛", {team, numeral(1)});
  return fill_phrase("如果 %s 以%s球或以下之差输掉比赛或打成平局或赢得比赛", {team, numeral(c - 2)});
}

std::string whole_line(int c, std::string_view a, std::string_view b, double price,
                       notation::HandicapSide side) {
  if (side == notation::HandicapSide::kGiving) {
    std::string lose;
    if (c == 1) {
      lose = fill_phrase(kWins, {b});
    } else {
      lose = fill_phrase(kTeamPrefix, {a});
      if (c == 3) lose += fill_phrase("以%s个净胜球赢得比赛或", {numeral(1)});
      if (c >= 4) lose += fill_phrase("以%s个或以下净胜球赢得比赛或", {numeral(c - 2)});
      lose += kDrawsOrLoses;
    }
    const std::string refund =
        c == 1 ? fill_phrase(kDraws, {a}) : fill_phrase(kWinsByExactly, {a, numeral(c - 1)});
    return fill_phrase(kFullRefund,
                       {a, fill_phrase(kWinsByAtLeast, {a, numeral(c), numeral(c)}), price, refund, lose});
  }
  const std::string win =
      c == 1 ? fill_phrase(kWinsByAtLeast, {b, numeral(1), numeral(1)}) : receiving_holds(b, c);
  const std::string refund =
      c == 1 ? fill_phrase(kDraws, {b}) : fill_phrase(kLosesByExactly, {b, numeral(c - 1)});
  const std::string lose = fill_phrase("如果 %s 输%s球或以上", {b, numeral(c)});
  return fill_phrase(kFullRefund, {b, win, price, refund, lose});
}

std::string quarter_line(int c, std::string_view a, std::string_view b, double price,
                         notation::HandicapSide side) {
  if (side == notation::HandicapSide::kGiving) {
    const std::string half =
        c == 1 ? fill_phrase(kDraws, {a}) : fill_phrase(kWinsByExactly, {a, numeral(c - 1)});
    std::string lose = fill_phrase(kWins, {b});
    if (c == 2) lose += "或打成平局";
    if (c == 3) lose += fill_phrase("或打成平局或以%s球之差输掉比赛", {numeral(1)});
    if (c >= 4) lose += fill_phrase("或打成平局或以%s球或以下之差输掉比赛", {numeral(c - 2)});
    return fill_phrase(kHalfRefund,
                       {a, fill_phrase(kWinsByAtLeast, {a, numeral(c), numeral(c)}), price, half, lose});
  }
  const std::string win =
      c == 1 ? fill_phrase("如果 %s 以一个或一个以上净胜球赢得比赛", {b}) : receiving_holds(b, c);
  const std::string half =
      c == 1 ? fill_phrase(kDraws, {b}) : fill_phrase(kLosesByExactly, {b, numeral(c - 1)});
  const std::string lose = fill_phrase("如果 %s 输掉%s球或以上", {b, numeral(c)});
  return fill_phrase(kHalfWin, {b, win, price, half, price + 1.0, lose});
}

std::string half_line(int c, std::string_view a, std::string_view b, double price,
                      notation::HandicapSide side) {
  // Either way the outcome is decided by the giving team's margin, so both sides name it.
  const std::string a_covers = fill_phrase(kWinsByAtLeast, {a, numeral(c), numeral(c)});
  if (side == notation::HandicapSide::kGiving) {
    std::string lose;
    if (c == 1) lose = fill_phrase("如果 %s 打成平局或输掉比赛", {a});
    if (c == 2) lose = fill_phrase("如果 %s 以%s个净胜球赢得比赛或打成平局或输掉比赛", {a, numeral(1)});
    if (c >= 3)
      lose = fill_phrase("如果 %s 以%s个净胜球或以下赢得比赛或打成平局或输掉比赛", {a, numeral(c - 1)});
    return fill_phrase(kNoDraw, {a, a_covers, price, lose});
  }
  std::string win;
  if (c == 1) {
    win = fill_phrase("如果 %s 打成平局或输掉比赛", {a});
  } else {
    win = fill_phrase(kTeamPrefix, {a});
    if (c == 2) win += fill_phrase("以%s个净胜球赢得比赛或打成平局或输掉比赛", {numeral(1)});
    if (c >= 3) win += fill_phrase("以%s个或以下净胜球赢得比赛或打成平局或输掉比赛", {numeral(c - 1)});
  }
  return fill_phrase(kNoDraw, {b, win, price, a_covers});
}

std::string three_quarter_line(int c, std::string_view a, std::string_view b, double price,
                               notation::HandicapSide side) {
  if (side == notation::HandicapSide::kGiving) {
    const std::string win = fill_phrase(kWinsByAtLeast, {a, numeral(c), numeral(c)});
    const std::string half = fill_phrase(kWinsByExactly, {a, numeral(c - 1)});
    return fill_phrase(kHalfWin, {a, win, price, half, price + 1.0, receiving_holds_quarter(b, c)});
  }
  const std::string half = fill_phrase(kLosesByExactly, {b, numeral(c - 1)});
  const std::string lose = fill_phrase("如果 %s 输掉%s球或%s球以上", {b, numeral(c), numeral(c)});
  return fill_phrase(kHalfRefund, {b, receiving_holds_quarter(b, c), price, half, lose});
}

}  // namespace

std::string asian_handicap_explanation(int code, std::string_view giving, std::string_view receiving,
                                       double price, notation::HandicapSide side) {
  if (code < notation::kLowestHandicapCode || code > notation::kHighestHandicapCode) return {};
  // c counts whole goals from 1 (level); on x.75 lines it is the whole goals above the line.
  const int c = code / 4 + 1;
  switch (code % 4) {
    case 1:
      return whole_line(c, giving, receiving, price, side);
    case 2:
      return quarter_line(c, giving, receiving, price, side);
    case 3:
      return half_line(c, giving, receiving, price, side);
    default:
      return three_quarter_line(c, giving, receiving, price, side);
  }
}

}  // namespace brindle::betting
