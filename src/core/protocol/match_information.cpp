#include "core/protocol/match_information.h"

#include "wire/field_reader.h"
#include "wire/ole_date.h"
#include "wire/records/match_records.h"

namespace brindle::protocol {
namespace {

using wire::FieldReader;

// Reads every row as a Line record and hands it to `to_item` for the client's own record.
template <typename Line, typename Item, typename ToItem>
Outcome parse_rows(std::span<const std::string> lines, std::vector<Item>& items, ToItem&& to_item) {
  ListRows reply(lines);
  if (!reply.success()) return reply.failure();
  items.clear();
  Line line;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    records::read(r, line);
    items.push_back(to_item(line));
  }
  return reply.message();
}

template <typename Parse>
Outcome query(Session& session, int subject_id, std::string para, Parse&& parse) {
  auto sent = send_subject(session, subject_id, std::move(para));
  if (!sent) return Outcome::failure(sent.error());
  return parse(sent->reply_lines());
}

std::string flag_text(bool flag) { return flag ? "1" : "0"; }

}  // namespace

Outcome parse_history(std::span<const std::string> lines, std::vector<HistoryItem>& items) {
  return parse_rows<records::HistoryLine>(lines, items, [](records::HistoryLine& l) {
    return HistoryItem{
        std::move(l.time_text1), std::move(l.time_text2), std::move(l.opponent), l.home_flag,   l.team_goals,
        l.opponent_goals,        l.handicap_code,         l.received_flag,       l.result_code, l.odds};
  });
}

Outcome parse_head_to_head(std::span<const std::string> lines, std::vector<HeadToHeadItem>& items) {
  return parse_rows<records::HeadToHeadLine>(lines, items, [](records::HeadToHeadLine& l) {
    return HeadToHeadItem{wire::ole_date_time_text(l.date_time),
                          std::move(l.home_team),
                          std::move(l.away_team),
                          l.home_goals,
                          l.away_goals,
                          l.handicap_code,
                          l.received_flag,
                          l.result_code,
                          l.odds};
  });
}

Outcome parse_odds_trend(std::span<const std::string> lines, std::vector<TrendPoint>& points) {
  return parse_rows<records::TrendPointLine>(lines, points, [](const records::TrendPointLine& l) {
    return TrendPoint{wire::ole_date_time_text(l.time), l.handicap_code, l.price, l.away_gives};
  });
}

Outcome parse_results(std::span<const std::string> lines, std::vector<ResultItem>& items) {
  return parse_rows<records::ResultLine>(lines, items, [](records::ResultLine& l) {
    return ResultItem{std::move(l.league),    std::move(l.home_team),
                      std::move(l.away_team), l.home_goals,
                      l.away_goals,           wire::ole_date_time_text(l.date_time),
                      l.handicap_code,        l.receive_flag,
                      l.market_kind,          std::move(l.result_text)};
  });
}

Outcome fetch_odds_trend(Session& session, int match_number, bool away_gives,
                         std::vector<TrendPoint>& points) {
  return query(session, 4022, std::to_string(match_number) + "|" + flag_text(away_gives),
               [&](const auto& lines) { return parse_odds_trend(lines, points); });
}

Outcome fetch_recent_matches(Session& session, int match_number, bool home_team,
                             std::vector<HistoryItem>& items) {
  return query(session, 4023, std::to_string(match_number) + "|" + flag_text(home_team),
               [&](const auto& lines) { return parse_history(lines, items); });
}

Outcome fetch_home_away_matches(Session& session, int match_number, bool home_team,
                                std::vector<HistoryItem>& items) {
  return query(session, 4024, std::to_string(match_number) + "|" + flag_text(home_team),
               [&](const auto& lines) { return parse_history(lines, items); });
}

Outcome fetch_head_to_head(Session& session, int match_number, std::vector<HeadToHeadItem>& items) {
  return query(session, 4026, std::to_string(match_number),
               [&](const auto& lines) { return parse_head_to_head(lines, items); });
}

Outcome fetch_results(Session& session, const DateRange& range, std::vector<ResultItem>& items) {
  return query(session, 4025, date_range_para(range),
               [&](const auto& lines) { return parse_results(lines, items); });
}

Outcome fetch_fixtures(Session& session, std::vector<ResultItem>& items) {
  return query(session, 4025, "-1|-1", [&](const auto& lines) { return parse_results(lines, items); });
}

Outcome fetch_outright_results(Session& session, const DateRange& range, std::vector<ResultItem>& items) {
  return query(session, 4040, date_range_para(range),
               [&](const auto& lines) { return parse_results(lines, items); });
}

}  // namespace brindle::protocol
