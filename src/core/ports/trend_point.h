#pragma once

#include <string>

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

}  // namespace brindle::ports
