#include "core/notation/bet_choice.h"

#include <array>
#include <cstdlib>
#include <string_view>

#include "core/notation/handicap_notation.h"
#include "core/notation/market_kind.h"
#include "core/notation/totals_notation.h"

namespace brindle::notation {

namespace {

// Home wins, draws, away wins: choices 1..25 in the service's order.
constexpr std::array<CorrectScore, 25> kCorrectScores = {{
    {1, 0}, {2, 0}, {2, 1}, {3, 0}, {3, 1}, {3, 2}, {4, 0}, {4, 1}, {4, 2}, {4, 3}, {0, 0}, {1, 1}, {2, 2},
    {3, 3}, {4, 4}, {0, 1}, {0, 2}, {1, 2}, {0, 3}, {1, 3}, {2, 3}, {0, 4}, {1, 4}, {2, 4}, {3, 4},
}};

constexpr int kLastListedScore = 25;

std::string outcome_text(int choice) {
  switch (choice) {
    case 1:
      return "主队(左选项)胜";
    case 2:
      return "主队(左选项)平";
    case 3:
      return "主队(左选项)胜或平";
    case 4:
      return "主队(左选项)负";
    case 5:
      return "主队(左选项)胜或负";
    case 6:
      return "主队(左选项)平或负";
    default:
      return {};
  }
}

std::string correct_score_text(int choice) {
  if (choice > kLastListedScore) return "其它比分";
  const auto score = correct_score_of_choice(choice);
  if (!score) return {};
  return std::to_string(score->home) + " : " + std::to_string(score->away);
}

std::string handicap_choice_text(int choice, int line_kind) {
  // The thousands mark which team is meant; they are not part of the line.
  const long long code = std::llabs(static_cast<long long>(choice)) % 1000;
  std::string name = handicap_name(line_kind, static_cast<int>(code));
  if (name.empty() || choice >= 0) return name;
  return "受让" + name;
}

}  // namespace

std::optional<CorrectScore> correct_score_of_choice(int choice) {
  if (choice < 1 || choice > kLastListedScore) return std::nullopt;
  return kCorrectScores[static_cast<std::size_t>(choice - 1)];
}

std::string bet_choice_text(int kind_flag, int choice, int line_kind) {
  switch (kind_flag) {
    case kKind1x2:
      return outcome_text(choice);
    case kKindOverUnder:
    case kKindBasketballTotals:
    case kKindInPlayOverUnder:
      return totals_text_with_side(choice);
    case kKindCorrectScore:
      return correct_score_text(choice);
    case kKindBasketballOddEven:
      return choice == 1 ? "单数" : "双数";
    case kKindInPlayAsianHandicap:
    case kKindAsianHandicap:
      return handicap_choice_text(choice, line_kind);
    default:
      return {};
  }
}

}  // namespace brindle::notation
