#include "core/protocol/selection_text.h"

#include "core/notation/bet_choice.h"
#include "core/notation/market_kind.h"
#include "core/protocol/market_type.h"

namespace brindle::protocol {

std::string choice_text(int market_type, int line_code, int choice) {
  return notation::bet_choice_text(kind_of_market_type(market_type), line_code, choice);
}

std::string market_name(int market_type) {
  return notation::market_kind_name(kind_of_market_type(market_type));
}

std::string selection_text(int market_type, int line_code, int choice, const std::string& home_team,
                           const std::string& away_team, int home_score, int away_score, ScoreSuffix suffix) {
  std::string score;
  const auto score_text = [&](const char* format_open, const char* format_close) {
    return std::string(format_open) + std::to_string(home_score) + " : " + std::to_string(away_score) +
           format_close;
  };
  if (market_type == kTypeInPlayAsianHandicap) {
    score = score_text(" ", "");
  } else if (market_type == kTypeInPlayOverUnder && suffix == ScoreSuffix::kInPlayKinds) {
    score = score_text(" (", ")");
  }

  const std::string choice_words = choice_text(market_type, line_code, choice);
  if (market_type != kTypeAsianHandicap && market_type != kTypeInPlayAsianHandicap)
    return choice_words + score;
  // The side rule of the market lists: codes above 1000 in magnitude are the away team giving.
  const bool home = (line_code >= 1 && line_code <= 999) || line_code < -1000;
  const std::string& team = home ? home_team : away_team;
  return team + (line_code >= 1 ? "(让" : "(") + choice_words + score + ")";
}

}  // namespace brindle::protocol
