#pragma once

#include <optional>
#include <string>

namespace brindle::notation {

// The score that a correct-score choice (1..25) names.
struct CorrectScore final {
  int home = 0;
  int away = 0;
};
std::optional<CorrectScore> correct_score_of_choice(int choice);

// The text of a bet choice of a market kind: "主队(左选项)胜或平", "2/2.5 小", "2 : 1", "其它比分",
// "单数", "受让半球". A handicap choice carries its code in its value modulo 1000 and is negative for
// the receiving side. Empty for a value that names no choice.
std::string bet_choice_text(int kind_flag, int choice, int line_kind);

}  // namespace brindle::notation
