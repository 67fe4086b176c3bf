#include "core/betting/hall_match_list.h"

#include <unordered_map>

#include "core/protocol/market_data.h"

namespace brindle::betting {

const protocol::OddsLine* MatchListHall::first_line(
    std::size_t line, const std::function<bool(const protocol::OddsLine&)>& test) const {
  if (line >= lines_of_match_.size()) return nullptr;
  for (const std::size_t i : lines_of_match_[line]) {
    if (test(odds_[i])) return &odds_[i];
  }
  return nullptr;
}

protocol::Outcome MatchListHall::fetch(bool filtered) {
  protocol::Session& session = services().session;
  return filtered
             ? protocol::fetch_filtered_market_list(session, market_type(), fetched_matches_, fetched_odds_)
             : protocol::fetch_market_list(session, market_type(), fetched_matches_, fetched_odds_);
}

void MatchListHall::commit_fetched() {
  matches_.swap(fetched_matches_);
  odds_.swap(fetched_odds_);
  fetched_matches_.clear();
  fetched_odds_.clear();
  index_lines();
}

void MatchListHall::clear_lines() {
  matches_.clear();
  odds_.clear();
  lines_of_match_.clear();
}

std::string MatchListHall::group_key(std::size_t line) const {
  return hall_group_key(matches_[line].kick_off_date, matches_[line].league);
}

void MatchListHall::index_lines() {
  std::unordered_map<int, std::vector<std::size_t>> odds_of_number;
  odds_of_number.reserve(matches_.size());
  for (std::size_t i = 0; i < odds_.size(); ++i) odds_of_number[odds_[i].match_number].push_back(i);
  lines_of_match_.assign(matches_.size(), {});
  for (std::size_t i = 0; i < matches_.size(); ++i) {
    const auto at = odds_of_number.find(matches_[i].match_number);
    if (at != odds_of_number.end()) lines_of_match_[i] = at->second;
  }
}

}  // namespace brindle::betting
