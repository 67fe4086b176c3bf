#include "core/matchinfo/results_query.h"

#include <cstdio>
#include <utility>

#include "core/notation/handicap_notation.h"
#include "core/ports/message_port.h"
#include "core/protocol/match_information.h"

namespace brindle::matchinfo {
namespace {

constexpr long long kDay = 86400;

// Seconds since the OLE epoch, exactly; nothing for a date-time that does not exist.
std::optional<long long> seconds_of(const wire::CivilDateTime& when) {
  if (!wire::is_valid_civil(when)) return std::nullopt;
  const auto ole = wire::civil_to_ole(wire::CivilDateTime{when.year, when.month, when.day, 0, 0, 0});
  if (!ole) return std::nullopt;
  return static_cast<long long>(*ole) * kDay + when.hour * 3600LL + when.minute * 60LL + when.second;
}

std::string handicap_text(const protocol::ResultItem& item) {
  std::string name = notation::handicap_name(item.market_kind, item.handicap_code);
  if (item.receive_flag == 1 && !name.empty()) name.insert(0, kReceivedPrefix);
  return name;
}

bool not_counted(const protocol::ResultItem& item) { return item.home_goals == -1 || item.away_goals == -1; }

}  // namespace

protocol::DateRange opening_results_range(const wire::CivilDateTime& today) {
  protocol::DateRange range{{today.year, today.month, today.day, 0, 0, 0},
                            {today.year, today.month, today.day, 23, 59, 59}};
  // Midnight less 86399 seconds: the previous day at 00:00:01.
  if (const auto midnight = wire::civil_to_ole(range.start)) {
    if (const auto previous = wire::ole_to_civil(*midnight - 1.0)) {
      range.start = {previous->year, previous->month, previous->day, 0, 0, 1};
    }
  }
  return range;
}

std::optional<std::string> results_range_refusal(const protocol::DateRange& range) {
  const auto start = seconds_of(range.start);
  const auto end = seconds_of(range.end);
  if (!start || !end || *end < *start) return std::string(kResultsEndBeforeStartText);
  if ((*end - *start) / 3600 >= kResultsHourLimit) return std::string(kResultsRangeTooLongText);
  return std::nullopt;
}

std::vector<ports::ListColumn> results_columns(ResultsTab tab) {
  if (tab == ResultsTab::fixtures) return {{"比赛时间", 140}, {"赛事名称", 150}, {"比赛名称", 180}};
  return {{"比赛时间", 120}, {"赛事名称", 130}, {"比赛名称", 180}, {"比分", 70}, {"盘口", 100}};
}

std::vector<std::string> results_row(ResultsTab tab, const protocol::ResultItem& item) {
  switch (tab) {
    case ResultsTab::fixtures:
      return {item.date_time, item.league, item.home_team + " vs " + item.away_team};
    case ResultsTab::outright_index:
      return {item.date_time, item.league, item.home_team,
              not_counted(item) ? kNoValidMatchText : item.result_text, handicap_text(item)};
    case ResultsTab::results:
      break;
  }
  std::string score = kNoValidMatchText;
  if (!not_counted(item)) {
    char text[32];
    std::snprintf(text, sizeof text, "%d : %d", item.home_goals, item.away_goals);
    score = text;
  }
  return {item.date_time, item.league, item.home_team + " vs " + item.away_team, score, handicap_text(item)};
}

ResultsQueryModel::ResultsQueryModel(protocol::Session& session, ports::MessagePort& messages,
                                     const protocol::DateRange& range)
    : session_(session), messages_(messages), range_(range), columns_(results_columns(tab_)) {}

void ResultsQueryModel::open() {
  tab_ = ResultsTab::results;
  columns_ = results_columns(tab_);
  query();
}

void ResultsQueryModel::select_tab(ResultsTab tab) {
  tab_ = tab;
  columns_ = results_columns(tab);
  if (!queried(tab)) {
    rows_.clear();
    query();
    return;
  }
  fill();
}

bool ResultsQueryModel::query() {
  // The fixtures carry no dates, yet the pickers' range is checked on every tab alike.
  if (const auto refusal = results_range_refusal(range_)) {
    messages_.show_message(*refusal, false);
    return false;
  }
  std::vector<protocol::ResultItem> items;
  protocol::Outcome fetched = [&] {
    switch (tab_) {
      case ResultsTab::fixtures:
        return protocol::fetch_fixtures(session_, items);
      case ResultsTab::outright_index:
        return protocol::fetch_outright_results(session_, range_, items);
      case ResultsTab::results:
        break;
    }
    return protocol::fetch_results(session_, range_, items);
  }();
  if (!fetched) {
    messages_.show_message(fetched.error(), false);
    // The failed reply is the tab's last one: it shows nothing when the tab comes back, and the tab
    // counts as queried, so that only "查询" asks again.
    kept_[index(tab_)].emplace();
    rows_.clear();
    return false;
  }
  kept_[index(tab_)] = std::move(items);
  fill();
  return true;
}

void ResultsQueryModel::fill() {
  rows_.clear();
  const auto& kept = kept_[index(tab_)];
  if (!kept) return;
  rows_.reserve(kept->size());
  for (const auto& item : *kept) rows_.push_back(results_row(tab_, item));
}

}  // namespace brindle::matchinfo
