#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "server/market/market_model.h"

namespace brindle::server::market {

// The demo market's invented leagues and teams. Every name is plain GBK text, distinct across
// leagues, so a fixture never matches one of another league by name.
struct DemoLeague {
  std::string_view name;
  Sport sport;
  bool neutral_venues;      // every match at a neutral ground (friendlies, tournaments)
  bool has_champion_event;  // an outright event for the league's title
};

std::span<const DemoLeague> demo_leagues();

// `count` team names for the league at `league_index` in demo_leagues().
std::vector<std::string> demo_team_names(std::size_t league_index, std::size_t count);

}  // namespace brindle::server::market
