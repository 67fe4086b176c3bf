#include "core/matchinfo/match_history.h"

#include <cstdio>
#include <utility>

#include "core/notation/handicap_notation.h"
#include "core/notation/result_name.h"
#include "core/protocol/match_information.h"

namespace brindle::matchinfo {
namespace {

constexpr int kLevelHandicap = 1;
constexpr double kLowestOdds = 0.5;  // below: the match had no handicap line

std::string pair_text(const std::string& first, const std::string& second) { return first + " vs " + second; }

std::string score_text(int first, int second) {
  return std::to_string(first) + " : " + std::to_string(second);
}

std::string odds_text(double odds) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.3f", odds);
  return buffer;
}

// "让球", "赔率" and "盘路" of a line seen from the side that receives when `receiving` is set.
void fill_line(HistoryRow& row, int line_kind, int code, bool receiving, bool prefix, int result,
               double odds) {
  row[3] = (prefix ? "受让" : "") + notation::handicap_name(line_kind, code);
  row[4] = odds_text(odds);
  row[5] = notation::result_name(result, receiving);
}

}  // namespace

TabCaptions tab_captions(HistoryTab tab, const std::string& home, const std::string& away) {
  switch (tab) {
    case HistoryTab::kRecentSix:
      return {home + "近六场比赛成绩", away + "近六场比赛成绩", true};
    case HistoryTab::kHomeAway:
      return {home + "近三个主场成绩", away + "近三个客场成绩", true};
    case HistoryTab::kHeadToHead:
      break;
  }
  return {"两队历史交锋", {}, false};
}

HistoryRow history_row(const protocol::HistoryItem& item, const std::string& team, int line_kind,
                       bool home_away_tab) {
  HistoryRow row;
  row[0] = item.time_text1 + " " + item.time_text2;
  const bool at_home = item.home_flag >= 1;
  row[1] = at_home ? pair_text(team, item.opponent) : pair_text(item.opponent, team);
  if (item.team_goals == -1 || item.opponent_goals == -1)
    row[2] = "无效比赛";
  else
    row[2] = at_home ? score_text(item.team_goals, item.opponent_goals)
                     : score_text(item.opponent_goals, item.team_goals);
  if (item.odds >= kLowestOdds) {
    const bool receiving = at_home == (item.received_flag != 0);
    const bool prefix = receiving && !(home_away_tab && item.handicap_code == kLevelHandicap);
    fill_line(row, line_kind, item.handicap_code, receiving, prefix, item.result_code, item.odds);
  }
  return row;
}

HistoryRow head_to_head_row(const protocol::HeadToHeadItem& item, int line_kind) {
  HistoryRow row;
  row[0] = item.date_time;
  row[1] = pair_text(item.home_team, item.away_team);
  row[2] = score_text(item.home_goals, item.away_goals);
  if (item.odds >= kLowestOdds) {
    const bool received = item.received_flag != 0;
    fill_line(row, line_kind, item.handicap_code, received, received && item.handicap_code != kLevelHandicap,
              item.result_code, item.odds);
  }
  return row;
}

MatchHistory::MatchHistory(protocol::Session& session, int match_number, std::string home, std::string away,
                           int line_kind)
    : session_(session),
      match_number_(match_number),
      home_(std::move(home)),
      away_(std::move(away)),
      line_kind_(line_kind) {}

std::vector<HistoryRow> MatchHistory::fetch_team(HistoryTab tab, bool home_team,
                                                 std::vector<std::string>& failures) {
  std::vector<protocol::HistoryItem> items;
  const auto fetched = tab == HistoryTab::kRecentSix
                           ? protocol::fetch_recent_matches(session_, match_number_, home_team, items)
                           : protocol::fetch_home_away_matches(session_, match_number_, home_team, items);
  std::vector<HistoryRow> rows;
  if (!fetched) {
    failures.push_back(fetched.error());
    return rows;
  }
  const std::string& team = home_team ? home_ : away_;
  for (const auto& item : items)
    rows.push_back(history_row(item, team, line_kind_, tab == HistoryTab::kHomeAway));
  return rows;
}

const HistoryTabView& MatchHistory::open_tab(HistoryTab tab) {
  const auto at = static_cast<std::size_t>(tab);
  HistoryTabView& view = views_[at];
  if (fetched_[at]) {
    view.failures.clear();
    return view;
  }
  fetched_[at] = true;
  view.captions = tab_captions(tab, home_, away_);
  if (tab == HistoryTab::kHeadToHead) {
    std::vector<protocol::HeadToHeadItem> items;
    if (const auto fetched = protocol::fetch_head_to_head(session_, match_number_, items); !fetched)
      view.failures.push_back(fetched.error());
    for (const auto& item : items) view.upper.push_back(head_to_head_row(item, line_kind_));
  } else {
    view.upper = fetch_team(tab, true, view.failures);
    view.lower = fetch_team(tab, false, view.failures);
  }
  return view;
}

}  // namespace brindle::matchinfo
