#include "server/web/in_play_web.h"

#include <openssl/rand.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <map>
#include <optional>

#include "server/accounts/account_store.h"
#include "server/accounts/ledger.h"
#include "server/betting/bet_taking.h"
#include "server/market/reply_rows.h"
#include "server/storage/timestamp.h"
#include "server/web/in_play_page.h"
#include "wire/gbk.h"

namespace brindle::server::web {
namespace {

using storage::Connection;

constexpr std::string_view kWebV1 = R"sql(
CREATE TABLE web_bet_keys (
  form_key TEXT PRIMARY KEY,
  account_id INTEGER NOT NULL REFERENCES accounts (id) ON DELETE CASCADE,
  used_at INTEGER NOT NULL
);
CREATE INDEX web_bet_keys_by_use ON web_bet_keys (used_at);
)sql";

constexpr storage::Migration kMigrations[] = {{"web", 1, kWebV1}};

constexpr std::size_t kFormKeyLength = 32;
constexpr std::int64_t kFormKeyKeptSeconds = 24 * 60 * 60;
constexpr std::size_t kMaxFormFields = 16;
constexpr std::size_t kMaxFollowed = 8;
constexpr std::size_t kMaxStakeLength = 20;
// The list follows the running matches; a page waiting for a delayed bet asks sooner.
constexpr int kRefreshSeconds = 30;
constexpr int kFollowAgainSeconds = 2;

constexpr char kAcceptedFormat[] = "投注成功，注单号 %.10lld。";
constexpr char kPendingFormat[] = "注单 %.10lld 已提交，%d 秒后确认结果。";
constexpr char kConfirmedFormat[] = "注单 %.10lld 已确认。";
constexpr char kRefusedFormat[] = "注单 %.10lld 未被接受：确认期间盘口、赔率或比分已变化。";

std::string format_serial(const char* format, std::int64_t serial) {
  char text[256];
  std::snprintf(text, sizeof text, format, static_cast<long long>(serial));
  return text;
}

std::string random_hex(std::size_t digits) {
  std::array<unsigned char, 32> bytes{};
  const std::size_t count = std::min(bytes.size(), digits / 2);
  if (RAND_bytes(bytes.data(), static_cast<int>(count)) != 1) return {};
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 0x0F];
  }
  return text;
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> url_decoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%') {
      if (i + 2 >= text.size()) return std::nullopt;
      const int high = hex_value(text[i + 1]);
      const int low = hex_value(text[i + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

using Form = std::map<std::string, std::string, std::less<>>;

// application/x-www-form-urlencoded as a browser sends it; a field given twice is refused, so no
// reading of the form can differ from another.
std::optional<Form> parse_form(std::string_view body) {
  Form form;
  while (!body.empty()) {
    const auto amp = body.find('&');
    const std::string_view pair = body.substr(0, amp);
    body = amp == std::string_view::npos ? std::string_view{} : body.substr(amp + 1);
    if (pair.empty()) continue;
    const auto equals = pair.find('=');
    auto name = url_decoded(pair.substr(0, equals));
    auto value = url_decoded(equals == std::string_view::npos ? std::string_view{} : pair.substr(equals + 1));
    if (!name || !value || form.size() >= kMaxFormFields) return std::nullopt;
    if (!form.emplace(std::move(*name), std::move(*value)).second) return std::nullopt;
  }
  return form;
}

std::string_view field(const Form& form, std::string_view name) {
  auto found = form.find(name);
  return found == form.end() ? std::string_view{} : std::string_view(found->second);
}

template <typename T>
std::optional<T> whole_number(std::string_view text, std::size_t max_digits) {
  if (text.empty() || text.size() > max_digits ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  T value{};
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::vector<std::int64_t>> serials_of(std::string_view text) {
  std::vector<std::int64_t> serials;
  while (!text.empty()) {
    const auto comma = text.find(',');
    auto serial = whole_number<std::int64_t>(text.substr(0, comma), 12);
    if (!serial || serials.size() >= kMaxFollowed) return std::nullopt;
    serials.push_back(*serial);
    text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
  }
  return serials;
}

// What the database says goes to the page as the generic server error, never in SQLite's words.
std::string shown_refusal(const std::string& text) {
  if (text == betting::kInternalErrorText || storage::is_database_failure(text) ||
      text.find("SQL") != std::string::npos) {
    return std::string(kWebServerErrorText);
  }
  return text;
}

// The page may run only its own script, be shown in no frame, be kept in no cache and name itself
// to no other site. No Strict-Transport-Security: the server's certificate is its own, and a
// browser that has seen HSTS for a host lets nobody accept a certificate it cannot check, which
// would lock the client's window out of the page.
std::vector<std::pair<std::string, std::string>> page_headers(std::string_view script_nonce) {
  std::string policy =
      "default-src 'none'; style-src 'unsafe-inline'; form-action 'self'; frame-ancestors 'none'; base-uri "
      "'none'";
  if (!script_nonce.empty()) policy += "; script-src 'nonce-" + std::string(script_nonce) + "'";
  return {{"Cache-Control", "no-store, no-cache, must-revalidate"},
          {"Pragma", "no-cache"},
          {"Expires", "0"},
          {"Referrer-Policy", "no-referrer"},
          {"X-Content-Type-Options", "nosniff"},
          {"X-Frame-Options", "DENY"},
          {"Content-Security-Policy", std::move(policy)}};
}

WebAnswer message_answer(unsigned status, std::string_view text) {
  WebAnswer answer;
  answer.status = status;
  answer.gbk_html = wire::utf8_to_gbk(message_page_html(text));
  answer.headers = page_headers({});
  return answer;
}

// One bet per form: the key is claimed in the bet's own transaction, so a refused bet leaves it free
// and a form sent twice (a double click, a reload) places one bet.
Result<void> claim_form_key(Connection& connection, std::string_view key, accounts::AccountId account) {
  const auto now = storage::now_unix_seconds();
  auto expire = connection.prepare("DELETE FROM web_bet_keys WHERE used_at < ?1");
  if (!expire) return Result<void>::failure(expire.error());
  expire->bind(1, now - kFormKeyKeptSeconds);
  if (auto ran = expire->run(); !ran) return ran;
  auto claim = connection.prepare(
      "INSERT INTO web_bet_keys (form_key, account_id, used_at) VALUES (?1, ?2, ?3)"
      " ON CONFLICT (form_key) DO NOTHING");
  if (!claim) return Result<void>::failure(claim.error());
  claim->bind(1, key).bind(2, account).bind(3, now);
  if (auto ran = claim->run(); !ran) return ran;
  if (connection.changes() != 1) return Result<void>::failure(std::string(kAlreadyPlacedText));
  return {};
}

bool well_formed_key(std::string_view key) {
  return key.size() == kFormKeyLength &&
         std::all_of(key.begin(), key.end(), [](char c) { return hex_value(c) >= 0; });
}

bool stake_characters(std::string_view stake) {
  return !stake.empty() && stake.size() <= kMaxStakeLength &&
         std::all_of(stake.begin(), stake.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; });
}

}  // namespace

std::span<const storage::Migration> web_migrations() { return kMigrations; }

namespace {

struct Request {
  const Form& form;
  accounts::AccountId account;
  InPlayPageState& state;
};

void reopen_slip(const market::Market& market, market::SelectionId selection, std::string stake,
                 InPlayPageState& state) {
  const auto snapshot = market.snapshot();
  auto offer = offer_of(*snapshot, market.now(), selection);
  if (!offer) return;
  state.slip = BetSlip{std::move(*offer), std::move(stake), random_hex(kFormKeyLength)};
}

void follow_up(storage::Database& db, Request& r) {
  const auto followed = serials_of(field(r.form, "follow"));
  if (!followed) return;
  for (const auto serial : *followed) {
    auto status = betting::complete_in_play_bet(db, r.account, serial);
    if (!status) continue;  // not this account's bet: nothing to say about it
    switch (status.value()) {
      case betting::BetStatus::pending:
        r.state.follow.push_back(serial);
        r.state.refresh_after_seconds = kFollowAgainSeconds;
        break;
      case betting::BetStatus::refused:
        r.state.notices.push_back({false, format_serial(kRefusedFormat, serial)});
        break;
      case betting::BetStatus::accepted:
      case betting::BetStatus::settled:
        r.state.notices.push_back({true, format_serial(kConfirmedFormat, serial)});
        break;
    }
  }
}

void place_bet(storage::Database& db, const market::Market& market, const accounts::Account& account,
               Request& r) {
  const auto selection = whole_number<market::SelectionId>(field(r.form, "selection"), 10);
  const auto price = whole_number<int>(field(r.form, "price"), 7);
  const std::string_view key = field(r.form, "key");
  if (!selection || !price || !well_formed_key(key)) {
    r.state.notices.push_back({false, std::string(kBadFormText)});
    return;
  }
  std::string stake(field(r.form, "stake"));
  stake.erase(std::remove(stake.begin(), stake.end(), ' '), stake.end());
  const auto refuse = [&](const std::string& text) {
    r.state.notices.push_back({false, shown_refusal(text)});
    if (text != kAlreadyPlacedText) reopen_slip(market, *selection, stake, r.state);
  };
  if (!stake_characters(stake)) return refuse(std::string(accounts::kBadStakeText));

  // The mode the client's pre-bet check (3016) would choose: delayed when the line has a delay.
  int delay = 0;
  if (const auto snapshot = market.snapshot(); const auto* line = snapshot->find_line(*selection)) {
    delay = market.acceptance_delay(line->match_id, line->type).value_or(0);
  }
  const std::string para = std::to_string(*selection) + "|" + market::price_text(*price) + "|" + stake + "|" +
                           (delay > 0 ? "2" : "0");
  auto request = betting::parse_in_play_form(para);
  if (!request) return refuse(request.error());
  auto taken = betting::take_in_play_bet(
      db, market, account.identity(), request.value(),
      [&](Connection& connection) { return claim_form_key(connection, key, r.account); });
  if (!taken) return refuse(taken.error());
  if (taken->status == betting::BetStatus::pending) {
    char text[256];
    std::snprintf(text, sizeof text, kPendingFormat, static_cast<long long>(taken->serial), delay);
    r.state.notices.push_back({true, text});
    if (r.state.follow.size() < kMaxFollowed) r.state.follow.push_back(taken->serial);
    r.state.refresh_after_seconds = delay + 1;
  } else {
    r.state.notices.push_back({true, format_serial(kAcceptedFormat, taken->serial)});
  }
}

Result<std::optional<accounts::Account>> read_account(storage::Database& db, accounts::AccountId id) {
  return db.read([&](Connection& connection) { return accounts::find_account(connection, id); });
}

}  // namespace

WebAnswer InPlayWeb::answer(bool over_tls, std::string_view method, std::string_view path,
                            std::string_view body) const {
  if (!over_tls) return message_answer(403, kInPlayHttpsOnlyText);
  if (method != "POST") {
    WebAnswer answer = message_answer(405, kInPlayPostOnlyText);
    answer.allow = "POST";
    return answer;
  }
  const auto form = parse_form(body);
  if (!form) return message_answer(400, kBadFormText);
  const std::string token(field(*form, "token"));
  auto used =
      db_->transaction([&](Connection& connection) { return accounts::use_web_token(connection, token); });
  if (!used) return message_answer(500, kWebServerErrorText);
  if (!used.value()) return message_answer(403, kTokenExpiredText);
  const accounts::AccountId id = *used.value();

  InPlayPageState state;
  state.token = token;
  state.refresh_after_seconds = kRefreshSeconds;
  Request request{*form, id, state};
  follow_up(*db_, request);
  if (path == kInPlayBetPath) {
    auto account = read_account(*db_, id);
    if (!account) return message_answer(500, kWebServerErrorText);
    if (!account.value()) return message_answer(403, kTokenExpiredText);
    place_bet(*db_, *market_, *account.value(), request);
  } else if (const auto pick = field(*form, "pick"); !pick.empty()) {
    const auto selection = whole_number<market::SelectionId>(pick, 10);
    if (selection) reopen_slip(*market_, *selection, {}, state);
    if (!state.slip) state.notices.push_back({false, std::string(kNotOfferedText)});
  }

  auto account = read_account(*db_, id);
  if (!account) return message_answer(500, kWebServerErrorText);
  if (!account.value()) return message_answer(403, kTokenExpiredText);
  state.account = std::move(*account.value());
  state.script_nonce = random_hex(32);
  const auto snapshot = market_->snapshot();
  WebAnswer answer;
  answer.gbk_html = wire::utf8_to_gbk(in_play_page_html(*snapshot, market_->now(), state));
  answer.headers = page_headers(state.script_nonce);
  return answer;
}

}  // namespace brindle::server::web
