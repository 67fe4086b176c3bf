#include "core/betting/in_play_hall.h"

#include <cstdlib>
#include <unordered_set>

#include "core/betting/asian_handicap_hall.h"
#include "core/betting/in_play_ticket.h"
#include "core/net/client_context.h"
#include "core/notation/handicap_notation.h"
#include "core/notation/totals_notation.h"
#include "core/protocol/market_data.h"
#include "core/protocol/market_type.h"
#include "core/protocol/session.h"

namespace brindle::betting {
namespace {

// An in-play handicap code above this in magnitude means the away team gives.
constexpr int kAwayGivesCodeOffset = 1000;

bool in_play_kind(int market_type) {
  return market_type == protocol::kTypeInPlayAsianHandicap || market_type == protocol::kTypeInPlayOverUnder;
}

std::string marked_home(const protocol::MatchRecord& m) {
  return m.home_team + (m.neutral_venue ? kNeutralVenueMark : kHomeMark);
}

}  // namespace

const std::vector<HallColumn>& InPlayHall::columns() const {
  static const std::vector<HallColumn> kColumns{
      {"", {0, 0, 0}},
      {"时间", {70, 50, 70}},
      {"主:客(比分)", {80, 60, 80}},
      {"上盘球队(名)", {150, 100, 140}},
      {"赔率", {65, 48, 70}, CellKind::kText, true},
      {"让球(分)", {90, 70, 90}},
      {"赔率", {65, 48, 70}, CellKind::kText, true},
      {"下盘球队(名)", {150, 100, 140}},
      {"大球", {65, 48, 70}, CellKind::kText, true},
      {"分界线", {80, 60, 80}},
      {"小球", {65, 48, 70}, CellKind::kText, true},
  };
  return kColumns;
}

int InPlayHall::market_type() const { return protocol::kTypeInPlayAsianHandicap; }

protocol::Outcome InPlayHall::fetch(bool filtered) {
  protocol::Session& session = services().session;
  const protocol::Outcome fetched =
      protocol::fetch_market_list(session, market_type(), fetched_matches_, fetched_odds_);
  if (!fetched || !filtered) return fetched;
  const std::string& league = session.context.league_filter.front();
  std::unordered_set<int> kept;
  std::erase_if(fetched_matches_, [&](const protocol::MatchRecord& m) {
    if (m.league != league) return true;
    kept.insert(m.match_number);
    return false;
  });
  std::erase_if(fetched_odds_, [&](const protocol::OddsLine& l) { return !kept.contains(l.match_number); });
  return fetched;
}

const protocol::OddsLine* InPlayHall::shown_line(std::size_t line, int type, int sign) const {
  return first_line(line, [type, sign](const protocol::OddsLine& l) {
    if (l.market_type != type || l.third >= kInPlayHiddenStatus) return false;
    return sign == 0 || (sign > 0 ? l.line_code > 0 : l.line_code < 0);
  });
}

std::string InPlayHall::cell_text(std::size_t line, int column) const {
  if (line >= matches().size()) return {};
  const protocol::MatchRecord& m = matches()[line];
  const auto odds_or_dash = [this](const protocol::OddsLine* l) {
    return l ? odds_text(l->price) : kNoLineText;
  };
  const auto* handicap = shown_line(line, protocol::kTypeInPlayAsianHandicap, 0);
  const bool home_gives = !handicap || std::abs(handicap->line_code) <= kAwayGivesCodeOffset;
  switch (column) {
    case kKey:
      return std::to_string(m.match_number);
    case kTime:
      return m.kick_off_time;
    case kScore: {
      const auto* any =
          first_line(line, [](const protocol::OddsLine& l) { return in_play_kind(l.market_type); });
      if (!any) return kNoLineText;
      return std::to_string(any->extra1) + " : " + std::to_string(any->extra2);
    }
    case kGivingTeam:
      return home_gives ? marked_home(m) : m.away_team;
    case kOtherTeam:
      return home_gives ? m.away_team : marked_home(m);
    case kPositiveOdds:
      return odds_or_dash(shown_line(line, protocol::kTypeInPlayAsianHandicap, 1));
    case kNegativeOdds:
      return odds_or_dash(shown_line(line, protocol::kTypeInPlayAsianHandicap, -1));
    case kHandicap: {
      if (!handicap) return kNoLineText;
      const std::string name =
          notation::handicap_name(m.line_kind, std::abs(handicap->line_code) % kAwayGivesCodeOffset);
      return name.empty() ? kNoLineText : name;
    }
    case kOverOdds:
      return odds_or_dash(shown_line(line, protocol::kTypeInPlayOverUnder, 1));
    case kUnderOdds:
      return odds_or_dash(shown_line(line, protocol::kTypeInPlayOverUnder, -1));
    case kLine: {
      const auto* l = shown_line(line, protocol::kTypeInPlayOverUnder, 1);
      const std::string text = l ? notation::totals_line_text(l->line_code) : std::string();
      return text.empty() ? kNoLineText : text;
    }
    default:
      return {};
  }
}

std::optional<std::pair<int, double>> InPlayHall::cell_price(std::size_t line, int column) const {
  const protocol::OddsLine* l = nullptr;
  switch (column) {
    case kPositiveOdds:
      l = shown_line(line, protocol::kTypeInPlayAsianHandicap, 1);
      break;
    case kNegativeOdds:
      l = shown_line(line, protocol::kTypeInPlayAsianHandicap, -1);
      break;
    case kOverOdds:
      l = shown_line(line, protocol::kTypeInPlayOverUnder, 1);
      break;
    case kUnderOdds:
      l = shown_line(line, protocol::kTypeInPlayOverUnder, -1);
      break;
    default:
      break;
  }
  if (!l) return std::nullopt;
  return std::pair{l->selection_number, l->price};
}

void InPlayHall::bet_click(std::size_t line, int column) {
  if (!clock_ || !follow_ups_ || line >= matches().size()) return;
  InPlaySide side{};
  switch (column) {
    case kPositiveOdds:
      side = InPlaySide::kHandicapPositive;
      break;
    case kNegativeOdds:
      side = InPlaySide::kHandicapNegative;
      break;
    case kOverOdds:
      side = InPlaySide::kOver;
      break;
    case kUnderOdds:
      side = InPlaySide::kUnder;
      break;
    default:
      return;
  }
  // Copies: a refresh under the open windows replaces the hall's lists.
  const protocol::MatchRecord match = matches()[line];
  std::vector<protocol::OddsLine> held;
  first_line(line, [&held](const protocol::OddsLine& l) {
    held.push_back(l);
    return false;
  });
  HallServices& s = services();
  InPlayTicketServices ticket{
      {s.session, s.messages, s.stake_window, s.bet_confirmation, s.frame}, *clock_, *follow_ups_};
  run_in_play_ticket(ticket, match, held, side);
}

}  // namespace brindle::betting
