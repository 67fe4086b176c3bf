#include "core/protocol/records_queries.h"

#include "core/net/client_context.h"
#include "core/protocol/account_parsers.h"

namespace brindle::protocol {
namespace {

template <typename Parse>
Outcome query(Session& session, int subject_id, std::string para, Parse&& parse) {
  auto sent = send_subject(session, subject_id, std::move(para));
  if (!sent) return Outcome::failure(sent.error());
  return parse(sent->reply_lines());
}

using Lines = const std::vector<std::string>&;

}  // namespace

std::string date_range_para(const DateRange& range) {
  return wire::date_range_text(range.start) + "|" + wire::date_range_text(range.end);
}

Outcome fetch_unsettled_single_bets(Session& session, std::vector<SingleBetRecord>& records) {
  return query(session, 4054, {}, [&](Lines lines) { return parse_unsettled_single_bets(lines, records); });
}

Outcome fetch_settled_single_bets(Session& session, const DateRange& range,
                                  std::vector<SingleBetRecord>& records) {
  return query(session, 4015, date_range_para(range), [&](Lines lines) {
    return parse_settled_single_bets(lines, session.context.records_header_text, records);
  });
}

Outcome fetch_unsettled_banker_bets(Session& session, std::vector<BankerBetRecord>& records) {
  return query(session, 4018, {}, [&](Lines lines) {
    return parse_unsettled_banker_bets(lines, session.context.records_header_text, records);
  });
}

Outcome fetch_settled_banker_bets(Session& session, const DateRange& range,
                                  std::vector<BankerBetRecord>& records) {
  return query(session, 4019, date_range_para(range), [&](Lines lines) {
    return parse_settled_banker_bets(lines, session.context.records_header_text, records);
  });
}

Outcome fetch_unsettled_opened_markets(Session& session, std::vector<OpenedMarketRecord>& records) {
  return query(session, 4020, {}, [&](Lines lines) {
    return parse_unsettled_opened_markets(lines, session.context.records_header_text, records);
  });
}

Outcome fetch_settled_opened_markets(Session& session, const DateRange& range,
                                     std::vector<OpenedMarketRecord>& records) {
  return query(session, 4021, date_range_para(range), [&](Lines lines) {
    return parse_settled_opened_markets(lines, session.context.records_header_text, records);
  });
}

Outcome fetch_unsettled_parlays(Session& session, std::vector<GroupedBetRecord>& records) {
  return query(session, 4029, {}, [&](Lines lines) {
    return parse_grouped_bets(lines, GroupedKind::kUnsettledParlay, session.context.records_header_text,
                              records);
  });
}

Outcome fetch_settled_parlays(Session& session, const DateRange& range,
                              std::vector<GroupedBetRecord>& records) {
  return query(session, 4030, date_range_para(range), [&](Lines lines) {
    return parse_grouped_bets(lines, GroupedKind::kSettledParlay, session.context.records_header_text,
                              records);
  });
}

Outcome fetch_unsettled_outrights(Session& session, std::vector<GroupedBetRecord>& records) {
  return query(session, 4050, {}, [&](Lines lines) {
    return parse_grouped_bets(lines, GroupedKind::kUnsettledOutright, session.context.records_header_text,
                              records);
  });
}

Outcome fetch_settled_outrights(Session& session, const DateRange& range,
                                std::vector<GroupedBetRecord>& records) {
  return query(session, 4051, date_range_para(range), [&](Lines lines) {
    return parse_grouped_bets(lines, GroupedKind::kSettledOutright, session.context.records_header_text,
                              records);
  });
}

Outcome fetch_statement(Session& session, const DateRange& range, std::vector<StatementEntry>& entries) {
  return query(session, 4011, date_range_para(range) + "|0",
               [&](Lines lines) { return parse_statement(lines, entries); });
}

Outcome fetch_seven_integer_list(Session& session, std::vector<SevenIntegerRow>& rows) {
  return query(session, 4037, {}, [&](Lines lines) { return parse_seven_integer_list(lines, rows); });
}

}  // namespace brindle::protocol
