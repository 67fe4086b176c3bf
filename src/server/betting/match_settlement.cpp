#include "server/betting/match_settlement.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "server/accounts/ledger.h"
#include "server/banker/banker_store.h"
#include "server/betting/bet_schema.h"
#include "server/betting/settlement.h"
#include "server/market/match_result.h"
#include "server/rooms/room_store.h"
#include "server/storage/timestamp.h"

namespace brindle::server::betting {
namespace {

using accounts::StatementType;
using storage::Connection;

// The market kind of an outright event's winner; its other kinds are side markets.
constexpr int kOutrightWinnerMarket = 2;

struct OpenLeg {
  std::int64_t bet = 0;
  int position = 0;
  bool outright = false;
  LegTerms terms;
};

StatementType statement_type_of(BetKind kind, int market_type) {
  if (kind == BetKind::parlay) return StatementType::parlay;
  if (kind == BetKind::outright) return StatementType::bet;
  switch (market_type) {
    case kMarketOneXTwo:
      return StatementType::one_x_two;
    case kMarketCorrectScore:
      return StatementType::correct_score;
    case kMarketOverUnder:
      return StatementType::over_under;
    case kMarketBasketballTotals:
      return StatementType::basketball_totals;
    case kMarketBasketballOddEven:
      return StatementType::basketball_odd_even;
    case kMarketInPlayHandicap:
      return StatementType::in_play;
    case kMarketInPlayOverUnder:
      return StatementType::in_play_over_under;
    default:
      return StatementType::bet;
  }
}

std::string serial_text(std::int64_t serial) {
  char text[24];
  std::snprintf(text, sizeof text, "%.10lld", static_cast<long long>(serial));
  return text;
}

Result<accounts::Currency> currency_of(Connection& connection, accounts::AccountId account) {
  auto statement = connection.prepare("SELECT currency FROM accounts WHERE id = ?1");
  if (!statement) return Result<accounts::Currency>::failure(statement.error());
  statement->bind(1, account);
  auto row = statement->step();
  if (!row) return Result<accounts::Currency>::failure(row.error());
  if (!row.value()) return Result<accounts::Currency>::failure(std::string(accounts::kNoSuchAccountText));
  return static_cast<accounts::Currency>(statement->column_int64(0));
}

// The room's star member earns his share of a settled bet's stake. Nothing for a bet that only got
// its stake back (a push, a void match), for his own bets, or across currencies, where an amount
// in one would be booked as the other.
Result<void> pay_commission(Connection& connection, std::int64_t bet, accounts::AccountId bettor,
                            std::int64_t room_number, int rate, Cents stake, Cents returned) {
  if (room_number == 0 || rate <= 0 || returned == stake) return {};
  const Cents amount = stake * rate / 10000;
  if (amount <= 0) return {};
  auto room = rooms::find_room(connection, room_number);
  if (!room) return Result<void>::failure(room.error());
  if (!room.value() || room.value()->owner == bettor) return {};
  const accounts::AccountId owner = room.value()->owner;
  auto bettor_currency = currency_of(connection, bettor);
  if (!bettor_currency) return Result<void>::failure(bettor_currency.error());
  auto owner_currency = currency_of(connection, owner);
  if (!owner_currency) return Result<void>::failure(owner_currency.error());
  if (bettor_currency.value() != owner_currency.value()) return {};
  auto booked = accounts::book(connection, owner, StatementType::star_commission, amount, serial_text(bet));
  if (!booked)
    return Result<void>::failure("commission for room " + std::to_string(room_number) + ": " +
                                 booked.error());
  return {};
}

// Pays out one bet whose legs are all settled, and the commission of a bet taken in a room.
Result<bool> close_bet(Connection& connection, std::int64_t bet) {
  using R = Result<bool>;
  auto head = connection.prepare(
      "SELECT account_id, kind, legs, mask, unit_stake, stake, room, commission_rate FROM bets"
      " WHERE id = ?1 AND status = 0");
  if (!head) return R::failure(head.error());
  head->bind(1, bet);
  auto found = head->step();
  if (!found) return R::failure(found.error());
  if (!found.value()) return false;
  const accounts::AccountId account = head->column_int64(0);
  const auto kind = static_cast<BetKind>(head->column_int64(1));
  const auto mask = static_cast<std::uint32_t>(head->column_int64(3));
  const Cents unit_stake = head->column_int64(4);
  const Cents stake = head->column_int64(5);
  const std::int64_t room = head->column_int64(6);
  const int commission_rate = static_cast<int>(head->column_int64(7));

  auto legs = connection.prepare(
      "SELECT outcome, price_milli, market_type FROM bet_legs WHERE bet_id = ?1 ORDER BY position");
  if (!legs) return R::failure(legs.error());
  legs->bind(1, bet);
  std::vector<SettledLeg> settled;
  int first_market = 0;
  for (;;) {
    auto row = legs->step();
    if (!row) return R::failure(row.error());
    if (!row.value()) break;
    if (legs->column_is_null(0)) return false;  // another match still to play
    if (settled.empty()) first_market = static_cast<int>(legs->column_int64(2));
    settled.push_back({static_cast<Outcome>(legs->column_int64(0)), legs->column_int64(1)});
  }
  const CombinationStake entry{mask, unit_stake};
  const Cents returned = returned_amount(settled, std::span(&entry, 1));
  auto paid = accounts::settle_stake(connection, account, stake, returned,
                                     statement_type_of(kind, first_market), serial_text(bet));
  if (!paid) return R::failure(paid.error());
  if (auto commission = pay_commission(connection, bet, account, room, commission_rate, stake, returned);
      !commission) {
    return R::failure(commission.error());
  }
  auto update =
      connection.prepare("UPDATE bets SET status = ?2, settled_at = ?3, returned = ?4 WHERE id = ?1");
  if (!update) return R::failure(update.error());
  update->bind(1, bet)
      .bind(2, static_cast<int>(BetStatus::settled))
      .bind(3, storage::now_unix_seconds())
      .bind(4, returned);
  if (auto ran = update->run(); !ran) return R::failure(ran.error());
  return true;
}

}  // namespace

Result<MatchSettlement> settle_match(Connection& connection, market::MatchId match) {
  using R = Result<MatchSettlement>;
  auto outcome = market::read_outcome(connection, match);
  if (!outcome) return R::failure(outcome.error());
  if (!outcome.value()) return MatchSettlement{};
  const market::MatchOutcome& decided = *outcome.value();

  // Nothing was frozen for them, so refusing them moves no money.
  auto refuse_pending = connection.prepare(
      "UPDATE bets SET status = ?2 WHERE status = ?3 AND id IN (SELECT bet_id FROM bet_legs WHERE match_id = "
      "?1)");
  if (!refuse_pending) return R::failure(refuse_pending.error());
  refuse_pending->bind(1, match)
      .bind(2, static_cast<int>(BetStatus::refused))
      .bind(3, static_cast<int>(BetStatus::pending));
  if (auto ran = refuse_pending->run(); !ran) return R::failure(ran.error());

  auto open_legs = connection.prepare(
      "SELECT l.bet_id, l.position, l.outright, l.market_type, l.line_code, l.line_kind, l.score_home, "
      "l.score_away"
      " FROM bet_legs l JOIN bets b ON b.id = l.bet_id"
      " WHERE l.match_id = ?1 AND l.outcome IS NULL AND b.status = 0 ORDER BY l.bet_id, l.position");
  if (!open_legs) return R::failure(open_legs.error());
  open_legs->bind(1, match);
  std::vector<OpenLeg> legs;
  for (;;) {
    auto row = open_legs->step();
    if (!row) return R::failure(row.error());
    if (!row.value()) break;
    OpenLeg leg;
    leg.bet = open_legs->column_int64(0);
    leg.position = static_cast<int>(open_legs->column_int64(1));
    leg.outright = open_legs->column_int64(2) != 0;
    leg.terms.market_type = static_cast<int>(open_legs->column_int64(3));
    leg.terms.line_code = static_cast<int>(open_legs->column_int64(4));
    leg.terms.choice = leg.terms.line_code;
    leg.terms.line_kind = static_cast<int>(open_legs->column_int64(5));
    leg.terms.at_bet = {static_cast<int>(open_legs->column_int64(6)),
                        static_cast<int>(open_legs->column_int64(7))};
    legs.push_back(leg);
  }

  const Score final_score{decided.result.home, decided.result.away};
  const std::string score_text = std::to_string(final_score.home) + ":" + std::to_string(final_score.away);
  for (const auto& leg : legs) {
    Outcome result = Outcome::kCancelled;
    std::string shown = score_text;
    if (leg.outright) {
      // An event decided without a winner among its selections returns every stake, and so do the
      // basketball side markets: the result of an event names only its winning place.
      if (decided.winning_place && leg.terms.market_type == kOutrightWinnerMarket)
        result = *decided.winning_place == leg.terms.line_code ? Outcome::kWin : Outcome::kLose;
      shown = decided.winning_place ? std::to_string(*decided.winning_place) : "";
    } else if (auto settled = settle_leg(leg.terms, final_score); settled) {
      result = settled.value();
    }
    auto update = connection.prepare(
        "UPDATE bet_legs SET outcome = ?3, final_score = ?4 WHERE bet_id = ?1 AND position = ?2");
    if (!update) return R::failure(update.error());
    update->bind(1, leg.bet).bind(2, leg.position).bind(3, static_cast<int>(result)).bind(4, shown);
    if (auto ran = update->run(); !ran) return R::failure(ran.error());
  }

  // Every accepted bet on the match, not only those decided now: bets held back by an earlier run
  // have no open leg left and are tried again here.
  auto accepted = connection.prepare(
      "SELECT DISTINCT b.id, b.account_id FROM bets b JOIN bet_legs l ON l.bet_id = b.id"
      " WHERE l.match_id = ?1 AND b.status = ?2 ORDER BY b.id");
  if (!accepted) return R::failure(accepted.error());
  accepted->bind(1, match).bind(2, static_cast<int>(BetStatus::accepted));
  std::vector<std::pair<std::int64_t, accounts::AccountId>> bets;
  for (;;) {
    auto row = accepted->step();
    if (!row) return R::failure(row.error());
    if (!row.value()) break;
    bets.emplace_back(accepted->column_int64(0), accepted->column_int64(1));
  }

  MatchSettlement settlement;
  for (const auto& [bet, account] : bets) {
    if (auto begun = connection.execute_script("SAVEPOINT close_bet"); !begun)
      return R::failure(begun.error());
    auto done = close_bet(connection, bet);
    if (auto ended = connection.execute_script(done ? "RELEASE close_bet"
                                                    : "ROLLBACK TO close_bet; RELEASE close_bet");
        !ended) {
      return R::failure(ended.error());
    }
    if (!done) {
      settlement.held.push_back({bet, account, done.error()});
    } else if (done.value()) {
      ++settlement.settled;
    }
  }
  // Markets opened by bankers on the match settle with it, in the same transaction.
  auto markets = banker::settle_markets(connection, match, final_score.home, final_score.away,
                                        storage::now_unix_seconds());
  if (!markets) return R::failure(markets.error());
  return settlement;
}

Result<MatchSettlement> settle_match(storage::Database& db, market::MatchId match) {
  return db.transaction([match](Connection& connection) { return settle_match(connection, match); });
}

market::MatchFinishedHandler match_settler(std::weak_ptr<storage::Database> db) {
  return match_settler(std::move(db), std::cerr);
}

market::MatchFinishedHandler match_settler(std::weak_ptr<storage::Database> db, std::ostream& log) {
  // What was last written about each held bet, so a bet retried every pass is logged once per reason.
  struct Reported {
    std::mutex mutex;
    std::map<std::int64_t, std::pair<market::MatchId, std::string>> bets;
  };
  auto reported = std::make_shared<Reported>();
  return [db = std::move(db), &log, reported](market::MatchId match) -> Result<void> {
    auto database = db.lock();
    if (!database) return Result<void>::failure("database closed");
    auto settled = settle_match(*database, match);
    if (!settled) return Result<void>::failure(settled.error());
    const auto& held = settled->held;
    std::lock_guard lock(reported->mutex);
    for (auto it = reported->bets.begin(); it != reported->bets.end();) {
      const bool still_held =
          std::any_of(held.begin(), held.end(), [&](const HeldBet& h) { return h.serial == it->first; });
      if (it->second.first != match || still_held) {
        ++it;
        continue;
      }
      log << "settlement: bet " << serial_text(it->first) << " on match " << match
          << " is no longer held back\n";
      it = reported->bets.erase(it);
    }
    for (const auto& bet : held) {
      // A parlay is retried by each of its matches whose notice is queued; one line serves them all.
      const auto last = reported->bets.find(bet.serial);
      if (last != reported->bets.end() && last->second.second == bet.reason) continue;
      reported->bets[bet.serial] = {match, bet.reason};
      log << "settlement: bet " << serial_text(bet.serial) << " of account " << bet.account << " on match "
          << match << " left unsettled, retried on every pass: " << bet.reason << '\n';
    }
    log.flush();
    if (held.empty()) return {};
    return Result<void>::failure("match " + std::to_string(match) + ": " + std::to_string(held.size()) +
                                 " bet(s) left unsettled");
  };
}

}  // namespace brindle::server::betting
