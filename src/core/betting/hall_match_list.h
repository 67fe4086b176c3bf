#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/betting/hall_model.h"
#include "core/protocol/market_records.h"

namespace brindle::betting {

// The halls that hold Match records and Odds lines of their own (all but the Asian handicap hall):
// the lists, the data request by market type code, and the lookup of a match's first line that
// passes a test, indexed once per refresh so that cells stay cheap on long lists.
class MatchListHall : public HallModel {
 public:
  using HallModel::HallModel;

  std::size_t line_count() const override { return matches_.size(); }
  const std::vector<protocol::MatchRecord>& matches() const { return matches_; }
  const std::vector<protocol::OddsLine>& odds() const { return odds_; }

  // The first held Odds line of a match (by its line in the list) that passes `test`.
  const protocol::OddsLine* first_line(std::size_t line,
                                       const std::function<bool(const protocol::OddsLine&)>& test) const;

 protected:
  // The market type code of the hall's 4027 and 4070 requests.
  virtual int market_type() const = 0;
  protocol::Outcome fetch(bool filtered) override;
  void commit_fetched() override;
  void clear_lines() override;
  std::string group_key(std::size_t line) const override;
  std::string league_of(std::size_t line) const override { return matches_[line].league; }

  std::vector<protocol::MatchRecord> fetched_matches_;
  std::vector<protocol::OddsLine> fetched_odds_;

 private:
  void index_lines();

  std::vector<protocol::MatchRecord> matches_;
  std::vector<protocol::OddsLine> odds_;
  std::vector<std::vector<std::size_t>> lines_of_match_;  // per list line, its Odds lines in order
};

// "-" where a cell has no line to show.
inline constexpr char kNoLineText[] = "-";

}  // namespace brindle::betting
