#include "server/betting/bet_handlers.h"

#include <charconv>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "server/betting/bet_records.h"
#include "server/betting/bet_taking.h"
#include "server/betting/daily_activity.h"
#include "server/betting/match_settlement.h"
#include "server/http/para_fields.h"
#include "server/market/market.h"
#include "server/operations/log.h"
#include "server/storage/money.h"
#include "server/storage/timestamp.h"
#include "wire/records/bet_records.h"

namespace brindle::server {
namespace {

constexpr int kPlaceBets = 3010;
constexpr int kInPlayDelay = 3016;
constexpr int kInPlayFollowUp = 3018;
constexpr int kInPlayBet = 3020;
constexpr int kInPlayConfirm = 3022;
constexpr int kPlaceOutrightBets = 3050;
constexpr int kSettledSingles = 4015;
constexpr int kUnsettledParlays = 4029;
constexpr int kSettledParlays = 4030;
constexpr int kUnsettledOutrights = 4050;
constexpr int kSettledOutrights = 4051;
constexpr int kUnsettledSingles = 4054;
constexpr int kDailyActivity = 4037;
constexpr int kDailyActivityDays = 7;

constexpr std::string_view kBetAcceptedText = "投注成功！";
constexpr std::string_view kBetPendingText = "投注已提交，等待确认。";
constexpr std::string_view kDelayText = "请稍候，注单正在确认。";
constexpr std::string_view kNotSignedInText = "请先登陆！";

using storage::money_text;

// Failures of the database reach the client as the generic server error, never in SQLite's words.
Reply refusal(const std::string& text) {
  if (text == betting::kInternalErrorText || storage::is_database_failure(text) ||
      text.find("SQL") != std::string::npos) {
    operations::log::error("bet request failed: " + text);
    return Reply::failure(kResultServerError, std::string(kServerErrorText));
  }
  return Reply::failure(kResultRefused, text);
}

struct Context {
  std::shared_ptr<storage::Database> db;
  std::shared_ptr<market::Market> market;
  int room_commission_basis_points = 0;
};

using Handler = Reply (*)(const Context&, const SubjectRequest&, const accounts::AuthenticatedAccount&);

Reply place_bets(const Context& c, const SubjectRequest& r, const accounts::AuthenticatedAccount& a,
                 betting::BetForm form) {
  auto request = betting::parse_bet_form(r.form.credentials->para);
  if (!request) return refusal(request.error());
  auto taken = betting::take_bets(*c.db, *c.market, a, request.value(), form, c.room_commission_basis_points);
  if (!taken) return refusal(taken.error());
  return Reply::success(std::string(kBetAcceptedText),
                        {money_text(taken->balances.available), money_text(taken->balances.frozen)});
}

Reply place_match_bets(const Context& c, const SubjectRequest& r, const accounts::AuthenticatedAccount& a) {
  return place_bets(c, r, a, betting::BetForm::matches);
}

Reply place_outright_bets(const Context& c, const SubjectRequest& r,
                          const accounts::AuthenticatedAccount& a) {
  return place_bets(c, r, a, betting::BetForm::outright);
}

// "match|type" of 3016 and 3022.
bool match_and_type(const SubjectRequest& r, market::MatchId& match, int& type) {
  const auto fields = split_para(r.form.credentials->para);
  return fields.size() == 2 && parse_int(fields[0], match) && parse_int(fields[1], type);
}

Reply in_play_delay(const Context& c, const SubjectRequest& r, const accounts::AuthenticatedAccount&) {
  market::MatchId match = 0;
  int type = 0;
  if (!match_and_type(r, match, type)) return refusal(std::string(betting::kMalformedBetText));
  if (type != static_cast<int>(market::MarketType::in_play_handicap) &&
      type != static_cast<int>(market::MarketType::in_play_over_under)) {
    return refusal(std::string(betting::kNotInPlayLineText));
  }
  const auto delay = c.market->acceptance_delay(match, static_cast<market::MarketType>(type));
  if (!delay) return refusal(std::string(market::kNotInPlayText));
  return Reply::success(std::string(kDelayText), {std::to_string(*delay)});
}

Reply in_play_bet(const Context& c, const SubjectRequest& r, const accounts::AuthenticatedAccount& a) {
  auto request = betting::parse_in_play_form(r.form.credentials->para);
  if (!request) return refusal(request.error());
  auto taken = betting::take_in_play_bet(*c.db, *c.market, a, request.value());
  if (!taken) return refusal(taken.error());
  const bool pending = taken->status == betting::BetStatus::pending;
  return Reply::success(std::string(pending ? kBetPendingText : kBetAcceptedText),
                        {money_text(taken->balances.available), money_text(taken->balances.frozen),
                         std::to_string(taken->serial)});
}

Reply in_play_confirm(const Context& c, const SubjectRequest& r, const accounts::AuthenticatedAccount& a) {
  market::MatchId match = 0;
  int type = 0;
  if (!match_and_type(r, match, type)) return refusal(std::string(betting::kMalformedBetText));
  auto status = betting::confirm_in_play_bets(*c.db, a.id, match, type);
  if (!status) return refusal(status.error());
  return Reply::success("", {std::to_string(static_cast<int>(status.value()))});
}

Reply in_play_follow_up(const Context& c, const SubjectRequest& r, const accounts::AuthenticatedAccount& a) {
  const auto fields = split_para(r.form.credentials->para);
  std::int64_t serial = 0;
  if (fields.size() != 3 || !parse_int(fields[0], serial))
    return refusal(std::string(betting::kMalformedBetText));
  auto status = betting::complete_in_play_bet(*c.db, a.id, serial);
  if (!status) return refusal(status.error());
  return Reply::success("", {std::to_string(static_cast<int>(status.value()))});
}

Reply records_reply(Result<betting::RecordLines> records, bool summary) {
  if (!records) return refusal(records.error());
  Reply reply = Reply::success(
      "", summary ? brindle::records::to_fields(brindle::records::RecordsHeader{records->summary})
                  : std::vector<std::string>{});
  for (auto& line : records->lines) reply.add_row(std::move(line));
  return reply;
}

// "start|end" in "%Y%m%d%H%M%S".
std::optional<std::pair<std::int64_t, std::int64_t>> date_range(const SubjectRequest& r, std::string& error) {
  const auto range = parse_date_range(r.form.credentials->para);
  if (!range) {
    error = range.error();
    return std::nullopt;
  }
  return std::pair{range->from, range->to};
}

Reply unsettled_singles(const Context& c, const SubjectRequest&, const accounts::AuthenticatedAccount& a) {
  return records_reply(
      c.db->read([&](storage::Connection& k) { return betting::unsettled_singles(k, a.id); }), false);
}

Reply settled_singles(const Context& c, const SubjectRequest& r, const accounts::AuthenticatedAccount& a) {
  std::string error;
  const auto range = date_range(r, error);
  if (!range) return refusal(error);
  return records_reply(c.db->read([&](storage::Connection& k) {
    return betting::settled_singles(k, a.id, range->first, range->second);
  }),
                       true);
}

Reply grouped(const Context& c, const SubjectRequest& r, const accounts::AuthenticatedAccount& a,
              betting::BetKind kind, bool settled) {
  std::pair<std::int64_t, std::int64_t> span{0, 0};
  if (settled) {
    std::string error;
    const auto range = date_range(r, error);
    if (!range) return refusal(error);
    span = *range;
  }
  return records_reply(c.db->read([&](storage::Connection& k) {
    return betting::grouped_records(k, a.id, kind, settled, span.first, span.second);
  }),
                       true);
}

Reply unsettled_parlays(const Context& c, const SubjectRequest& r, const accounts::AuthenticatedAccount& a) {
  return grouped(c, r, a, betting::BetKind::parlay, false);
}
Reply settled_parlays(const Context& c, const SubjectRequest& r, const accounts::AuthenticatedAccount& a) {
  return grouped(c, r, a, betting::BetKind::parlay, true);
}
Reply unsettled_outrights(const Context& c, const SubjectRequest& r,
                          const accounts::AuthenticatedAccount& a) {
  return grouped(c, r, a, betting::BetKind::outright, false);
}
Reply settled_outrights(const Context& c, const SubjectRequest& r, const accounts::AuthenticatedAccount& a) {
  return grouped(c, r, a, betting::BetKind::outright, true);
}

// The records menu's seven-column list: one row per day of the last week, newest first.
Reply daily_activity(const Context& c, const SubjectRequest&, const accounts::AuthenticatedAccount& a) {
  auto days = c.db->read([&](storage::Connection& k) {
    return betting::daily_activity(k, a.id, storage::now_unix_seconds(), kDailyActivityDays);
  });
  if (!days) return refusal(days.error());
  Reply reply = Reply::success("");
  for (const auto& day : days.value()) {
    std::vector<std::string> row;
    for (const int value : day.columns()) row.push_back(std::to_string(value));
    reply.add_row(std::move(row));
  }
  return reply;
}

}  // namespace

Result<void> add_bet_handlers(Dispatcher& dispatcher, const ServerServices& services) {
  if (!services.db || !services.market)
    return Result<void>::failure("bet handlers need the database and the market");
  const Context context{services.db, services.market,
                        services.config ? services.config->room_commission_basis_points : 0};
  const std::pair<int, Handler> table[] = {
      {kPlaceBets, place_match_bets},
      {kPlaceOutrightBets, place_outright_bets},
      {kInPlayDelay, in_play_delay},
      {kInPlayBet, in_play_bet},
      {kInPlayConfirm, in_play_confirm},
      {kInPlayFollowUp, in_play_follow_up},
      {kUnsettledSingles, unsettled_singles},
      {kSettledSingles, settled_singles},
      {kUnsettledParlays, unsettled_parlays},
      {kSettledParlays, settled_parlays},
      {kUnsettledOutrights, unsettled_outrights},
      {kSettledOutrights, settled_outrights},
      {kDailyActivity, daily_activity},
  };
  for (const auto& [subject, handler] : table) {
    auto added = dispatcher.add(subject, [context, handler](const SubjectRequest& request) -> Reply {
      if (!request.account || !request.form.credentials) {
        return Reply::failure(kResultRefused, std::string(kNotSignedInText));
      }
      return handler(context, request, *request.account);
    });
    if (!added) return added;
  }
  return {};
}

void settle_bets_on_finished_matches(const ServerServices& services) {
  if (!services.market || !services.db) return;
  services.market->set_on_match_finished(betting::match_settler(services.db));
}

}  // namespace brindle::server
