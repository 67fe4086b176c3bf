#pragma once

#include <string>
#include <vector>

namespace brindle::ports {

// One point of a match's odds trend: the record a 4022 reply lists and the trend window draws.
// It lives with the ports because that window's port takes it, and ports sit below the request layer.
struct TrendPoint {
  std::string time;  // "%Y-%m-%d %H:%M:%S"
  int handicap_code = 0;
  double price = 0.0;
  int away_gives = 0;

  bool operator==(const TrendPoint&) const = default;
};

// What the trend chart of one hall row needs: the points, the team whose odds they are (the away team
// when the away side gives on the row, else the home team), the row's line kind for the handicap names
// and the line's price-sum target in hundredths for the balancing.
struct OddsTrend {
  std::vector<TrendPoint> points;
  std::string team;
  bool shown_away = false;
  int line_kind = 0;
  int price_sum_target = 0;
  std::string error;  // the failed request's message: the chart is empty and the window shows it
};

}  // namespace brindle::ports
