#include "server/betting/bet_taking.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <utility>

#include "server/market/market_store.h"
#include "server/rooms/room_store.h"
#include "server/storage/inserted_id.h"
#include "server/storage/money.h"
#include "server/storage/timestamp.h"

namespace brindle::server::betting {
namespace {

using storage::Connection;

constexpr std::size_t kSelectionWidth = 10;
constexpr std::size_t kPriceWidth = 8;
constexpr std::size_t kMaskWidth = 8;
constexpr std::size_t kStakeWidth = 6;
constexpr std::size_t kMaxEntries = 32;

template <typename T>
Result<T> refuse(std::string_view text) {
  return Result<T>::failure(std::string(text));
}

std::vector<std::string_view> split_para(std::string_view para) {
  std::vector<std::string_view> fields;
  for (;;) {
    const auto bar = para.find('|');
    fields.push_back(para.substr(0, bar));
    if (bar == std::string_view::npos) return fields;
    para.remove_prefix(bar + 1);
  }
}

bool all_digits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

template <typename T>
std::optional<T> parse_number(std::string_view text) {
  if (!all_digits(text)) return std::nullopt;
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// The fixed-width numbers of one list field, or nothing when its length or digits are wrong.
template <typename T>
std::optional<std::vector<T>> parse_list(std::string_view text, std::size_t count, std::size_t width) {
  if (text.size() != count * width) return std::nullopt;
  std::vector<T> values;
  for (std::size_t i = 0; i < count; ++i) {
    auto value = parse_number<T>(text.substr(i * width, width));
    if (!value) return std::nullopt;
    values.push_back(*value);
  }
  return values;
}

// "0.950000" to 950: the client prints the price it showed with six decimals, rounded here to the
// thousandths that lines are priced in.
std::optional<int> parse_price_milli(std::string_view text) {
  const auto dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  std::string_view fraction = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
  if (whole.size() > 6 || !all_digits(whole) || fraction.size() > 6) return std::nullopt;
  if (!fraction.empty() && !all_digits(fraction)) return std::nullopt;
  if (dot != std::string_view::npos && fraction.empty()) return std::nullopt;
  std::string micro(fraction);
  micro.resize(6, '0');
  const auto w = parse_number<std::int64_t>(whole);
  const auto f = parse_number<std::int64_t>(micro);
  if (!w || !f) return std::nullopt;
  const std::int64_t milli = *w * 1000 + (*f + 500) / 1000;
  if (milli <= 0 || milli > 10'000'000) return std::nullopt;
  return static_cast<int>(milli);
}

Result<void> check_account(const accounts::AuthenticatedAccount& account) {
  if (account.frozen) return Result<void>::failure(std::string(accounts::kAccountFrozenText));
  if (account.currency == accounts::Currency::none) {
    return Result<void>::failure(std::string(accounts::kNoCurrencyText));
  }
  return {};
}

// The names a leg is recorded with, from the snapshot (the quote inside the transaction decides
// whether it may be bet; names never change once a match is listed).
struct LegNames {
  std::string league;
  std::string home;
  std::string away;
  bool in_parlay_list = false;
};

std::optional<LegNames> names_of(const market::MarketSnapshot& snapshot, market::SelectionId id) {
  if (const auto* line = snapshot.find_line(id)) {
    const auto* match = snapshot.find_match(line->match_id);
    if (match == nullptr) return std::nullopt;
    return LegNames{match->league_name, match->home, match->away, match->in_parlay_list};
  }
  if (const auto* selection = snapshot.find_outright_selection(id)) {
    const auto* event = snapshot.find_event(selection->event_id);
    if (event == nullptr) return std::nullopt;
    // The records show the event as the match: "本赛季冠军" alone would not say of which league.
    std::string event_name = event->name;
    if (!event->competition.empty() && !event_name.starts_with(event->competition)) {
      event_name = event->competition + " " + event_name;
    }
    return LegNames{event->competition, std::move(event_name), selection->name, false};
  }
  return std::nullopt;
}

struct Leg {
  market::Quote quote;
  LegNames names;
};

Result<std::int64_t> insert_bet(Connection& connection, accounts::AccountId account, BetKind kind,
                                BetStatus status, int legs, std::uint32_t mask, Cents unit_stake, Cents stake,
                                int room, std::optional<std::int64_t> due_at, int commission_rate = 0) {
  auto statement = connection.prepare(
      "INSERT INTO bets (account_id, kind, status, legs, mask, unit_stake, stake, room, placed_at, due_at,"
      " commission_rate) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11) RETURNING id");
  if (!statement) return Result<std::int64_t>::failure(statement.error());
  statement->bind(1, account)
      .bind(2, static_cast<int>(kind))
      .bind(3, static_cast<int>(status))
      .bind(4, legs)
      .bind(5, static_cast<std::int64_t>(mask))
      .bind(6, unit_stake)
      .bind(7, stake)
      .bind(8, room)
      .bind(9, storage::now_unix_seconds())
      .bind(11, commission_rate);
  if (due_at) {
    statement->bind(10, *due_at);
  } else {
    statement->bind(10, nullptr);
  }
  return inserted_id(statement.value());
}

Result<void> insert_leg(Connection& connection, std::int64_t bet, int position, const Leg& leg) {
  auto statement = connection.prepare(
      "INSERT INTO bet_legs (bet_id, position, selection_id, match_id, outright, market_type, line_code,"
      " line_kind, price_milli, score_home, score_away, league, home, away)"
      " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)");
  if (!statement) return Result<void>::failure(statement.error());
  const auto& q = leg.quote;
  statement->bind(1, bet)
      .bind(2, position)
      .bind(3, q.selection_id)
      .bind(4, q.match_id)
      .bind(5, q.outright ? 1 : 0)
      .bind(6, static_cast<int>(q.type))
      .bind(7, q.line_code)
      .bind(8, q.line_kind)
      .bind(9, q.price_milli)
      .bind(10, q.score.home)
      .bind(11, q.score.away)
      .bind(12, leg.names.league)
      .bind(13, leg.names.home)
      .bind(14, leg.names.away);
  return statement->run();
}

LegTerms terms_of(const market::Quote& quote) {
  return LegTerms{static_cast<int>(quote.type), quote.line_code, quote.line_code, quote.line_kind,
                  Score{quote.score.home, quote.score.away}};
}

// Settlement refuses to return more than kMaxAmount for one bet, so a bet that could win more is
// refused here, while no money has moved, instead of sticking when it wins.
bool return_within_limit(std::span<const std::int64_t> prices_milli, const CombinationStake& stake) {
  return highest_return(prices_milli, stake) <= storage::kMaxAmount;
}

// A quote that the client may bet on now at the price it showed.
Result<market::Quote> current_quote(Connection& connection, market::SelectionId id, int price_milli) {
  auto quote = market::read_quote(connection, id);
  if (!quote) return Result<market::Quote>::failure(quote.error());
  if (!quote.value()) return refuse<market::Quote>(kUnknownSelectionText);
  const market::Quote& q = *quote.value();
  if (!q.open) return Result<market::Quote>::failure(q.closed_text);
  if (q.price_milli != price_milli) return refuse<market::Quote>(kOddsChangedText);
  return q;
}

}  // namespace

Result<BetRequest> parse_bet_form(std::string_view para) {
  const auto fields = split_para(para);
  if (fields.size() != 7) return refuse<BetRequest>(kMalformedBetText);
  const auto count = parse_number<int>(fields[0]);
  if (!count) return refuse<BetRequest>(kMalformedBetText);
  if (*count == 0) return refuse<BetRequest>(kNoSelectionText);
  if (*count > kMaxSelections) return refuse<BetRequest>(kTooManySelectionsText);
  const auto n = static_cast<std::size_t>(*count);
  auto selections = parse_list<market::SelectionId>(fields[1], n, kSelectionWidth);
  auto prices = parse_list<int>(fields[2], n, kPriceWidth);
  const auto entries = parse_number<int>(fields[3]);
  if (!selections || !prices || !entries) return refuse<BetRequest>(kMalformedBetText);
  if (*entries == 0) return refuse<BetRequest>(accounts::kBadStakeText);
  if (static_cast<std::size_t>(*entries) > kMaxEntries) return refuse<BetRequest>(kBadCombinationText);
  const auto m = static_cast<std::size_t>(*entries);
  auto masks = parse_list<std::uint32_t>(fields[4], m, kMaskWidth);
  auto stakes = parse_list<std::int64_t>(fields[5], m, kStakeWidth);
  const auto room = parse_number<int>(fields[6]);
  if (!masks || !stakes || !room) return refuse<BetRequest>(kMalformedBetText);

  BetRequest request;
  request.selections = std::move(*selections);
  request.prices_milli = std::move(*prices);
  request.room = *room;
  std::set<std::uint32_t> seen_masks;
  for (std::size_t i = 0; i < m; ++i) {
    const std::uint32_t mask = (*masks)[i];
    // Bits above the number of selections would name combinations that do not exist.
    if (mask == 0 || mask >= (1U << n) || !seen_masks.insert(mask).second) {
      return refuse<BetRequest>(kBadCombinationText);
    }
    if ((*stakes)[i] <= 0) return refuse<BetRequest>(accounts::kBadStakeText);
    request.entries.push_back({mask, (*stakes)[i] * 100});
  }
  for (int price : request.prices_milli) {
    if (price <= 0) return refuse<BetRequest>(kOddsChangedText);
  }
  return request;
}

Result<BetsTaken> take_bets(storage::Database& db, const market::Market& market,
                            const accounts::AuthenticatedAccount& account, const BetRequest& request,
                            BetForm form, int room_commission_basis_points) {
  if (auto ok = check_account(account); !ok) return Result<BetsTaken>::failure(ok.error());
  const std::size_t n = request.selections.size();
  if (n == 0) return refuse<BetsTaken>(kNoSelectionText);
  if (n > kMaxSelections) return refuse<BetsTaken>(kTooManySelectionsText);
  if (request.prices_milli.size() != n || request.entries.empty())
    return refuse<BetsTaken>(kMalformedBetText);
  // Several outright selections are singles each; combining them would bet on one event twice.
  if (form == BetForm::outright && (request.entries.size() != 1 || request.entries[0].mask != 1)) {
    return refuse<BetsTaken>(kBadCombinationText);
  }
  const BetKind kind = form == BetForm::outright ? BetKind::outright
                       : n == 1                  ? BetKind::single
                                                 : BetKind::parlay;

  std::vector<Leg> legs;
  const auto snapshot = market.snapshot();
  for (std::size_t i = 0; i < n; ++i) {
    auto names = snapshot ? names_of(*snapshot, request.selections[i]) : std::nullopt;
    if (!names) return refuse<BetsTaken>(kUnknownSelectionText);
    legs.push_back({market::Quote{}, std::move(*names)});
  }

  return db.transaction([&](Connection& connection) -> Result<BetsTaken> {
    // The room number is the client's word: only a room that exists takes bets.
    int commission_rate = 0;
    if (request.room != 0) {
      auto room = rooms::find_room(connection, request.room);
      if (!room) return Result<BetsTaken>::failure(room.error());
      if (!room.value()) return refuse<BetsTaken>(rooms::kNoSuchRoomText);
      commission_rate = room_commission_basis_points;
    }
    std::set<market::MatchId> matches;
    std::set<market::SelectionId> selections;
    for (std::size_t i = 0; i < n; ++i) {
      auto quote = current_quote(connection, request.selections[i], request.prices_milli[i]);
      if (!quote) return Result<BetsTaken>::failure(quote.error());
      const market::Quote& q = quote.value();
      if (form == BetForm::outright && !q.outright) return refuse<BetsTaken>(kNotOutrightText);
      if (form == BetForm::matches && q.outright) return refuse<BetsTaken>(kUseOutrightTicketText);
      if (market::is_in_play(q.type)) return refuse<BetsTaken>(kUseInPlayTicketText);
      if (!q.outright) {
        if (auto terms = check_terms(terms_of(q)); !terms) return Result<BetsTaken>::failure(terms.error());
      }
      if (kind == BetKind::parlay) {
        if (!matches.insert(q.match_id).second) return refuse<BetsTaken>(kSameMatchText);
        if (!legs[i].names.in_parlay_list) return refuse<BetsTaken>(kNotInParlayText);
      }
      if (!selections.insert(q.selection_id).second) return refuse<BetsTaken>(kSameMatchText);
      legs[i].quote = q;
    }
    std::vector<std::int64_t> prices;
    for (const auto& leg : legs) prices.push_back(leg.quote.price_milli);
    for (const auto& entry : request.entries) {
      if (!return_within_limit(prices, entry)) return refuse<BetsTaken>(kReturnTooLargeText);
    }

    BetsTaken taken;
    for (const auto& entry : request.entries) {
      const Cents stake = combination_count(static_cast<int>(n), entry.mask) * entry.stake;
      auto frozen = accounts::freeze_stake(connection, account.id, stake);
      if (!frozen) return Result<BetsTaken>::failure(frozen.error());
      taken.balances = frozen.value();
      auto bet = insert_bet(connection, account.id, kind, BetStatus::accepted, static_cast<int>(n),
                            entry.mask, entry.stake, stake, request.room, std::nullopt, commission_rate);
      if (!bet) return Result<BetsTaken>::failure(bet.error());
      for (std::size_t i = 0; i < n; ++i) {
        if (auto leg = insert_leg(connection, bet.value(), static_cast<int>(i), legs[i]); !leg) {
          return Result<BetsTaken>::failure(leg.error());
        }
      }
      taken.serials.push_back(bet.value());
    }
    return taken;
  });
}

Result<InPlayRequest> parse_in_play_form(std::string_view para) {
  const auto fields = split_para(para);
  if (fields.size() != 4) return refuse<InPlayRequest>(kMalformedBetText);
  InPlayRequest request;
  const auto selection = parse_number<market::SelectionId>(fields[0]);
  const auto price = parse_price_milli(fields[1]);
  const auto mode = parse_number<int>(fields[3]);
  if (!selection || !mode || (*mode != 0 && *mode != 2)) return refuse<InPlayRequest>(kMalformedBetText);
  if (!price) return refuse<InPlayRequest>(kOddsChangedText);
  auto stake = storage::parse_amount(fields[2]);
  if (!stake || stake.value() <= 0) return refuse<InPlayRequest>(accounts::kBadStakeText);
  request.selection = *selection;
  request.price_milli = *price;
  request.stake = stake.value();
  request.mode = *mode;
  return request;
}

Result<InPlayTaken> take_in_play_bet(storage::Database& db, const market::Market& market,
                                     const accounts::AuthenticatedAccount& account,
                                     const InPlayRequest& request, const InTransaction& also) {
  if (auto ok = check_account(account); !ok) return Result<InPlayTaken>::failure(ok.error());
  const auto snapshot = market.snapshot();
  auto names = snapshot ? names_of(*snapshot, request.selection) : std::nullopt;
  if (!names) return refuse<InPlayTaken>(kUnknownSelectionText);

  return db.transaction([&](Connection& connection) -> Result<InPlayTaken> {
    if (also) {
      if (auto done = also(connection); !done) return Result<InPlayTaken>::failure(done.error());
    }
    auto quote = current_quote(connection, request.selection, request.price_milli);
    if (!quote) return Result<InPlayTaken>::failure(quote.error());
    const market::Quote& q = quote.value();
    if (q.outright || !market::is_in_play(q.type)) return refuse<InPlayTaken>(kNotInPlayLineText);
    if (auto terms = check_terms(terms_of(q)); !terms) return Result<InPlayTaken>::failure(terms.error());
    const int delay = market.acceptance_delay(q.match_id, q.type).value_or(0);
    // A bet that skipped the delay request would skip the wait: have it placed again.
    if (delay > 0 && request.mode == 0) return refuse<InPlayTaken>(kDelayRequiredText);
    const std::int64_t price = q.price_milli;
    if (!return_within_limit(std::span(&price, 1), CombinationStake{1, request.stake})) {
      return refuse<InPlayTaken>(kReturnTooLargeText);
    }

    InPlayTaken taken;
    const Leg leg{q, *names};
    if (delay <= 0) {
      auto frozen = accounts::freeze_stake(connection, account.id, request.stake);
      if (!frozen) return Result<InPlayTaken>::failure(frozen.error());
      taken.balances = frozen.value();
      taken.status = BetStatus::accepted;
    } else {
      auto current = accounts::balances(connection, account.id);
      if (!current) return Result<InPlayTaken>::failure(current.error());
      if (current->available < request.stake) return refuse<InPlayTaken>(accounts::kNotEnoughBalanceText);
      taken.balances = current.value();
      taken.status = BetStatus::pending;
    }
    std::optional<std::int64_t> due;
    if (taken.status == BetStatus::pending) {
      auto now = market::read_market_now(connection);
      if (!now) return Result<InPlayTaken>::failure(now.error());
      due = now.value() + delay;
    }
    auto bet = insert_bet(connection, account.id, BetKind::single, taken.status, 1, 1, request.stake,
                          request.stake, 0, due);
    if (!bet) return Result<InPlayTaken>::failure(bet.error());
    if (auto inserted = insert_leg(connection, bet.value(), 0, leg); !inserted) {
      return Result<InPlayTaken>::failure(inserted.error());
    }
    taken.serial = bet.value();
    return taken;
  });
}

Result<BetStatus> judge_pending_bet(Connection& connection, std::int64_t serial) {
  using R = Result<BetStatus>;
  auto statement = connection.prepare(
      "SELECT b.status, b.account_id, b.stake, b.due_at, l.selection_id, l.line_code, l.price_milli,"
      " l.score_home, l.score_away FROM bets b JOIN bet_legs l ON l.bet_id = b.id AND l.position = 0"
      " WHERE b.id = ?1");
  if (!statement) return R::failure(statement.error());
  statement->bind(1, serial);
  auto row = statement->step();
  if (!row) return R::failure(row.error());
  if (!row.value()) return refuse<BetStatus>(kBetNotFoundText);
  const auto status = static_cast<BetStatus>(statement->column_int64(0));
  if (status != BetStatus::pending) return status;
  const accounts::AccountId account = statement->column_int64(1);
  const Cents stake = statement->column_int64(2);
  const std::int64_t due = statement->column_int64(3);
  const auto selection = static_cast<market::SelectionId>(statement->column_int64(4));
  const auto line_code = statement->column_int64(5);
  const auto price = statement->column_int64(6);
  const market::Score score{static_cast<int>(statement->column_int64(7)),
                            static_cast<int>(statement->column_int64(8))};

  auto now = market::read_market_now(connection);
  if (!now) return R::failure(now.error());
  auto quote = market::read_quote(connection, selection);
  if (!quote) return R::failure(quote.error());
  if (now.value() < due && quote.value()) return BetStatus::pending;

  // Accepted only on the very line it was placed on: a goal, a moved line or a new price during
  // the delay refuses it.
  const auto& q = quote.value();
  bool accept = q && q->open && q->line_code == line_code && q->price_milli == price && q->score == score;
  if (accept) accept = accounts::freeze_stake(connection, account, stake).ok();
  const BetStatus judged = accept ? BetStatus::accepted : BetStatus::refused;
  auto update = connection.prepare("UPDATE bets SET status = ?2 WHERE id = ?1");
  if (!update) return R::failure(update.error());
  update->bind(1, serial).bind(2, static_cast<int>(judged));
  if (auto ran = update->run(); !ran) return R::failure(ran.error());
  return judged;
}

Result<BetStatus> complete_in_play_bet(storage::Database& db, accounts::AccountId account,
                                       std::int64_t serial) {
  return db.transaction([&](Connection& connection) -> Result<BetStatus> {
    auto owner = connection.prepare("SELECT account_id FROM bets WHERE id = ?1");
    if (!owner) return Result<BetStatus>::failure(owner.error());
    owner->bind(1, serial);
    auto row = owner->step();
    if (!row) return Result<BetStatus>::failure(row.error());
    // Another account's bet number reads as unknown: the number tells nothing about it.
    if (!row.value() || owner->column_int64(0) != account) return refuse<BetStatus>(kBetNotFoundText);
    return judge_pending_bet(connection, serial);
  });
}

Result<BetStatus> confirm_in_play_bets(storage::Database& db, accounts::AccountId account,
                                       market::MatchId match, int market_type) {
  return db.transaction([&](Connection& connection) -> Result<BetStatus> {
    auto statement = connection.prepare(
        "SELECT b.id, b.status FROM bets b JOIN bet_legs l ON l.bet_id = b.id"
        " WHERE b.account_id = ?1 AND l.match_id = ?2 AND l.market_type = ?3 AND l.outright = 0"
        " ORDER BY b.id");
    if (!statement) return Result<BetStatus>::failure(statement.error());
    statement->bind(1, account).bind(2, match).bind(3, market_type);
    std::vector<std::pair<std::int64_t, BetStatus>> bets;
    for (;;) {
      auto row = statement->step();
      if (!row) return Result<BetStatus>::failure(row.error());
      if (!row.value()) break;
      bets.emplace_back(statement->column_int64(0), static_cast<BetStatus>(statement->column_int64(1)));
    }
    if (bets.empty()) return refuse<BetStatus>(kBetNotFoundText);
    for (auto& [serial, status] : bets) {
      if (status != BetStatus::pending) continue;
      auto judged = judge_pending_bet(connection, serial);
      if (!judged) return judged;
      status = judged.value();
    }
    return bets.back().second;
  });
}

}  // namespace brindle::server::betting
