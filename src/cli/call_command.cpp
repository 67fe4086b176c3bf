#include "cli/call_command.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <ostream>
#include <string_view>
#include <system_error>

#include "cli/client_transport.h"
#include "cli/json_output.h"
#include "core/app/stderr_log_sink.h"
#include "core/betting/parlay_ticket.h"
#include "core/net/account_status.h"
#include "core/net/client_context.h"
#include "core/net/curl_transport.h"
#include "core/net/latest_information.h"
#include "core/net/login_request.h"
#include "core/net/member_details.h"
#include "core/net/network_card_address.h"
#include "core/net/version_check.h"
#include "core/notation/currency_name.h"
#include "core/ports/progress_sink.h"
#include "core/protocol/account_requests.h"
#include "core/protocol/bet_submission.h"
#include "core/protocol/market_data.h"
#include "core/protocol/market_type.h"
#include "core/protocol/match_information.h"
#include "core/protocol/records_queries.h"
#include "core/protocol/rooms_messages.h"

namespace brindle::cli {
namespace {

using nlohmann::json;
using protocol::Outcome;
using protocol::Session;

constexpr int kUsageError = 2;
constexpr std::size_t kAny = std::numeric_limits<std::size_t>::max();

// What a numeric argument may be. The bounds are those of the request field the number travels in,
// so that no number is cut, wrapped or converted out of range on its way.
struct Bounds {
  const char* name;
  double low;
  double high;
  bool whole;
};

// Selection, option and offer numbers travel as "%.10d" fields of an int.
constexpr Bounds kNumber{"a number", 0, std::numeric_limits<int>::max(), true};
// Stakes travel as "%.6d" fields.
constexpr Bounds kStake{"a stake", 0, 999'999, true};
// Combination masks travel as "%.8d" fields.
constexpr Bounds kMask{"a combination mask", 0, 99'999'999, true};
// Prices travel in thousandths, seven digits at most.
constexpr Bounds kPrice{"a price", 0, 9'999, false};
constexpr Bounds kAmount{"an amount", 0, 999'999'999, false};
// What the parlay ticket lets a type row's stake be.
constexpr Bounds kTypeStake{"a stake", 0, betting::kMaxTypeStake, true};
constexpr Bounds kCurrency{"a currency code", 1, 3, true};

std::string describe(const Bounds& b) {
  const auto whole = [](double v) { return std::to_string(static_cast<long long>(v)); };
  return std::string(b.name) + (b.whole ? " (a whole number from " : " (a number from ") + whole(b.low) +
         " to " + whole(b.high) + ")";
}

// The words after the operation's name, read strictly; the first bad word is remembered and every
// later read returns a harmless default, so that an operation checks once before sending.
class Words final {
 public:
  explicit Words(std::vector<std::string> words) : words_(std::move(words)) {}

  std::size_t size() const { return words_.size(); }
  explicit operator bool() const { return error_.empty(); }
  const std::string& error() const { return error_; }

  std::string text(std::size_t i) {
    if (i < words_.size()) return words_[i];
    fail(i, "a text");
    return {};
  }

  int integer(std::size_t i) {
    int value = 0;
    if (!parse(i, value)) fail(i, "an integer");
    return value;
  }

  // A number within its bounds; anything else (malformed, out of range, not finite) is refused.
  double number(std::size_t i, const Bounds& bounds) {
    double value = 0.0;
    if (i >= words_.size() || !read_number(words_[i], bounds, value)) {
      fail(i, describe(bounds));
      return 0.0;
    }
    return value;
  }

  bool flag(std::size_t i) {
    if (i < words_.size() && (words_[i] == "0" || words_[i] == "1")) return words_[i] == "1";
    fail(i, "0 or 1");
    return false;
  }

  std::vector<int> integers(std::size_t i) {
    std::vector<int> out;
    for (const auto& piece : split(i, ',')) {
      int value = 0;
      if (!parse_text(piece, value)) {
        fail(i, "a comma-separated list of integers");
        return {};
      }
      out.push_back(value);
    }
    return out;
  }

  // "A,B,C", each within its bounds.
  std::vector<double> numbers(std::size_t i, const Bounds& bounds) {
    std::vector<double> out;
    for (const auto& piece : split(i, ',')) {
      double value = 0.0;
      if (!read_number(piece, bounds, value)) {
        fail(i, "a comma-separated list of " + describe(bounds));
        return {};
      }
      out.push_back(value);
    }
    return out;
  }

  // "A:B,C:D", each side within its bounds.
  std::vector<std::pair<double, double>> pairs(std::size_t i, const Bounds& left, const Bounds& right) {
    std::vector<std::pair<double, double>> out;
    for (const auto& piece : split(i, ',')) {
      const auto colon = piece.find(':');
      double first = 0.0;
      double second = 0.0;
      if (colon == std::string::npos || !read_number(piece.substr(0, colon), left, first) ||
          !read_number(piece.substr(colon + 1), right, second)) {
        fail(i, "a list of pairs of " + describe(left) + " and " + describe(right) + " joined by \":\"");
        return {};
      }
      out.emplace_back(first, second);
    }
    return out;
  }

  // YYYYMMDDHHMMSS, as the range bounds travel.
  wire::CivilDateTime date_time(std::size_t i) {
    wire::CivilDateTime t;
    const std::string word = i < words_.size() ? words_[i] : std::string();
    const auto field = [&](std::size_t at, std::size_t n, int& out) {
      return parse_text(word.substr(at, n), out);
    };
    if (word.size() != 14 || !field(0, 4, t.year) || !field(4, 2, t.month) || !field(6, 2, t.day) ||
        !field(8, 2, t.hour) || !field(10, 2, t.minute) || !field(12, 2, t.second) ||
        !wire::is_valid_civil(t)) {
      fail(i, "a date and time YYYYMMDDHHMMSS");
    }
    return t;
  }

  protocol::DateRange range(std::size_t i) { return {date_time(i), date_time(i + 1)}; }

  void refuse(std::size_t i, const char* what) { fail(i, what); }

 private:
  template <typename T>
  static bool parse_text(std::string_view word, T& value) {
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    return !word.empty() && ec == std::errc{} && end == word.data() + word.size();
  }

  // Whole numbers are digits only (no exponent, no fraction), so that what is typed is what is sent.
  static bool read_number(std::string_view word, const Bounds& bounds, double& value) {
    if (bounds.whole) {
      long long whole = 0;
      if (!parse_text(word, whole)) return false;
      value = static_cast<double>(whole);
    } else if (!parse_text(word, value) || !std::isfinite(value)) {
      return false;
    }
    return value >= bounds.low && value <= bounds.high;
  }

  template <typename T>
  bool parse(std::size_t i, T& value) const {
    return i < words_.size() && parse_text(words_[i], value);
  }

  std::vector<std::string> split(std::size_t i, char separator) {
    std::vector<std::string> out;
    if (i >= words_.size()) return out;
    std::string_view rest = words_[i];
    while (!rest.empty()) {
      const auto at = rest.find(separator);
      out.emplace_back(rest.substr(0, at));
      if (at == std::string_view::npos) break;
      rest.remove_prefix(at + 1);
    }
    return out;
  }

  void fail(std::size_t i, const std::string& what) {
    if (!error_.empty()) return;
    error_ = "argument " + std::to_string(i + 1) + " must be " + what +
             (i < words_.size() ? ", not \"" + words_[i] + "\"" : "");
  }

  std::vector<std::string> words_;
  std::string error_;
};

// Runs the operation: nothing when the words are bad (nothing has been sent then).
using Run = std::function<std::optional<Outcome>(Session&, Words&, json&)>;

struct Operation {
  const char* name;
  int subject_id;
  const char* arguments;
  std::size_t min_words;
  std::size_t max_words;
  bool signs_in;  // sends the context numbers, which only a sign-in delivers
  Run run;
};

template <typename Value>
std::optional<Outcome> with(Words& w, json& out, const char* key, const Value& value, Outcome outcome) {
  if (!w) return std::nullopt;
  out[key] = to_json_value(value);
  return outcome;
}

// A list operation: the words are read first, then the list is fetched and printed.
template <typename Record, typename Fetch>
Run list_of(const char* key, Fetch fetch) {
  return [key, fetch](Session& s, Words& w, json& out) -> std::optional<Outcome> {
    std::vector<Record> records;
    std::optional<Outcome> outcome = fetch(s, w, records);
    if (!outcome) return std::nullopt;
    out[key] = to_json_value(records);
    return outcome;
  };
}

template <typename Record, typename Fetch>
Run plain_list(const char* key, Fetch fetch) {
  return list_of<Record>(key, [fetch](Session& s, Words&, std::vector<Record>& r) -> std::optional<Outcome> {
    return fetch(s, r);
  });
}

template <typename Record, typename Fetch>
Run ranged_list(const char* key, Fetch fetch) {
  return list_of<Record>(key,
                         [fetch](Session& s, Words& w, std::vector<Record>& r) -> std::optional<Outcome> {
                           const auto range = w.range(0);
                           if (!w) return std::nullopt;
                           return fetch(s, range, r);
                         });
}

template <typename Call>
Run simple(Call call) {
  return [call](Session& s, Words& w, json&) -> std::optional<Outcome> { return call(s, w); };
}

std::optional<Outcome> checked(Words& w, const std::function<Outcome()>& send) {
  if (!w) return std::nullopt;
  return send();
}

// The C5 session requests speak boolean and error text; the table speaks outcomes.
Outcome outcome_of(bool ok, const std::string& error, const std::string& message = {}) {
  return ok ? Outcome(message) : Outcome::failure(error);
}

// The numbers below were read within int's range (Bounds), so the conversions are exact.
int whole(double value) { return static_cast<int>(value); }

std::vector<protocol::SelectionEntry> selections_of(Words& w, std::size_t i) {
  std::vector<protocol::SelectionEntry> out;
  for (const auto& [number, price] : w.pairs(i, kNumber, kPrice)) out.push_back({whole(number), 0, price});
  return out;
}

std::vector<protocol::ParlayTypeEntry> type_entries_of(Words& w, std::size_t i) {
  std::vector<protocol::ParlayTypeEntry> out;
  for (const auto& [mask, stake] : w.pairs(i, kMask, kStake)) out.push_back({whole(mask), whole(stake)});
  return out;
}

std::array<std::string, 3> group_of(Words& w, std::size_t i) {
  return {w.text(i), w.text(i + 1), w.text(i + 2)};
}

protocol::ParameterGroups groups_of(Words& w, std::size_t first) {
  return {group_of(w, first), group_of(w, first + 3), group_of(w, first + 6), group_of(w, first + 9)};
}

const std::vector<Operation>& operations() {
  using namespace protocol;
  static const std::vector<Operation> table = {
      {"version", 13002, "", 0, 0, false,
       [](Session& s, Words&, json& out) -> std::optional<Outcome> {
         net::VersionCheckResult result;
         std::string error;
         const bool ok = net::version_check(s.context, s.transport, s.progress, result, error);
         out["local_version"] = result.local_version;
         out["server_version"] = result.server_version;
         return outcome_of(ok, error, error);
       }},
      {"login", 3001, "", 0, 0, false,
       [](Session& s, Words&, json& out) -> std::optional<Outcome> {
         net::LoginReply reply;
         std::string error;
         const bool ok = net::login_request(s.context, s.transport, s.progress, s.context.user_name,
                                            s.context.password, net::kLoginRequestModeMember,
                                            net::network_card_address(), reply, error);
         out["new_messages"] = reply.new_messages;
         return outcome_of(ok, error);
       }},
      {"member-details", 3032, "", 0, 0, false,
       [](Session& s, Words&, json& out) -> std::optional<Outcome> {
         std::string error;
         const bool ok = net::member_details_request(s.context, s.transport, s.progress, error);
         out["member_details"] = {{"in_play_web_mode", s.context.member_details.in_play_web_mode},
                                  {"texts", s.context.member_details.texts},
                                  {"number1", s.context.member_details.number1},
                                  {"number2", s.context.member_details.number2}};
         return outcome_of(ok, error);
       }},
      {"latest-information", 1001, "", 0, 0, false,
       [](Session& s, Words&, json&) -> std::optional<Outcome> {
         std::string error;
         return outcome_of(net::latest_information_request(s.context, s.transport, s.progress, error), error, error);
       }},
      {"account-status", 3033, "", 0, 0, false,
       [](Session& s, Words&, json& out) -> std::optional<Outcome> {
         bool frozen = false;
         std::string error;
         const bool ok = net::account_status_request(s.context, s.transport, s.progress, frozen, error);
         out["frozen"] = frozen;
         return outcome_of(ok, error, error);
       }},
      {"second-information", 1005, "", 0, 0, false,
       simple([](Session& s, Words&) { return fetch_second_information(s); })},
      {"star-member-terms", 1003, "", 0, 0, false,
       [](Session& s, Words& w, json& out) {
         StarMemberTerms t;
         auto o = fetch_star_member_terms(s, t);
         return with(w, out, "terms", t, std::move(o));
       }},
      {"rooms", 1004, "", 0, 0, false, plain_list<Room>("rooms", fetch_rooms)},
      {"send-question", 2001, "TOPIC QUESTION", 2, 2, false, simple([](Session& s, Words& w) {
         return checked(w, [&] { return send_question(s, w.text(0), w.text(1)); });
       })},
      {"delete-message", 2002, "NUMBER", 1, 1, false, simple([](Session& s, Words& w) {
         const int n = w.integer(0);
         return checked(w, [&] { return delete_private_message(s, n); });
       })},
      {"change-profile", 2004, "USER TEXT×7 GROUP-TEXT×12", 20, 20, false, simple([](Session& s, Words& w) {
         const std::array<std::string, 7> texts{w.text(1), w.text(2), w.text(3), w.text(4),
                                                w.text(5), w.text(6), w.text(7)};
         return checked(w, [&] { return change_profile(s, w.text(0), texts, groups_of(w, 8)); });
       })},
      {"transfer", 2009, "WITHDRAWAL-PASSWORD AMOUNT RECEIVING-USER", 3, 3, false, simple([](Session& s, Words& w) {
         const double amount = w.number(1, kAmount);
         return checked(w, [&] { return transfer_funds(s, w.text(0), amount, w.text(2)); });
       })},
      {"apply-star-membership", 2012, "", 0, 0, false,
       simple([](Session& s, Words&) { return apply_for_star_membership(s); })},
      {"cancel-opened-markets", 2014, "OPEN-MARKET-NUMBER", 1, 1, false, simple([](Session& s, Words& w) {
         const int n = w.integer(0);
         return checked(w, [&] { return cancel_opened_markets(s, n); });
       })},
      {"retrieve-password", 2016, "USER", 1, 1, false,
       simple([](Session& s, Words& w) { return checked(w, [&] { return retrieve_password(s, w.text(0)); }); })},
      {"rate", 2018, "REASON QUESTION-NUMBER RATING", 3, 3, false, simple([](Session& s, Words& w) {
         const int rating = w.integer(2);
         return checked(w, [&] { return send_rating(s, w.text(0), w.text(1), rating); });
       })},
      {"survey-check", 2019, "QUESTION-NUMBER", 1, 1, false,
       simple([](Session& s, Words& w) { return checked(w, [&] { return survey_check(s, w.text(0)); }); })},
      {"check-user-name", 2020, "USER", 1, 1, false,
       simple([](Session& s, Words& w) { return checked(w, [&] { return check_user_name_free(s, w.text(0)); }); })},
      {"check-nickname", 2021, "NICKNAME", 1, 1, false,
       simple([](Session& s, Words& w) { return checked(w, [&] { return check_nickname_free(s, w.text(0)); }); })},
      {"register", 2022, "USER PASSWORD TEXT×7 GROUP-TEXT×12", 21, 21, false, simple([](Session& s, Words& w) {
         std::array<std::string, 9> texts;
         for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = w.text(i);
         return checked(w, [&] { return register_account(s, texts, groups_of(w, 9)); });
       })},
      {"create-room", 3006, "NAME POSITION-NUMBER", 2, 2, false,
       [](Session& s, Words& w, json& out) -> std::optional<Outcome> {
         const int position = w.integer(1);
         if (!w) return std::nullopt;
         CreatedRoom room;
         auto o = create_room(s, w.text(0), position, room);
         return with(w, out, "room", room, std::move(o));
       }},
      {"open-market", 3008, "MATCH BANKER-STAKE OPTION:PRICE,...", 3, 3, false,
       [](Session& s, Words& w, json& out) -> std::optional<Outcome> {
         const int match = w.integer(0);
         const int stake = whole(w.number(1, kStake));
         const auto pairs = w.pairs(2, kNumber, kPrice);
         if (!w) return std::nullopt;
         std::vector<MarketOption> options;
         for (const auto& [number, price] : pairs) options.push_back({whole(number), price});
         std::string text;
         auto o = open_market(s, match, stake, options, text);
         out["text"] = text;
         return o;
       }},
      {"bet-against-banker", 3009, "OFFER-ID STAKE", 2, 2, false,
       [](Session& s, Words& w, json& out) -> std::optional<Outcome> {
         BankerMarketRow row;
         row.offer_id = whole(w.number(0, kNumber));
         const int stake = whole(w.number(1, kStake));
         if (!w) return std::nullopt;
         std::string text;
         auto o = bet_against_banker(s, row, stake, text);
         out["text"] = text;
         return o;
       }},
      {"place-bets", 3010, "SELECTION:PRICE,... MASK:STAKE,...", 2, 2, false, simple([](Session& s, Words& w) {
         const auto selections = selections_of(w, 0);
         const auto entries = type_entries_of(w, 1);
         return checked(w, [&] { return place_bets(s, kPlaceBetsSubject, selections, entries); });
       })},
      {"place-single-bet", 3010, "ROW-INDEX giving|receiving STAKE (after the Asian handicap list)", 3, 3, true,
       [](Session& s, Words& w, json& out) -> std::optional<Outcome> {
         const int index = w.integer(0);
         const std::string column = w.text(1);
         const double stake = w.number(2, kStake);
         if (column != "giving" && column != "receiving") w.refuse(1, "giving or receiving");
         if (index < 0) w.refuse(0, "a row index of 0 or more");
         if (!w) return std::nullopt;
         std::vector<AsianHandicapRow> rows;
         auto listed = fetch_asian_handicap_list(s, rows);
         if (!listed) return listed;
         const auto side = column == "giving" ? notation::HandicapSide::kGiving : notation::HandicapSide::kReceiving;
         if (static_cast<std::size_t>(index) < rows.size()) {
           out["row"] = to_json_value(rows[static_cast<std::size_t>(index)]);
         }
         return place_single_bet(s, rows, static_cast<std::size_t>(index), side, stake);
       }},
      {"in-play-delay", 3016, "MATCH MARKET-TYPE", 2, 2, false, simple([](Session& s, Words& w) {
         const int match = w.integer(0);
         const int type = w.integer(1);
         return checked(w, [&] { return fetch_in_play_delay(s, match, type); });
       })},
      {"confirm-delayed-bet", 3022, "BET-NUMBER MATCH MARKET-TYPE (then 3018)", 3, 3, false,
       simple([](Session& s, Words& w) {
         const PendingInPlayBet bet{w.integer(0), w.integer(1), w.integer(2), 0, 0};
         return checked(w, [&] { return confirm_delayed_in_play_bet(s, bet); });
       })},
      {"in-play-bet", 3020, "SELECTION PRICE STAKE MODE", 4, 4, false, simple([](Session& s, Words& w) {
         const int selection = whole(w.number(0, kNumber));
         const double price = w.number(1, kPrice);
         const double stake = w.number(2, kStake);
         const int mode = w.integer(3);
         return checked(w, [&] { return place_in_play_bet(s, selection, price, stake, mode); });
       })},
      {"place-outright-bets", 3050, "SELECTION:PRICE,... MASK:STAKE,...", 2, 2, false,
       simple([](Session& s, Words& w) {
         const auto selections = selections_of(w, 0);
         const auto entries = type_entries_of(w, 1);
         return checked(w, [&] { return place_bets(s, kPlaceOutrightBetsSubject, selections, entries); });
       })},
      {"questions", 4001, "", 0, 0, false,
       [](Session& s, Words&, json& out) -> std::optional<Outcome> {
         struct Collect final : QuestionInserter {
           json list = json::array();
           void clear() override { list = json::array(); }
           void insert_question(const Question& q) override { list.push_back(to_json_value(q)); }
           void insert_notice(const Question& q) override {
             json n = to_json_value(q);
             n["notice"] = true;
             list.push_back(std::move(n));
           }
         } collected;
         auto o = fetch_questions(s, collected);
         out["questions"] = collected.list;
         return o;
       }},
      {"messages", 4002, "", 0, 0, false, plain_list<PrivateMessage>("messages", fetch_private_messages)},
      {"room-positions", 4006, "", 0, 0, false, plain_list<RoomPosition>("positions", fetch_room_positions)},
      {"statement", 4011, "START END", 2, 2, false, ranged_list<StatementEntry>("entries", fetch_statement)},
      {"balance", 4012, "", 0, 0, false,
       [](Session& s, Words& w, json& out) {
         AccountBalance b;
         auto o = fetch_balance(s, b);
         return with(w, out, "balance", b, std::move(o));
       }},
      {"settled-single-bets", 4015, "START END", 2, 2, false,
       ranged_list<SingleBetRecord>("records", fetch_settled_single_bets)},
      {"open-market-matches", 4016, "MARKET-TYPE", 1, 1, false,
       list_of<MatchRecord>("matches", [](Session& s, Words& w, auto& r) -> std::optional<Outcome> {
         const int type = w.integer(0);
         return checked(w, [&] { return fetch_open_market_matches(s, type, r); });
       })},
      {"banker-markets", 4017, "MARKET-TYPE", 1, 1, false,
       list_of<BankerMarketGroup>("groups", [](Session& s, Words& w, auto& r) -> std::optional<Outcome> {
         const int type = w.integer(0);
         return checked(w, [&] { return fetch_banker_markets(s, type, r); });
       })},
      {"unsettled-banker-bets", 4018, "", 0, 0, false,
       plain_list<BankerBetRecord>("records", fetch_unsettled_banker_bets)},
      {"settled-banker-bets", 4019, "START END", 2, 2, false,
       ranged_list<BankerBetRecord>("records", fetch_settled_banker_bets)},
      {"unsettled-opened-markets", 4020, "", 0, 0, false,
       plain_list<OpenedMarketRecord>("records", fetch_unsettled_opened_markets)},
      {"settled-opened-markets", 4021, "START END", 2, 2, false,
       ranged_list<OpenedMarketRecord>("records", fetch_settled_opened_markets)},
      {"odds-trend", 4022, "MATCH AWAY-GIVES(0|1)", 2, 2, false,
       list_of<TrendPoint>("points", [](Session& s, Words& w, auto& r) -> std::optional<Outcome> {
         const int match = w.integer(0);
         const bool away = w.flag(1);
         return checked(w, [&] { return fetch_odds_trend(s, match, away, r); });
       })},
      {"recent-matches", 4023, "MATCH HOME(0|1)", 2, 2, false,
       list_of<HistoryItem>("items", [](Session& s, Words& w, auto& r) -> std::optional<Outcome> {
         const int match = w.integer(0);
         const bool home = w.flag(1);
         return checked(w, [&] { return fetch_recent_matches(s, match, home, r); });
       })},
      {"home-away-matches", 4024, "MATCH HOME(0|1)", 2, 2, false,
       list_of<HistoryItem>("items", [](Session& s, Words& w, auto& r) -> std::optional<Outcome> {
         const int match = w.integer(0);
         const bool home = w.flag(1);
         return checked(w, [&] { return fetch_home_away_matches(s, match, home, r); });
       })},
      {"results", 4025, "START END", 2, 2, false, ranged_list<ResultItem>("items", fetch_results)},
      {"fixtures", 4025, "", 0, 0, false, plain_list<ResultItem>("items", fetch_fixtures)},
      {"head-to-head", 4026, "MATCH", 1, 1, false,
       list_of<HeadToHeadItem>("items", [](Session& s, Words& w, auto& r) -> std::optional<Outcome> {
         const int match = w.integer(0);
         return checked(w, [&] { return fetch_head_to_head(s, match, r); });
       })},
      {"market-list", 4027, "MARKET-TYPE (-1 for parlays)", 1, 1, true,
       [](Session& s, Words& w, json& out) -> std::optional<Outcome> {
         const int type = w.integer(0);
         if (!w) return std::nullopt;
         std::vector<MatchRecord> matches;
         std::vector<OddsLine> odds;
         auto o = fetch_market_list(s, type, matches, odds);
         out["matches"] = to_json_value(matches);
         out["odds"] = to_json_value(odds);
         return o;
       }},
      {"asian-handicap-list", 4027, "[LEAGUE] (4070 with a league)", 0, 1, true,
       [](Session& s, Words& w, json& out) -> std::optional<Outcome> {
         if (w.size() == 1) s.context.league_filter[0] = w.text(0);
         std::vector<AsianHandicapRow> rows;
         auto o = fetch_asian_handicap_list(s, rows);
         out["rows"] = to_json_value(rows);
         return o;
       }},
      {"parlay-prices", 4028, "MATCH,MATCH,...", 1, 1, true,
       list_of<OddsLine>("odds", [](Session& s, Words& w, auto& r) -> std::optional<Outcome> {
         const auto matches = w.integers(0);
         return checked(w, [&] { return refresh_parlay_prices(s, matches, r); });
       })},
      {"unsettled-parlays", 4029, "", 0, 0, false, plain_list<GroupedBetRecord>("records", fetch_unsettled_parlays)},
      {"settled-parlays", 4030, "START END", 2, 2, false,
       ranged_list<GroupedBetRecord>("records", fetch_settled_parlays)},
      {"suggested-prices", 4032, "MATCH", 1, 1, false,
       list_of<SuggestedPriceRow>("rows", [](Session& s, Words& w, auto& r) -> std::optional<Outcome> {
         const int match = w.integer(0);
         return checked(w, [&] { return fetch_suggested_prices(s, match, r); });
       })},
      {"seven-integer-list", 4037, "", 0, 0, false,
       plain_list<SevenIntegerRow>("rows", fetch_seven_integer_list)},
      {"in-play-line", 4038, "MATCH LINE MARKET-TYPE", 3, 3, true,
       [](Session& s, Words& w, json& out) -> std::optional<Outcome> {
         const int match = w.integer(0);
         const int line_integer = w.integer(1);
         const int type = w.integer(2);
         if (!w) return std::nullopt;
         InPlayLine line;
         auto o = check_in_play_line(s, match, line_integer, type, line);
         return with(w, out, "line", line, std::move(o));
       }},
      {"outright-results", 4040, "START END", 2, 2, false, ranged_list<ResultItem>("items", fetch_outright_results)},
      {"unsettled-outrights", 4050, "", 0, 0, false,
       plain_list<GroupedBetRecord>("records", fetch_unsettled_outrights)},
      {"settled-outrights", 4051, "START END", 2, 2, false,
       ranged_list<GroupedBetRecord>("records", fetch_settled_outrights)},
      {"unsettled-single-bets", 4054, "", 0, 0, false,
       plain_list<SingleBetRecord>("records", fetch_unsettled_single_bets)},
      {"web-token", 4061, "", 0, 0, false,
       [](Session& s, Words&, json& out) -> std::optional<Outcome> {
         WebToken token;
         auto o = fetch_web_token(s, token);
         out["token"] = {{"text", token.text}, {"accepted", token.accepted}, {"requests", token.requests},
                         {"usable", token.usable()}};
         return o;
       }},
      {"filtered-market-list", 4070, "MARKET-TYPE LEAGUE [LEAGUE...] (up to five)", 2, 6, true,
       [](Session& s, Words& w, json& out) -> std::optional<Outcome> {
         const int type = w.integer(0);
         if (!w) return std::nullopt;
         for (std::size_t i = 0; i < s.context.league_filter.size(); ++i) {
           s.context.league_filter[i] = i + 1 < w.size() ? w.text(i + 1) : "0";
         }
         std::vector<MatchRecord> matches;
         std::vector<OddsLine> odds;
         auto o = fetch_filtered_market_list(s, type, matches, odds);
         out["matches"] = to_json_value(matches);
         out["odds"] = to_json_value(odds);
         return o;
       }},
      {"outright-list", 5001, "", 0, 0, true,
       [](Session& s, Words&, json& out) -> std::optional<Outcome> {
         std::vector<MatchRecord> matches;
         std::vector<OddsLine> odds;
         auto o = fetch_outright_list(s, matches, odds);
         out["matches"] = to_json_value(matches);
         out["odds"] = to_json_value(odds);
         return o;
       }},
      {"outright-entries", 5002, "EVENT,EVENT,...", 1, 1, true,
       list_of<OutrightEntry>("entries", [](Session& s, Words& w, auto& r) -> std::optional<Outcome> {
         const auto events = w.integers(0);
         return checked(w, [&] { return fetch_outright_entries(s, events, r); });
       })},
  };
  return table;
}

const Operation* find_operation(const std::string& name) {
  for (const auto& op : operations()) {
    if (name == op.name) return &op;
  }
  return nullptr;
}

// Answers nothing: running an operation against it checks the operation's words without traffic.
class RefusingTransport final : public net::Transport {
 public:
  Result<std::vector<std::string>> exchange(const net::HttpExchange&, ports::ProgressSink&) override {
    return Result<std::vector<std::string>>::failure("not sent");
  }
};

// The sign-in the client makes before any request that sends the context numbers.
Outcome sign_in(Session& session) {
  net::LoginReply reply;
  std::string error;
  const bool ok = net::login_request(session.context, session.transport, session.progress,
                                     session.context.user_name, session.context.password,
                                     net::kLoginRequestModeMember, net::network_card_address(), reply, error);
  return outcome_of(ok, error);
}

}  // namespace

int run_call_command(net::ClientContext& context, net::Transport& transport,
                     const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << "usage: brindle-cli call OPERATION [ARGS...]   (brindle-cli help lists them)\n";
    return kUsageError;
  }
  const Operation* op = find_operation(args[0]);
  if (op == nullptr) {
    err << "brindle-cli: unknown operation " << args[0] << " (brindle-cli help lists them)\n";
    return kUsageError;
  }
  Words words(std::vector<std::string>(args.begin() + 1, args.end()));
  if (words.size() < op->min_words || words.size() > op->max_words) {
    err << "usage: brindle-cli call " << op->name << " " << op->arguments << "\n";
    return kUsageError;
  }

  ports::SilentProgress progress;
  Session session{transport, progress, context};
  const json before = context_figures(context);
  json result = json::object();
  result["operation"] = op->name;
  result["subject_id"] = op->subject_id;

  std::optional<Outcome> outcome;
  if (op->signs_in) {
    // Bad words must not cost a sign-in: check them first with nothing sent.
    RefusingTransport refusing;
    Session dry{refusing, progress, context};
    json ignored;
    if (op->run(dry, words, ignored)) {
      if (Outcome signed_in = sign_in(session); !signed_in) outcome = Outcome::failure(signed_in.error());
    }
  }
  if (!outcome) outcome = op->run(session, words, result);
  if (!outcome) {
    err << "brindle-cli: " << words.error() << "\nusage: brindle-cli call " << op->name << " "
        << op->arguments << "\n";
    return kUsageError;
  }
  // The decimal output stays as it always was; another format adds its figures beside the prices.
  if (context.odds_format != net::OddsFormat::kDecimal) {
    add_shown_odds(result, context.odds_format);
    result["odds_format"] = net::odds_format_name(context.odds_format);
  }
  result["ok"] = outcome->ok();
  result["message"] = outcome->ok() ? outcome->value() : outcome->error();
  result["context"] = changed_members(before, context_figures(context));
  print_json(out, result);
  return outcome->ok() ? 0 : 1;
}

int run_call_command(net::ClientContext& context, const std::vector<std::string>& args, std::ostream& out,
                     std::ostream& err) {
  ClientTransport transport(context, err);
  return run_call_command(context, *transport, args, out, err);
}

int run_parlay_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                       notation::OddsFormat odds_format) {
  constexpr const char* kParlayUsage =
      "usage: brindle-cli parlay quote PRICE,PRICE,... MASK:STAKE,... [CURRENCY]\n"
      "  net prices of one to ten legs; stakes of at most 200000 on combination masks of those legs;\n"
      "  currency 1 (元, the default), 2 (美元) or 3 (港元)\n";
  if (args.empty() || args[0] != "quote" || args.size() < 3 || args.size() > 4) {
    err << kParlayUsage;
    return kUsageError;
  }
  Words w(std::vector<std::string>(args.begin() + 1, args.end()));
  const std::vector<double> prices = w.numbers(0, kPrice);
  if (w && (prices.empty() || prices.size() > protocol::kMaxParlaySelections))
    w.refuse(0, "one to ten prices");
  std::vector<protocol::ParlayTypeEntry> types;
  const auto most = static_cast<double>((1 << std::min(prices.size(), protocol::kMaxParlaySelections)) - 1);
  for (const auto& [mask, stake] : w.pairs(1, kMask, kTypeStake)) {
    // A mask may only name combination sizes the legs have.
    if (mask < 1 || mask > most) w.refuse(1, "masks from 1 to 2^legs − 1 with stakes from 0 to 200000");
    types.push_back({whole(mask), whole(stake)});
  }
  const int currency = w.size() > 2 ? whole(w.number(2, kCurrency)) : notation::kCurrencyRenminbi;
  if (!w) {
    err << "brindle-cli: " << w.error() << "\n" << kParlayUsage;
    return kUsageError;
  }
  const betting::ParlayQuote quote =
      betting::quote_parlay(prices, types, notation::currency_name(currency, true));
  if (odds_format != notation::OddsFormat::kDecimal) {
    // The legs as the slip would show them; the decimal quote has never printed them.
    out << notation::odds_title("赔率", odds_format) << "：";
    for (std::size_t i = 0; i < prices.size(); ++i) {
      out << (i == 0 ? "" : " ") << notation::odds_text(prices[i], odds_format);
    }
    out << "\n";
  }
  out << quote.stake_line << "\n" << quote.payout_line << "\n";
  if (quote.over_limit) out << betting::kOverLimitText << "\n";
  return 0;
}

int run_help_command(std::ostream& out) {
  out << "brindle-cli call OPERATION [ARGS...]: the request catalogue\n"
         "(START and END are YYYYMMDDHHMMSS; operations marked * sign in first)\n";
  for (const auto& op : operations()) {
    out << "  " << op.name << (op.signs_in ? " *" : "") << "  [" << op.subject_id << "]";
    if (*op.arguments) out << "  " << op.arguments;
    out << "\n";
  }
  return 0;
}

}  // namespace brindle::cli
