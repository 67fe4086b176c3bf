#include "server/banker/banker_handlers.h"

#include <charconv>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "server/banker/banker_store.h"
#include "server/http/para_fields.h"
#include "server/operations/log.h"
#include "server/storage/money.h"
#include "server/storage/timestamp.h"
#include "wire/records/bet_records.h"

namespace brindle::server {
namespace {

constexpr int kCancelMarket = 2014;
constexpr int kOpenMarket = 3008;
constexpr int kTakeOffer = 3009;
constexpr int kOpenableMatches = 4016;
constexpr int kOpenOffers = 4017;
constexpr int kUnsettledTakerRecords = 4018;
constexpr int kSettledTakerRecords = 4019;
constexpr int kUnsettledBankerRecords = 4020;
constexpr int kSettledBankerRecords = 4021;
constexpr int kSuggestedPrices = 4032;

constexpr std::string_view kNotSignedInText = "请先登陆！";
constexpr std::string_view kBadNumberText = "请求数据不正确！";

using storage::money_text;

// Failures of the database reach the client as the generic server error, never in SQLite's words.
Reply refusal(const std::string& text) {
  if (storage::is_database_failure(text) || text.find("SQL") != std::string::npos ||
      text.rfind("cannot ", 0) == 0) {
    operations::log::error("banker request failed: " + text);
    return Reply::failure(kResultServerError, std::string(kServerErrorText));
  }
  return Reply::failure(kResultRefused, text);
}

std::string serial_text(std::int64_t serial) {
  char text[24];
  std::snprintf(text, sizeof text, "%.10lld", static_cast<long long>(serial));
  return text;
}

Reply rows_reply(Result<banker::Rows> rows, bool summary) {
  if (!rows) return refusal(rows.error());
  Reply reply =
      Reply::success("", summary ? records::to_fields(records::RecordsHeader{}) : std::vector<std::string>{});
  for (auto& row : rows.value()) reply.add_row(std::move(row));
  return reply;
}

using Db = std::shared_ptr<storage::Database>;
using Handler = Reply (*)(const Db&, const SubjectRequest&, const accounts::AuthenticatedAccount&);

const std::string& para(const SubjectRequest& r) { return r.form.credentials->para; }

Reply openable_matches(const Db& db, const SubjectRequest& r, const accounts::AuthenticatedAccount&) {
  int code = 0;
  if (!parse_int(para(r), code)) return refusal(std::string(kBadNumberText));
  return rows_reply(db->read([&](storage::Connection& c) { return banker::openable_matches(c, code); }),
                    false);
}

Reply suggested_prices(const Db& db, const SubjectRequest& r, const accounts::AuthenticatedAccount&) {
  std::int64_t openable = 0;
  if (!parse_int(para(r), openable)) return refusal(std::string(kBadNumberText));
  // A write: the first request of a match fixes its suggestions.
  return rows_reply(
      db->transaction([&](storage::Connection& c) { return banker::suggested_prices(c, openable); }), false);
}

Reply open_offers(const Db& db, const SubjectRequest& r, const accounts::AuthenticatedAccount&) {
  int code = 0;
  if (!parse_int(para(r), code)) return refusal(std::string(kBadNumberText));
  return rows_reply(db->read([&](storage::Connection& c) { return banker::open_offers(c, code); }), false);
}

Reply open_market(const Db& db, const SubjectRequest& r, const accounts::AuthenticatedAccount& a) {
  auto form = banker::parse_offer_form(para(r));
  if (!form) return refusal(form.error());
  auto opened = db->transaction([&](storage::Connection& c) {
    return banker::open_market(c, a, form.value(), storage::now_unix_seconds());
  });
  if (!opened) return refusal(opened.error());
  return Reply::success(std::string(banker::kOpenedText), {serial_text(opened->market)});
}

Reply take_offer(const Db& db, const SubjectRequest& r, const accounts::AuthenticatedAccount& a) {
  const auto fields = split_para(para(r));
  std::int64_t offer = 0;
  std::int64_t stake = 0;
  if (fields.size() != 2 || !parse_int(fields[0], offer) || !parse_int(fields[1], stake))
    return refusal(std::string(kBadNumberText));
  auto taken = db->transaction([&](storage::Connection& c) {
    return banker::take_offer(c, a, offer, stake, storage::now_unix_seconds());
  });
  if (!taken) return refusal(taken.error());
  return Reply::success(
      std::string(banker::kBetTakenText),
      {money_text(taken->balances.available), money_text(taken->balances.frozen), serial_text(taken->bet)});
}

Reply cancel_market(const Db& db, const SubjectRequest& r, const accounts::AuthenticatedAccount& a) {
  std::int64_t market = 0;
  if (!parse_int(para(r), market)) return refusal(std::string(kBadNumberText));
  auto refunded =
      db->transaction([&](storage::Connection& c) { return banker::cancel_market(c, a.id, market); });
  if (!refunded) return refusal(refunded.error());
  return Reply::success(std::string(banker::kCancelledText) + "退回彩金" + money_text(refunded.value()), {});
}

Reply records(const Db& db, const SubjectRequest& r, const accounts::AuthenticatedAccount& a, bool as_banker,
              bool settled) {
  std::int64_t from = 0;
  std::int64_t to = 0;
  if (settled) {
    const auto range = parse_date_range(para(r));
    if (!range) return refusal(range.error());
    from = range->from;
    to = range->to;
  }
  return rows_reply(db->read([&](storage::Connection& c) {
    return as_banker ? banker::banker_records(c, a.id, settled, from, to)
                     : banker::taker_records(c, a.id, settled, from, to);
  }),
                    true);
}

Reply unsettled_taker(const Db& db, const SubjectRequest& r, const accounts::AuthenticatedAccount& a) {
  return records(db, r, a, false, false);
}
Reply settled_taker(const Db& db, const SubjectRequest& r, const accounts::AuthenticatedAccount& a) {
  return records(db, r, a, false, true);
}
Reply unsettled_banker(const Db& db, const SubjectRequest& r, const accounts::AuthenticatedAccount& a) {
  return records(db, r, a, true, false);
}
Reply settled_banker(const Db& db, const SubjectRequest& r, const accounts::AuthenticatedAccount& a) {
  return records(db, r, a, true, true);
}

}  // namespace

Result<void> add_banker_handlers(Dispatcher& dispatcher, const ServerServices& services) {
  if (!services.db) return Result<void>::failure("banker handlers need the database");
  const Db db = services.db;
  const std::pair<int, Handler> table[] = {
      {kOpenableMatches, openable_matches},
      {kSuggestedPrices, suggested_prices},
      {kOpenOffers, open_offers},
      {kOpenMarket, open_market},
      {kTakeOffer, take_offer},
      {kCancelMarket, cancel_market},
      {kUnsettledTakerRecords, unsettled_taker},
      {kSettledTakerRecords, settled_taker},
      {kUnsettledBankerRecords, unsettled_banker},
      {kSettledBankerRecords, settled_banker},
  };
  for (const auto& [subject, handler] : table) {
    auto added = dispatcher.add(subject, [db, handler](const SubjectRequest& request) -> Reply {
      if (!request.account || !request.form.credentials) {
        return Reply::failure(kResultRefused, std::string(kNotSignedInText));
      }
      return handler(db, request, *request.account);
    });
    if (!added) return added;
  }
  return {};
}

}  // namespace brindle::server
