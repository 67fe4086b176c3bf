#include "core/protocol/match_information.h"

#include "wire/field_reader.h"
#include "wire/ole_date.h"

namespace brindle::protocol {
namespace {

using wire::FieldReader;

std::string text(FieldReader& r) {
  std::string out;
  r.next(out, FieldReader::kMaxFieldBytes + 1);
  return out;
}

template <typename Item, typename ReadRow>
Outcome parse_rows(std::span<const std::string> lines, std::vector<Item>& items, ReadRow&& read_row) {
  ListRows reply(lines);
  if (!reply.success()) return reply.failure();
  items.clear();
  for (std::size_t i = 0; i < reply.size(); ++i) {
    FieldReader r = reply.row(i);
    items.push_back(read_row(r));
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
  return parse_rows(lines, items, [](FieldReader& r) {
    HistoryItem h;
    h.time_text1 = text(r);
    h.time_text2 = text(r);
    h.opponent = text(r);
    h.home_flag = r.integer();
    h.team_goals = r.integer();
    h.opponent_goals = r.integer();
    h.handicap_code = r.integer();
    h.received_flag = r.integer();
    h.result_code = r.integer();
    h.odds = r.decimal();
    return h;
  });
}

Outcome parse_head_to_head(std::span<const std::string> lines, std::vector<HeadToHeadItem>& items) {
  return parse_rows(lines, items, [](FieldReader& r) {
    HeadToHeadItem h;
    h.date_time = wire::ole_date_time_text(r.decimal());
    h.home_team = text(r);
    h.away_team = text(r);
    h.home_goals = r.integer();
    h.away_goals = r.integer();
    h.handicap_code = r.integer();
    h.received_flag = r.integer();
    h.result_code = r.integer();
    h.odds = r.decimal();
    return h;
  });
}

Outcome parse_odds_trend(std::span<const std::string> lines, std::vector<TrendPoint>& points) {
  return parse_rows(lines, points, [](FieldReader& r) {
    TrendPoint p;
    p.time = wire::ole_date_time_text(r.decimal());
    p.handicap_code = r.integer();
    p.price = r.decimal();
    p.away_gives = r.integer();
    return p;
  });
}

Outcome parse_results(std::span<const std::string> lines, std::vector<ResultItem>& items) {
  return parse_rows(lines, items, [](FieldReader& r) {
    ResultItem item;
    item.league = text(r);
    item.home_team = text(r);
    item.away_team = text(r);
    item.home_goals = r.integer();
    item.away_goals = r.integer();
    item.date_time = wire::ole_date_time_text(r.decimal());
    item.handicap_code = r.integer();
    item.receive_flag = r.integer();
    item.market_kind = r.integer();
    item.result_text = text(r);
    return item;
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
