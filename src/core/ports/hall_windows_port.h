#pragma once

#include <string>
#include <vector>

#include "core/ports/trend_point.h"

namespace brindle::ports {

//! The windows a hall opens that belong to other features (records, results, match information,
//! rooms, the in-play web page). Until a feature lands its window may do nothing.
class HallWindowsPort {
 public:
  virtual ~HallWindowsPort() = default;
  virtual void open_bet_records() = 0;
  virtual void open_results() = 0;
  //! The match history window for the two teams of a row; the line kind names its handicaps.
  virtual void open_match_history(int match_number, const std::string& home, const std::string& away,
                                  int line_kind) = 0;
  //! The odds trend chart of the points a 4022 request returned.
  virtual void open_odds_trend(const OddsTrend& trend) = 0;
  //! The room list; true when the user entered a room, whose values are then in the Client context.
  virtual bool choose_private_room() = 0;
  //! The modal "走地" window on the web version of in-play betting.
  virtual void open_in_play_web(const std::string& web_token) = 0;
};

}  // namespace brindle::ports
