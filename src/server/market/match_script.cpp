#include "server/market/match_script.h"

#include <charconv>
#include <system_error>

namespace brindle::server::market {
namespace {

// Lines stay suspended in the minute of a goal and the one after it.
constexpr int kSuspendedMinutesAfterGoal = 2;

std::optional<int> read_number(std::string_view& text, char end) {
  int value = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || ptr == text.data()) return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(ptr - text.data()));
  if (end != '\0') {
    if (text.empty() || text.front() != end) return std::nullopt;
    text.remove_prefix(1);
  }
  return value;
}

double remaining_share(Sport sport, const MatchState& state) {
  const int playing = shape_of(sport).playing_minutes();
  return static_cast<double>(playing - state.minute) / playing;
}

}  // namespace

std::string script_text(const MatchScript& script) {
  std::string text;
  for (const auto& entry : script) {
    if (!text.empty()) text += ',';
    text +=
        std::to_string(entry.minute) + ':' + std::to_string(entry.home) + ':' + std::to_string(entry.away);
  }
  return text;
}

std::optional<MatchScript> parse_script(std::string_view text, Sport sport) {
  MatchScript script;
  const int last_minute = shape_of(sport).playing_minutes();
  while (!text.empty()) {
    auto minute = read_number(text, ':');
    auto home = minute ? read_number(text, ':') : std::nullopt;
    auto away = home ? read_number(text, '\0') : std::nullopt;
    if (!away || *minute < 1 || *minute > last_minute || *home < 0 || *away < 0 || *home + *away == 0) {
      return std::nullopt;
    }
    if (!script.empty() && script.back().minute >= *minute) return std::nullopt;
    script.push_back({*minute, *home, *away});
    if (!text.empty()) {
      if (text.front() != ',' || text.size() == 1) return std::nullopt;
      text.remove_prefix(1);
    }
  }
  return script;
}

MatchShape shape_of(Sport sport) {
  return sport == Sport::basketball ? MatchShape{24, 12} : MatchShape{45, 15};
}

Score final_score(const MatchScript& script) {
  Score score;
  for (const auto& entry : script) {
    score.home += entry.home;
    score.away += entry.away;
  }
  return score;
}

MatchState state_at(Sport sport, const MatchScript& script, std::int64_t kickoff, std::int64_t now) {
  MatchState state;
  if (now < kickoff) return state;
  const MatchShape shape = shape_of(sport);
  const std::int64_t wall = (now - kickoff) / 60;
  if (wall >= shape.wall_minutes()) {
    state.status = MatchStatus::finished;
    state.minute = shape.playing_minutes();
    state.score = final_score(script);
    return state;
  }
  state.status = MatchStatus::in_play;
  const bool in_break = wall >= shape.half_minutes && wall < shape.half_minutes + shape.break_minutes;
  if (wall < shape.half_minutes) {
    state.minute = static_cast<int>(wall) + 1;
  } else if (in_break) {
    state.minute = shape.half_minutes;
  } else {
    state.minute = static_cast<int>(wall) - shape.break_minutes + 1;
  }
  int last_goal = -1000;
  for (const auto& entry : script) {
    if (entry.minute > state.minute) break;
    state.score.home += entry.home;
    state.score.away += entry.away;
    last_goal = entry.minute;
  }
  if (sport == Sport::basketball) {
    state.suspended = in_break;
  } else {
    state.suspended = !in_break && state.minute - last_goal < kSuspendedMinutesAfterGoal;
  }
  return state;
}

TwoSidedQuote in_play_handicap(Sport sport, double expected_margin, const MatchState& state) {
  return handicap_quote(sport, expected_margin * remaining_share(sport, state), kInPlayTarget);
}

TwoSidedQuote in_play_totals(Sport sport, double expected_total, const MatchState& state) {
  const int so_far = state.score.home + state.score.away;
  return totals_quote(sport, so_far + expected_total * remaining_share(sport, state), kInPlayTarget, so_far);
}

}  // namespace brindle::server::market
