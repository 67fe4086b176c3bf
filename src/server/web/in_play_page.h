#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/accounts/account.h"
#include "server/market/market.h"

namespace brindle::server::web {

// The in-play web page as HTML (UTF-8): the running matches with their score and their in-play
// handicap and over/under lines, and the bet slip of a chosen price. Every text from the market or
// the account is escaped; the token only ever travels in hidden form fields, never in an address.

// "&", "<", ">", '"' and "'" as entities, so that a text stays text inside an element or a quoted
// attribute.
std::string html_escaped(std::string_view text);

// A line value in the page's notation: quarter lines as their two halves ("0.5/1"), the rest as a
// plain number ("0", "2.5"). Football handicaps and all totals count quarters of a goal or point
// (code 4·v + 1), basketball handicaps half points (code 2·p + 1).
std::string handicap_value_text(int line_code, int line_kind);
std::string totals_value_text(int line_code);

// What the bettor is offered on one selection: which match, which side, which price.
struct Offer {
  const market::Match* match = nullptr;
  const market::Line* line = nullptr;
  std::string title;   // "走地亚洲盘投注" or "走地大小球盘投注"
  std::string choice;  // "曼城 让0.5/1", "大 2.5"
};
// The selection as an open in-play line of a running match, or nothing.
std::optional<Offer> offer_of(const market::MarketSnapshot& snapshot, std::int64_t market_now,
                              market::SelectionId selection);

struct PageNotice {
  bool ok = false;  // a success, else a refusal
  std::string text;
};

struct BetSlip {
  Offer offer;
  std::string stake;     // as typed, kept after a refusal
  std::string form_key;  // one bet per key, however often the form is sent
};

struct InPlayPageState {
  std::string token;
  accounts::Account account;
  std::vector<PageNotice> notices;
  std::optional<BetSlip> slip;
  std::vector<std::int64_t> follow;  // delayed bets still waiting for their judgement
  int refresh_after_seconds = 0;     // > 0: the page asks again by itself (not while a slip is open)
  std::string script_nonce;          // the one script the page's policy lets run
};

std::string in_play_page_html(const market::MarketSnapshot& snapshot, std::int64_t market_now,
                              const InPlayPageState& state);

// A page with one message and nothing to act on (an expired token, a refused request).
std::string message_page_html(std::string_view text);

}  // namespace brindle::server::web
