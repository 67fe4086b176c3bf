#pragma once

#include <string>
#include <vector>

#include "core/betting/hall_model.h"
#include "core/betting/single_ticket.h"
#include "core/protocol/market_records.h"

namespace brindle::betting {

inline constexpr char kInPlayMark[] = "(走地)";
inline constexpr char kNeutralVenueMark[] = "(中)";
inline constexpr char kHomeMark[] = "(主)";

// The home team's name with its mark, whichever side it takes.
std::string marked_home_team(const protocol::AsianHandicapRow& row);
// The team listed first (it gives the handicap) and the other one.
std::string giving_team_text(const protocol::AsianHandicapRow& row);
std::string other_team_text(const protocol::AsianHandicapRow& row);

// Page 1: the Asian handicap rows, one line per completed home/away pair.
class AsianHandicapHall final : public HallModel {
 public:
  enum Column {
    kKey,
    kTime,
    kGivingTeam,
    kGivingOdds,
    kBetGiving,
    kHandicap,
    kOtherTeam,
    kOtherOdds,
    kBetOther,
    kHistory,
    kTrend,
  };

  explicit AsianHandicapHall(HallServices services) : HallModel(services) {}

  int page() const override { return kAsianHandicapPage; }
  const std::vector<HallColumn>& columns() const override;
  std::size_t line_count() const override { return rows_.size(); }
  std::string cell_text(std::size_t line, int column) const override;

  const std::vector<protocol::AsianHandicapRow>& rows() const { return rows_; }
  // What the ticket of a row copies when it opens.
  AsianHandicapTicketLine ticket_line(std::size_t line) const;

 protected:
  protocol::Outcome fetch(bool filtered) override;
  void commit_fetched() override { rows_.swap(fetched_); }
  void clear_lines() override { rows_.clear(); }
  std::string group_key(std::size_t line) const override;
  std::string league_of(std::size_t line) const override { return rows_[line].league; }
  void bet_click(std::size_t line, int column) override;
  void history_click(std::size_t line) override;
  void trend_click(std::size_t line) override;
  std::optional<std::pair<int, double>> cell_price(std::size_t line, int column) const override;
  std::string public_location() const override;
  std::string private_location_prefix() const override;

 private:
  std::vector<protocol::AsianHandicapRow> rows_;
  std::vector<protocol::AsianHandicapRow> fetched_;
};

}  // namespace brindle::betting
